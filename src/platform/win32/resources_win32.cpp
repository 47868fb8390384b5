#include "platform/win32/resources_win32.h"

#include <windows.h>

#include <string>

namespace tw::win32 {

namespace {

::HMODULE Native(tw::HMODULE module) { return reinterpret_cast<::HMODULE>(module); }

}  // namespace

tw::HRSRC Win32Resources::FindResourceA(tw::HMODULE module, WORD id, std::string_view type) {
  const std::string typeName(type);
  return reinterpret_cast<tw::HRSRC>(
      ::FindResourceA(Native(module), MAKEINTRESOURCEA(id), typeName.c_str()));
}

tw::HGLOBAL Win32Resources::LoadResource(tw::HMODULE module, tw::HRSRC resource) {
  if (resource == nullptr) {
    return nullptr;
  }
  return reinterpret_cast<tw::HGLOBAL>(
      ::LoadResource(Native(module), reinterpret_cast<::HRSRC>(resource)));
}

DWORD Win32Resources::SizeofResource(tw::HMODULE module, tw::HRSRC resource) {
  if (resource == nullptr) {
    return 0;
  }
  return ::SizeofResource(Native(module), reinterpret_cast<::HRSRC>(resource));
}

const void* Win32Resources::LockResource(tw::HGLOBAL loaded) {
  if (loaded == nullptr) {
    return nullptr;
  }
  return ::LockResource(reinterpret_cast<::HGLOBAL>(loaded));
}

}  // namespace tw::win32
