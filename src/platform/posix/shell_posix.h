// The shell of the posix backend.
//
// - CoInitialize: S_OK the first time on a thread, S_FALSE after, as COM's
//   per-thread count does. CoCreateInstance needs it (CO_E_NOTINITIALIZED).
// - Special folders: CSIDL_PROGRAMS and CSIDL_DESKTOP, the prefix's own
//   (Machine::ProgramsDirectory, Machine::DesktopDirectory); E_INVALIDARG for
//   any other.
// - CoCreateInstance(CLSID_ShellLink): the prefix's link object
//   (shelllink_posix.h).
// - ShellExecuteA records each request as one line in <prefix>/shellexec.log
//   (verb, file, parameters, folder, show command, separated by tabs) and
//   returns 42; 2 (file not found) when the file does not exist.
#pragma once

#include <memory>

#include "platform/posix/machine.h"
#include "platform/shell.h"

namespace tw::posix {

class PosixShell final : public IShell {
 public:
  explicit PosixShell(std::shared_ptr<Machine> machine);

  HRESULT CoInitialize(void* reserved) override;
  HRESULT SHGetSpecialFolderLocation(HWND owner, int csidl, ItemIdListPtr* out) override;
  BOOL SHGetPathFromIDListA(const ItemIdList* list, std::span<char> buffer) override;
  HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context, const IID& iid,
                           void** out) override;
  INT_PTR ShellExecuteA(HWND owner, std::string_view verb, std::string_view file,
                        std::string_view parameters, std::string_view directory,
                        int showCmd) override;

  // Balances every CoInitialize made on the calling thread, as CoUninitialize
  // would (tests start each case with COM uninitialised).
  static void UninitializeCom();

  std::filesystem::path ShellExecuteLog() const { return machine_->Root() / "shellexec.log"; }

 private:
  std::shared_ptr<Machine> machine_;
};

}  // namespace tw::posix
