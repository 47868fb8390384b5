// Files and drives of the real machine: kernel32 and the C runtime.
//
// SetCurrentDirectoryA also records the new folder as its drive's own current
// directory (the "=D:" environment variable), as the C runtime's _chdir does,
// so that _chdrive returns to the folder each drive was left in.
#pragma once

#include "platform/files.h"

namespace tw::win32 {

class Win32Files final : public IFiles {
 public:
  int _getdrive() override;
  int _chdrive(int drive) override;
  DWORD GetCurrentDirectoryA(std::span<char> buffer) override;
  BOOL SetCurrentDirectoryA(std::string_view path) override;
  BOOL CreateDirectoryA(std::string_view path) override;
  BOOL RemoveDirectoryA(std::string_view path) override;
  HANDLE FindFirstFileA(std::string_view pattern, WIN32_FIND_DATAA* data) override;
  BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) override;
  BOOL FindClose(HANDLE find) override;
  BOOL DeleteFileA(std::string_view path) override;
  BOOL MoveFileA(std::string_view from, std::string_view to) override;
  BOOL SetFileAttributesA(std::string_view path, DWORD attributes) override;
  DWORD GetFileAttributesA(std::string_view path) override;
  std::unique_ptr<IOutFile> fopen_wb(std::string_view path) override;
  HANDLE CreateFileA(std::string_view path, DWORD access, DWORD shareMode, DWORD creation,
                     DWORD attributes) override;
  BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                   const FILETIME* lastWrite) override;
  BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess,
                   FILETIME* lastWrite) override;
  BOOL CloseHandle(HANDLE handle) override;
  BOOL GetDiskFreeSpaceExA(std::string_view root, std::uint64_t* freeToCaller, std::uint64_t* total,
                           std::uint64_t* totalFree) override;
  BOOL GetDiskFreeSpaceA(std::string_view root, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                         DWORD* freeClusters, DWORD* totalClusters) override;
  UINT GetWindowsDirectoryA(std::span<char> buffer) override;
  DWORD GetLastError() override;
  int MultiByteToWideChar(UINT codePage, DWORD flags, std::string_view text,
                          std::span<WCHAR> out) override;
  BOOL IsDBCSLeadByte(BYTE c) override;
};

}  // namespace tw::win32
