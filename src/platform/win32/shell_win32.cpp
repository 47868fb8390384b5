#include "platform/win32/shell_win32.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/win32/shelllink_win32.h"

namespace tw::win32 {

namespace {

std::string CString(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }
const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

class ShellItemIdList final : public ItemIdList {
 public:
  explicit ShellItemIdList(LPITEMIDLIST pidl) : pidl_(pidl) {}
  ~ShellItemIdList() override { ::CoTaskMemFree(pidl_); }
  ShellItemIdList(const ShellItemIdList&) = delete;
  ShellItemIdList& operator=(const ShellItemIdList&) = delete;

  tw::BOOL GetPath(std::span<char> buffer) const override {
    // The shell writes up to MAX_PATH bytes whatever the caller has; it
    // writes into our own buffer and the answer is copied when it fits.
    char path[MAX_PATH] = {};
    if (!::SHGetPathFromIDListA(pidl_, path)) return FALSE;
    const std::size_t n = std::strlen(path);
    if (n + 1 > buffer.size()) return FALSE;
    std::memcpy(buffer.data(), path, n + 1);
    return TRUE;
  }

 private:
  LPITEMIDLIST pidl_;
};

}  // namespace

tw::HRESULT Win32Shell::CoInitialize(void* reserved) { return ::CoInitialize(reserved); }

void Win32Shell::UninitializeCom() {
  // COM keeps a count per thread and no way to read it: while CoInitialize
  // says it was already initialised, undo that call and one earlier one.
  for (int guard = 0; guard < 10000; ++guard) {
    const ::HRESULT hr = ::CoInitialize(nullptr);
    if (FAILED(hr)) break;  // another apartment model: nothing of ours to undo
    ::CoUninitialize();
    if (hr == S_OK) break;
    ::CoUninitialize();
  }
}

tw::HRESULT Win32Shell::SHGetSpecialFolderLocation(tw::HWND owner, int csidl, ItemIdListPtr* out) {
  if (!out) return E_INVALIDARG;
  out->reset();
  LPITEMIDLIST pidl = nullptr;
  ::HRESULT hr = ::SHGetSpecialFolderLocation(reinterpret_cast<::HWND>(owner), csidl, &pidl);
  if (FAILED(hr)) return hr;
  if (!pidl) return E_FAIL;
  *out = std::make_unique<ShellItemIdList>(pidl);
  return hr;
}

tw::BOOL Win32Shell::SHGetPathFromIDListA(const ItemIdList* list, std::span<char> buffer) {
  if (!list || buffer.empty()) return FALSE;
  return list->GetPath(buffer.first(std::min<std::size_t>(buffer.size(), MAX_PATH)));
}

tw::HRESULT Win32Shell::CoCreateInstance(const tw::CLSID& clsid, tw::IUnknown* outer, tw::DWORD,
                                         const tw::IID& iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (!(clsid == tw::CLSID_ShellLink)) return REGDB_E_CLASSNOTREG;
  return CreateShellLinkObject(iid, out);
}

tw::INT_PTR Win32Shell::ShellExecuteA(tw::HWND owner, std::string_view verb, std::string_view file,
                                      std::string_view parameters, std::string_view directory,
                                      int showCmd) {
  const std::string v = CString(verb), f = CString(file), p = CString(parameters),
                    d = CString(directory);
  ::HINSTANCE result = ::ShellExecuteA(reinterpret_cast<::HWND>(owner), OrNull(v), f.c_str(),
                                       OrNull(p), OrNull(d), showCmd);
  return reinterpret_cast<tw::INT_PTR>(result);
}

}  // namespace tw::win32
