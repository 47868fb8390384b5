#include "platform/win32/registry_win32.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

// Outside namespace tw: there the platform's macros name the platform's types.
namespace {

HKEY Native(tw::HKEY key) {
  if (key == tw::keys::LocalMachine) return HKEY_LOCAL_MACHINE;
  return reinterpret_cast<HKEY>(key);
}

tw::HKEY Ours(HKEY key) {
  if (key == HKEY_LOCAL_MACHINE) return tw::keys::LocalMachine;
  return reinterpret_cast<tw::HKEY>(key);
}

std::string Z(std::string_view s) { return std::string(s.substr(0, s.find('\0'))); }

}  // namespace

namespace tw::win32 {

LONG Win32Registry::RegOpenKeyExA(tw::HKEY key, std::string_view subKey, DWORD options, REGSAM sam,
                                  tw::HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  ::HKEY opened = nullptr;
  LONG rc = ::RegOpenKeyExA(Native(key), Z(subKey).c_str(), options, sam, &opened);
  *result = rc == ERROR_SUCCESS ? Ours(opened) : nullptr;
  return rc;
}

LONG Win32Registry::RegQueryValueExA(tw::HKEY key, std::string_view valueName, DWORD* type,
                                     std::span<BYTE> data, DWORD* cbData) {
  ::DWORD size = static_cast<::DWORD>(std::min<std::size_t>(data.size(), 0xFFFFFFFFu));
  ::DWORD kind = 0;
  LONG rc = ::RegQueryValueExA(Native(key), Z(valueName).c_str(), nullptr, &kind,
                               data.empty() ? nullptr : data.data(), &size);
  if (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
    if (type) *type = kind;
    if (cbData) *cbData = size;
  }
  return rc;
}

LONG Win32Registry::RegCreateKeyExA(tw::HKEY key, std::string_view subKey, DWORD reserved,
                                    std::string_view className, DWORD options, REGSAM sam, tw::HKEY* result,
                                    DWORD* disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  std::string cls = Z(className);
  ::HKEY created = nullptr;
  ::DWORD how = 0;
  LONG rc = ::RegCreateKeyExA(Native(key), Z(subKey).c_str(), reserved, cls.data(), options, sam, nullptr,
                              &created, &how);
  *result = rc == ERROR_SUCCESS ? Ours(created) : nullptr;
  if (rc == ERROR_SUCCESS && disposition) *disposition = how;
  return rc;
}

LONG Win32Registry::RegSetValueExA(tw::HKEY key, std::string_view valueName, DWORD reserved, DWORD type,
                                   std::span<const BYTE> data) {
  // A non-NUL byte after the data: the platform then stores exactly what we give.
  std::vector<BYTE> copy(data.begin(), data.end());
  copy.push_back(0xFF);
  return ::RegSetValueExA(Native(key), Z(valueName).c_str(), reserved, type, copy.data(),
                          static_cast<::DWORD>(data.size()));
}

LONG Win32Registry::RegEnumKeyExA(tw::HKEY key, DWORD index, std::span<char> name, DWORD* cchName) {
  std::size_t capacity = std::min<std::size_t>(name.size(), 0xFFFFFFFFu);
  if (cchName) capacity = std::min<std::size_t>(capacity, *cchName);
  ::DWORD cch = static_cast<::DWORD>(capacity);
  LONG rc = ::RegEnumKeyExA(Native(key), index, name.empty() ? nullptr : name.data(), &cch, nullptr, nullptr,
                            nullptr, nullptr);
  if (rc == ERROR_SUCCESS && cchName) *cchName = cch;
  return rc;
}

LONG Win32Registry::RegDeleteKeyA(tw::HKEY key, std::string_view subKey) {
  return ::RegDeleteKeyA(Native(key), Z(subKey).c_str());
}

LONG Win32Registry::RegCloseKey(tw::HKEY key) { return ::RegCloseKey(Native(key)); }

}  // namespace tw::win32
