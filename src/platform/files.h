// Files and drives: the current drive (each drive keeps its own current
// directory), folders, file search, delete, rename, attributes, file times and
// free space, as the platform's kernel and C runtime provide them.
//
// Paths are Windows paths in the system code page: "D:\\Apps\\Tarnwick", a bare
// name relative to the current directory, "\\" for the root of the current drive.
// Names resolve without regard to case; new names keep the case they are given.
// Results keep the platform's conventions: BOOL non-zero for success, the C
// runtime's 0 / -1 for _chdrive, GetLastError for the cause.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "platform/types.h"

namespace tw {

// A file opened for binary writing ("wb"): created or truncated at open.
class IOutFile {
 public:
  virtual ~IOutFile() = default;
  // Returns the number of bytes written; fewer than data.size() means failure.
  virtual std::size_t fwrite(std::span<const BYTE> data) = 0;
  // 0 on success.
  virtual int fclose() = 0;
};

class IFiles {
 public:
  virtual ~IFiles() = default;

  // Drive numbers: 1 is A, 2 is B, ... 26 is Z. _chdrive accepts 1 to 31 and
  // fails (-1) for a drive that does not exist; 0 on success.
  virtual int _getdrive() = 0;
  virtual int _chdrive(int drive) = 0;

  // Writes the full current directory and a NUL; returns its length without the
  // NUL, or the size needed (with the NUL) when it does not fit, or 0 on failure.
  virtual DWORD GetCurrentDirectoryA(std::span<char> buffer) = 0;
  virtual BOOL SetCurrentDirectoryA(std::string_view path) = 0;
  virtual BOOL CreateDirectoryA(std::string_view path) = 0;
  virtual BOOL RemoveDirectoryA(std::string_view path) = 0;

  // File search with the platform's wildcard rules ("*.*" matches every name; a
  // search of a folder lists its "." and ".." entries). INVALID_HANDLE_VALUE when
  // nothing matches.
  virtual HANDLE FindFirstFileA(std::string_view pattern, WIN32_FIND_DATAA* data) = 0;
  virtual BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) = 0;
  virtual BOOL FindClose(HANDLE find) = 0;

  virtual BOOL DeleteFileA(std::string_view path) = 0;
  // Fails when `to` exists.
  virtual BOOL MoveFileA(std::string_view from, std::string_view to) = 0;
  virtual BOOL SetFileAttributesA(std::string_view path, DWORD attributes) = 0;
  virtual DWORD GetFileAttributesA(std::string_view path) = 0;

  // Binary output, the C runtime's fopen(path, "wb"); null when it cannot open.
  virtual std::unique_ptr<IOutFile> fopen_wb(std::string_view path) = 0;

  // A handle for setting file times; INVALID_HANDLE_VALUE on failure.
  virtual HANDLE CreateFileA(std::string_view path, DWORD access, DWORD shareMode,
                             DWORD creation, DWORD attributes) = 0;
  virtual BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                           const FILETIME* lastWrite) = 0;
  virtual BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess,
                           FILETIME* lastWrite) = 0;
  virtual BOOL CloseHandle(HANDLE handle) = 0;

  // Free space available to the caller on the drive that `root` names ("D:").
  virtual BOOL GetDiskFreeSpaceExA(std::string_view root, std::uint64_t* freeToCaller,
                                   std::uint64_t* total, std::uint64_t* totalFree) = 0;
  // The older query; any output may be null.
  virtual BOOL GetDiskFreeSpaceA(std::string_view root, DWORD* sectorsPerCluster,
                                 DWORD* bytesPerSector, DWORD* freeClusters,
                                 DWORD* totalClusters) = 0;

  // Writes the Windows directory and a NUL; returns its length, or the size
  // needed when it does not fit.
  virtual UINT GetWindowsDirectoryA(std::span<char> buffer) = 0;

  virtual DWORD GetLastError() = 0;

  // CP_ACP to UTF-16, the whole NUL-terminated string. Writes at most
  // out.size() units; returns the units written including the NUL, 0 when they
  // do not fit.
  virtual int MultiByteToWideChar(UINT codePage, DWORD flags, std::string_view text,
                                  std::span<WCHAR> out) = 0;

  // Whether `c` begins a double-byte character in the system code page, so
  // that the byte after it is never read as a separator.
  virtual BOOL IsDBCSLeadByte(BYTE c) = 0;
};

}  // namespace tw
