// Processes on the real machine (kernel32, user32).
#pragma once

#include "platform/process.h"

namespace tw::win32 {

class Win32Process final : public IProcess {
 public:
  HANDLE CreateMutexA(BOOL initialOwner, std::string_view name) override;
  BOOL ReleaseMutex(HANDLE mutex) override;
  BOOL CloseHandle(HANDLE handle) override;
  DWORD GetLastError() override;
  // An empty class name matches any class.
  HWND FindWindowA(std::string_view className, std::string_view title) override;
  BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  HMODULE LoadLibraryA(std::string_view name) override;
  FARPROC GetProcAddress(HMODULE module, std::string_view name) override;
  BOOL FreeLibrary(HMODULE module) override;
  [[noreturn]] void ExitProcess(UINT code) override;
};

}  // namespace tw::win32
