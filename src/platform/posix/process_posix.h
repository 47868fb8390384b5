// Processes of the posix backend.
//
// - Named mutexes are lock files in <prefix>/mutex, held with flock, so every
//   process on one prefix sees them. CreateMutexA gives a handle either way;
//   GetLastError() is ERROR_ALREADY_EXISTS when another handle (of this or
//   another process) holds the name, 0 when this call took it. The name is
//   released when the handle that took it is closed or the process ends.
// - Modules: a table standing for the system's libraries, "Kernel32.dll"
//   (GetDiskFreeSpaceExA, GetDiskFreeSpaceA) and "version.dll"
//   (VerInstallFileA); names compare without case, ".dll" may be left out.
//   Entry points are tokens for probing, never called.
// - FindWindowA finds nothing and PostMessageA fails: top-level windows are
//   not shared between processes yet.
#pragma once

#include <map>
#include <memory>

#include "platform/posix/machine.h"
#include "platform/process.h"

namespace tw::posix {

class PosixProcess final : public IProcess {
 public:
  explicit PosixProcess(std::shared_ptr<Machine> machine);
  ~PosixProcess() override;
  PosixProcess(const PosixProcess&) = delete;
  PosixProcess& operator=(const PosixProcess&) = delete;

  HANDLE CreateMutexA(BOOL initialOwner, std::string_view name) override;
  BOOL ReleaseMutex(HANDLE mutex) override;
  BOOL CloseHandle(HANDLE handle) override;
  DWORD GetLastError() override;
  HWND FindWindowA(std::string_view className, std::string_view title) override;
  BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  HMODULE LoadLibraryA(std::string_view name) override;
  FARPROC GetProcAddress(HMODULE module, std::string_view name) override;
  BOOL FreeLibrary(HMODULE module) override;
  [[noreturn]] void ExitProcess(UINT code) override;

 private:
  struct Mutex;
  std::shared_ptr<Machine> machine_;
  std::map<HANDLE, std::unique_ptr<Mutex>> mutexes_;
};

}  // namespace tw::posix
