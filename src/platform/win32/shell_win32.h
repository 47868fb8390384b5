// The real shell: ole32's COM, shell32's special folders and ShellExecute, and
// the system's link object (shelllink_win32.h).
#pragma once

#include "platform/shell.h"

namespace tw::win32 {

class Win32Shell final : public IShell {
 public:
  HRESULT CoInitialize(void* reserved) override;
  // The item list owns the shell's PIDL and frees it with CoTaskMemFree.
  HRESULT SHGetSpecialFolderLocation(HWND owner, int csidl, ItemIdListPtr* out) override;
  BOOL SHGetPathFromIDListA(const ItemIdList* list, std::span<char> buffer) override;
  // CLSID_ShellLink only (REGDB_E_CLASSNOTREG for any other class).
  HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context, const IID& iid,
                           void** out) override;
  INT_PTR ShellExecuteA(HWND owner, std::string_view verb, std::string_view file,
                        std::string_view parameters, std::string_view directory,
                        int showCmd) override;

  // Leaves COM uninitialised on the calling thread, however often anything
  // initialised it there (tests start each case that way).
  static void UninitializeCom();
};

}  // namespace tw::win32
