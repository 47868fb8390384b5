// Files and drives of a posix prefix, with the platform's results and
// GetLastError codes.
//
// How the prefix stands in for what Linux lacks:
// - FILE_ATTRIBUTE_READONLY is the absence of every write permission bit of a
//   file. The service enforces it itself (a read-only file cannot be deleted,
//   opened for writing or truncated), so it holds for root too. HIDDEN,
//   SYSTEM and ARCHIVE are accepted and not kept: files report ARCHIVE and
//   folders DIRECTORY, as Wine reports them.
// - File times: last access and last write are kept; the creation time cannot
//   be set on Linux and is ignored by SetFileTime. GetFileTime reports the
//   file's birth time where the host file system knows it, else its last write.
// - Sharing: handles of this service check each other's share modes (a file
//   held without FILE_SHARE_DELETE cannot be deleted or renamed, one held
//   without FILE_SHARE_WRITE cannot be opened for writing). Other processes
//   are not seen.
// - GetDiskFreeSpaceA reports 512-byte sectors, clusters of the host's
//   fragment size and cluster counts capped at 0xFFFFFFFF, as NT does; there
//   is no 2 GB cap.
// - The code page is Windows-1252.
#pragma once

#include <map>
#include <memory>

#include "platform/files.h"
#include "platform/posix/machine.h"

namespace tw::posix {

class PosixFiles final : public IFiles {
 public:
  explicit PosixFiles(std::shared_ptr<Machine> machine);
  ~PosixFiles() override;
  PosixFiles(const PosixFiles&) = delete;
  PosixFiles& operator=(const PosixFiles&) = delete;

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
  // Windows-1252 has no double-byte characters.
  BOOL IsDBCSLeadByte(BYTE) override { return 0; }

  const std::shared_ptr<Machine>& machine() const { return machine_; }

 private:
  struct Search;
  struct OpenFile;

  // True when an open handle of this service on the same host file refuses
  // what a new user asks for (see the sharing rules above).
  bool SharingConflict(const std::filesystem::path& host, DWORD access, DWORD shareMode) const;

  std::shared_ptr<Machine> machine_;
  std::map<HANDLE, std::unique_ptr<Search>> searches_;
  std::map<HANDLE, std::unique_ptr<OpenFile>> files_;
};

// FILETIME ticks (100 ns since 1601-01-01 UTC) and Unix seconds.
std::uint64_t FileTimeTicks(const FILETIME& time);
FILETIME MakeFileTime(std::uint64_t ticks);
inline constexpr std::uint64_t kTicksPerSecond = 10'000'000;
inline constexpr std::uint64_t kEpochDifference = 11'644'473'600;  // seconds 1601..1970

}  // namespace tw::posix
