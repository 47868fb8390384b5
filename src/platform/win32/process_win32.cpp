#include "platform/win32/process_win32.h"

#include <windows.h>

#include <string>

namespace tw::win32 {

namespace {
std::string CString(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }
const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }
}  // namespace

tw::HANDLE Win32Process::CreateMutexA(tw::BOOL initialOwner, std::string_view name) {
  const std::string n = CString(name);
  return ::CreateMutexA(nullptr, initialOwner, OrNull(n));
}

tw::BOOL Win32Process::ReleaseMutex(tw::HANDLE mutex) { return ::ReleaseMutex(mutex); }
tw::BOOL Win32Process::CloseHandle(tw::HANDLE handle) { return ::CloseHandle(handle); }
tw::DWORD Win32Process::GetLastError() { return ::GetLastError(); }

tw::HWND Win32Process::FindWindowA(std::string_view className, std::string_view title) {
  const std::string c = CString(className), t = CString(title);
  return reinterpret_cast<tw::HWND>(::FindWindowA(OrNull(c), t.c_str()));
}

tw::BOOL Win32Process::PostMessageA(tw::HWND window, tw::UINT message, tw::WPARAM wParam,
                                    tw::LPARAM lParam) {
  return ::PostMessageA(reinterpret_cast<::HWND>(window), message, wParam, lParam);
}

tw::HMODULE Win32Process::LoadLibraryA(std::string_view name) {
  return reinterpret_cast<tw::HMODULE>(::LoadLibraryA(CString(name).c_str()));
}

tw::FARPROC Win32Process::GetProcAddress(tw::HMODULE module, std::string_view name) {
  return reinterpret_cast<tw::FARPROC>(
      ::GetProcAddress(reinterpret_cast<::HMODULE>(module), CString(name).c_str()));
}

tw::BOOL Win32Process::FreeLibrary(tw::HMODULE module) {
  return ::FreeLibrary(reinterpret_cast<::HMODULE>(module));
}

void Win32Process::ExitProcess(tw::UINT code) { ::ExitProcess(code); }

}  // namespace tw::win32
