// Processes: named mutex, top-level windows by title, posted messages, module
// probes and process exit.
#pragma once

#include <string_view>

#include "platform/types.h"

namespace tw {

class IProcess {
 public:
  virtual ~IProcess() = default;

  // Null on failure; GetLastError() is ERROR_ALREADY_EXISTS when another holder
  // had already created it.
  virtual HANDLE CreateMutexA(BOOL initialOwner, std::string_view name) = 0;
  virtual BOOL ReleaseMutex(HANDLE mutex) = 0;
  virtual BOOL CloseHandle(HANDLE handle) = 0;
  virtual DWORD GetLastError() = 0;

  // A top-level window whose title is exactly `title`; null when none.
  virtual HWND FindWindowA(std::string_view className, std::string_view title) = 0;
  virtual BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;

  virtual HMODULE LoadLibraryA(std::string_view name) = 0;
  virtual FARPROC GetProcAddress(HMODULE module, std::string_view name) = 0;
  virtual BOOL FreeLibrary(HMODULE module) = 0;

  [[noreturn]] virtual void ExitProcess(UINT code) = 0;
};

}  // namespace tw
