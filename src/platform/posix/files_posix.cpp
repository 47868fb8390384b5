#include "platform/posix/files_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/winconst.h"

namespace fs = std::filesystem;

namespace tw::posix {

namespace {

constexpr DWORD kErrorFileExists = 80;
constexpr DWORD kErrorInsufficientBuffer = 122;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

DWORD FromErrno(int e) {
  switch (e) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EBUSY:
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    default: return ERROR_ACCESS_DENIED;
  }
}

BOOL Fail(DWORD code) {
  SetLastError(code);
  return 0;
}

// The platform's code for a path that is not there: the file is missing when
// its folder exists, the path when not.
DWORD MissingCode(const fs::path& host) {
  struct stat st {};
  if (::stat(host.parent_path().c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    return ERROR_FILE_NOT_FOUND;
  }
  return ERROR_PATH_NOT_FOUND;
}

bool IsReadOnly(const struct stat& st) { return !S_ISLNK(st.st_mode) && (st.st_mode & kWriteBits) == 0; }

FILETIME FromTimespec(const struct timespec& ts) {
  std::int64_t seconds = static_cast<std::int64_t>(ts.tv_sec) + static_cast<std::int64_t>(kEpochDifference);
  if (seconds < 0) return {};
  return MakeFileTime(static_cast<std::uint64_t>(seconds) * kTicksPerSecond +
                      static_cast<std::uint64_t>(ts.tv_nsec) / 100);
}

// False when the time cannot be a file time the platform accepts.
bool ToTimespec(const FILETIME& time, struct timespec* ts) {
  std::uint64_t ticks = FileTimeTicks(time);
  if (ticks > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return false;
  std::int64_t seconds = static_cast<std::int64_t>(ticks / kTicksPerSecond) -
                         static_cast<std::int64_t>(kEpochDifference);
  ts->tv_sec = static_cast<time_t>(seconds);
  ts->tv_nsec = static_cast<long>((ticks % kTicksPerSecond) * 100);
  return true;
}

DWORD AttributesOf(const struct stat& st) {
  DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if ((st.st_mode & kWriteBits) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

void FillFindData(const std::string& name, const struct stat& st, WIN32_FIND_DATAA* data) {
  *data = WIN32_FIND_DATAA{};
  data->dwFileAttributes = AttributesOf(st);
  data->ftCreationTime = FromTimespec(st.st_mtim);
  data->ftLastAccessTime = FromTimespec(st.st_atim);
  data->ftLastWriteTime = FromTimespec(st.st_mtim);
  if (!S_ISDIR(st.st_mode)) {
    auto size = static_cast<std::uint64_t>(st.st_size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size);
  }
  std::size_t n = std::min(name.size(), sizeof(data->cFileName) - 1);
  std::memcpy(data->cFileName, name.data(), n);
  data->cFileName[n] = '\0';
}

class PosixOutFile final : public IOutFile {
 public:
  explicit PosixOutFile(int fd) : fd_(fd) {}
  ~PosixOutFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  std::size_t fwrite(std::span<const BYTE> data) override {
    std::size_t done = 0;
    while (fd_ >= 0 && done < data.size()) {
      ssize_t n = ::write(fd_, data.data() + done, data.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        SetLastError(n < 0 ? FromErrno(errno) : ERROR_DISK_FULL);
        break;
      }
      done += static_cast<std::size_t>(n);
    }
    return done;
  }
  int fclose() override {
    if (fd_ < 0) return EOF;
    int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0 ? 0 : EOF;
  }

 private:
  int fd_;
};

}  // namespace

std::uint64_t FileTimeTicks(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME MakeFileTime(std::uint64_t ticks) {
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(ticks);
  time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return time;
}

struct PosixFiles::Search {
  std::vector<WIN32_FIND_DATAA> entries;
  std::size_t next = 0;
};

struct PosixFiles::OpenFile {
  int fd = -1;
  DWORD access = 0;
  DWORD shareMode = 0;
  dev_t dev = 0;
  ino_t ino = 0;
  ~OpenFile() {
    if (fd >= 0) ::close(fd);
  }
};

PosixFiles::PosixFiles(std::shared_ptr<Machine> machine) : machine_(std::move(machine)) {}
PosixFiles::~PosixFiles() = default;

int PosixFiles::_getdrive() { return machine_->CurrentDrive(); }

int PosixFiles::_chdrive(int drive) {
  if (drive < 1 || drive > 31 || !machine_->SetCurrentDrive(drive)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return -1;
  }
  return 0;
}

DWORD PosixFiles::GetCurrentDirectoryA(std::span<char> buffer) {
  std::string dir = machine_->CurrentDirectory();
  if (dir.size() + 1 > buffer.size()) {
    if (!buffer.empty()) buffer[0] = '\0';
    return static_cast<DWORD>(dir.size() + 1);
  }
  std::memcpy(buffer.data(), dir.data(), dir.size());
  buffer[dir.size()] = '\0';
  return static_cast<DWORD>(dir.size());
}

BOOL PosixFiles::SetCurrentDirectoryA(std::string_view path) {
  DWORD error = 0;
  if (machine_->SetCurrentDirectory(path, &error)) return 1;
  return Fail(error);
}

BOOL PosixFiles::CreateDirectoryA(std::string_view path) {
  DWORD error = 0;
  auto host = machine_->Resolve(path, &error);
  if (!host) return Fail(path.empty() ? ERROR_PATH_NOT_FOUND : error);
  if (::mkdir(host->c_str(), 0777) == 0) return 1;
  int e = errno;
  if (e == ENOENT) return Fail(ERROR_PATH_NOT_FOUND);
  return Fail(FromErrno(e));
}

BOOL PosixFiles::RemoveDirectoryA(std::string_view path) {
  DWORD error = 0;
  auto host = machine_->Resolve(path, &error);
  if (!host) return Fail(error);
  struct stat st {};
  if (::lstat(host->c_str(), &st) != 0) return Fail(MissingCode(*host));
  if (!S_ISDIR(st.st_mode)) return Fail(ERROR_DIRECTORY);
  // The process holds its current directory open; the platform refuses to
  // remove it.
  if (auto current = machine_->Resolve(machine_->CurrentDirectory())) {
    std::error_code ec;
    if (fs::equivalent(*current, *host, ec)) return Fail(ERROR_SHARING_VIOLATION);
  }
  if (::rmdir(host->c_str()) == 0) return 1;
  int e = errno;
  if (e == EEXIST) e = ENOTEMPTY;
  return Fail(FromErrno(e));
}

HANDLE PosixFiles::FindFirstFileA(std::string_view pattern, WIN32_FIND_DATAA* data) {
  // The folder part is a path; the last part is a pattern, which must not go
  // through the path rules (they would drop the dot of "*.").
  std::string folder;
  std::string_view mask;
  std::size_t slash = pattern.rfind('\\');
  if (slash != std::string_view::npos) {
    folder = std::string(pattern.substr(0, slash + 1));
    mask = pattern.substr(slash + 1);
  } else if (pattern.size() >= 2 && pattern[1] == ':') {
    folder = std::string(pattern.substr(0, 2));
    mask = pattern.substr(2);
  } else {
    folder = ".";
    mask = pattern;
  }
  if (mask.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  for (char c : mask) {
    if (c != '*' && c != '?' && !IsValidName(std::string_view(&c, 1))) {
      SetLastError(ERROR_INVALID_NAME);
      return INVALID_HANDLE_VALUE;
    }
  }
  DWORD error = 0;
  std::string full = machine_->FullPath(folder);
  auto host = full.empty() ? std::nullopt : machine_->Resolve(full, &error);
  struct stat st {};
  if (!host || ::stat(host->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    SetLastError(full.empty() ? ERROR_INVALID_NAME : ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  auto search = std::make_unique<Search>();
  // A drive's root has no "." and ".." entries on the platform.
  bool isRoot = full.size() == 3;
  if (!isRoot) {
    for (const char* dot : {".", ".."}) {
      struct stat dst {};
      if (WildcardMatch(mask, dot) && ::stat((*host / dot).c_str(), &dst) == 0) {
        search->entries.emplace_back();
        FillFindData(dot, dst, &search->entries.back());
      }
    }
  }
  std::vector<std::pair<std::string, struct stat>> found;
  std::error_code ec;
  for (fs::directory_iterator it(*host, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = HostToAnsi(it->path().filename().string());
    struct stat est {};
    if (!WildcardMatch(mask, name) || ::stat(it->path().c_str(), &est) != 0) continue;
    found.emplace_back(std::move(name), est);
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [name, est] : found) {
    search->entries.emplace_back();
    FillFindData(name, est, &search->entries.back());
  }
  if (search->entries.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  *data = search->entries[0];
  search->next = 1;
  HANDLE handle = search.get();
  searches_[handle] = std::move(search);
  return handle;
}

BOOL PosixFiles::FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) {
  auto it = searches_.find(find);
  if (it == searches_.end()) return Fail(ERROR_INVALID_HANDLE);
  Search& search = *it->second;
  if (search.next >= search.entries.size()) return Fail(ERROR_NO_MORE_FILES);
  *data = search.entries[search.next++];
  return 1;
}

BOOL PosixFiles::FindClose(HANDLE find) {
  if (searches_.erase(find) == 0) return Fail(ERROR_INVALID_HANDLE);
  return 1;
}

bool PosixFiles::SharingConflict(const fs::path& host, DWORD access, DWORD shareMode) const {
  struct stat st {};
  if (::stat(host.c_str(), &st) != 0) return false;
  for (const auto& [handle, file] : files_) {
    if (file->dev != st.st_dev || file->ino != st.st_ino) continue;
    if ((access & GENERIC_WRITE) && !(file->shareMode & FILE_SHARE_WRITE)) return true;
    if ((access & GENERIC_READ) && !(file->shareMode & FILE_SHARE_READ)) return true;
    if ((access & DELETE) && !(file->shareMode & FILE_SHARE_DELETE)) return true;
    if ((file->access & GENERIC_WRITE) && !(shareMode & FILE_SHARE_WRITE)) return true;
    if ((file->access & GENERIC_READ) && !(shareMode & FILE_SHARE_READ)) return true;
  }
  return false;
}

BOOL PosixFiles::DeleteFileA(std::string_view path) {
  DWORD error = 0;
  auto host = machine_->Resolve(path, &error);
  if (!host) return Fail(error);
  struct stat st {};
  if (::lstat(host->c_str(), &st) != 0) return Fail(MissingCode(*host));
  if (S_ISDIR(st.st_mode) || IsReadOnly(st)) return Fail(ERROR_ACCESS_DENIED);
  if (SharingConflict(*host, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)) {
    return Fail(ERROR_SHARING_VIOLATION);
  }
  if (::unlink(host->c_str()) == 0) return 1;
  return Fail(FromErrno(errno));
}

BOOL PosixFiles::MoveFileA(std::string_view from, std::string_view to) {
  DWORD error = 0;
  auto source = machine_->Resolve(from, &error);
  if (!source) return Fail(error);
  auto target = machine_->Resolve(to, &error);
  if (!target) return Fail(error);
  struct stat st {};
  if (::lstat(source->c_str(), &st) != 0) return Fail(MissingCode(*source));
  if (SharingConflict(*source, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)) {
    return Fail(ERROR_SHARING_VIOLATION);
  }
  struct stat tst {};
  if (::lstat(target->c_str(), &tst) == 0) {
    if (tst.st_dev != st.st_dev || tst.st_ino != st.st_ino) return Fail(ERROR_ALREADY_EXISTS);
    // The same file under another case of its name: a rename of the case.
    std::string full = machine_->FullPath(to);
    *target = target->parent_path() / AnsiToHost(full.substr(full.rfind('\\') + 1));
    if (*target == *source) return 1;
  }
  // Never replaces a name that appeared meanwhile.
  if (::renameat2(AT_FDCWD, source->c_str(), AT_FDCWD, target->c_str(), RENAME_NOREPLACE) == 0) {
    return 1;
  }
  int e = errno;
  if (e == EXDEV && S_ISREG(st.st_mode)) {
    // Another host file system: the platform moves a file across volumes by
    // copying it; a folder cannot move.
    std::error_code ec;
    if (fs::copy_file(*source, *target, fs::copy_options::none, ec)) {
      if (fs::remove(*source, ec)) return 1;
      fs::remove(*target, ec);
    }
    return Fail(ec ? FromErrno(ec.value()) : ERROR_ACCESS_DENIED);
  }
  if (e == EXDEV) return Fail(ERROR_ACCESS_DENIED);
  if (e == ENOENT) return Fail(ERROR_PATH_NOT_FOUND);
  return Fail(FromErrno(e));
}

BOOL PosixFiles::SetFileAttributesA(std::string_view path, DWORD attributes) {
  DWORD error = 0;
  auto host = machine_->Resolve(path, &error);
  if (!host) return Fail(error);
  struct stat st {};
  if (::stat(host->c_str(), &st) != 0) return Fail(MissingCode(*host));
  // Read-only means nothing for a folder on the platform; leave its bits.
  if (S_ISDIR(st.st_mode)) return 1;
  mode_t mode = st.st_mode & 07777;
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    mode &= ~kWriteBits;
  } else if ((mode & kWriteBits) == 0) {
    mode |= S_IWUSR;
  }
  if (mode == (st.st_mode & 07777) || ::chmod(host->c_str(), mode) == 0) return 1;
  return Fail(FromErrno(errno));
}

DWORD PosixFiles::GetFileAttributesA(std::string_view path) {
  DWORD error = 0;
  auto host = machine_->Resolve(path, &error);
  if (!host) {
    SetLastError(error);
    return INVALID_FILE_ATTRIBUTES;
  }
  struct stat st {};
  if (::stat(host->c_str(), &st) != 0) {
    SetLastError(MissingCode(*host));
    return INVALID_FILE_ATTRIBUTES;
  }
  return AttributesOf(st);
}

std::unique_ptr<IOutFile> PosixFiles::fopen_wb(std::string_view path) {
  DWORD error = 0;
  auto host = machine_->Resolve(path, &error);
  if (!host) {
    SetLastError(error);
    return nullptr;
  }
  struct stat st {};
  if (::stat(host->c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode) || IsReadOnly(st)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
    if (SharingConflict(*host, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE)) {
      SetLastError(ERROR_SHARING_VIOLATION);
      return nullptr;
    }
  }
  int fd = ::open(host->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : FromErrno(errno));
    return nullptr;
  }
  return std::make_unique<PosixOutFile>(fd);
}

HANDLE PosixFiles::CreateFileA(std::string_view path, DWORD access, DWORD shareMode, DWORD creation,
                               DWORD /*attributes*/) {
  DWORD error = 0;
  auto host = machine_->Resolve(path, &error);
  if (!host) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
  }
  struct stat st {};
  bool exists = ::stat(host->c_str(), &st) == 0;
  auto fail = [](DWORD code) {
    SetLastError(code);
    return INVALID_HANDLE_VALUE;
  };
  int flags = O_CLOEXEC;
  switch (creation) {
    case CREATE_NEW:
      if (exists) return fail(kErrorFileExists);
      flags |= O_CREAT | O_EXCL;
      break;
    case CREATE_ALWAYS:
      flags |= O_CREAT | O_TRUNC;
      break;
    case OPEN_EXISTING:
      if (!exists) return fail(MissingCode(*host));
      break;
    case OPEN_ALWAYS:
      flags |= O_CREAT;
      break;
    case TRUNCATE_EXISTING:
      if (!exists) return fail(MissingCode(*host));
      flags |= O_TRUNC;
      break;
    default:
      return fail(ERROR_INVALID_PARAMETER);
  }
  if (exists) {
    if (S_ISDIR(st.st_mode)) return fail(ERROR_ACCESS_DENIED);
    bool writes = (access & GENERIC_WRITE) || (flags & O_TRUNC);
    if (writes && IsReadOnly(st)) return fail(ERROR_ACCESS_DENIED);
    if (SharingConflict(*host, access, shareMode)) return fail(ERROR_SHARING_VIOLATION);
  }
  // Truncation needs a writable descriptor whatever access was asked for.
  if ((access & GENERIC_WRITE) || (flags & O_TRUNC)) {
    flags |= (access & GENERIC_READ) || !(access & GENERIC_WRITE) ? O_RDWR : O_WRONLY;
  } else {
    flags |= O_RDONLY;
  }
  int fd = ::open(host->c_str(), flags, 0666);
  if (fd < 0) return fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : FromErrno(errno));
  auto file = std::make_unique<OpenFile>();
  file->fd = fd;
  file->access = access;
  file->shareMode = shareMode;
  struct stat fst {};
  if (::fstat(fd, &fst) == 0) {
    file->dev = fst.st_dev;
    file->ino = fst.st_ino;
  }
  HANDLE handle = file.get();
  files_[handle] = std::move(file);
  SetLastError(exists && (creation == OPEN_ALWAYS || creation == CREATE_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                                  : 0);
  return handle;
}

BOOL PosixFiles::SetFileTime(HANDLE handle, const FILETIME* /*creation*/, const FILETIME* lastAccess,
                             const FILETIME* lastWrite) {
  auto it = files_.find(handle);
  if (it == files_.end()) return Fail(ERROR_INVALID_HANDLE);
  if (!(it->second->access & GENERIC_WRITE)) return Fail(ERROR_ACCESS_DENIED);
  struct timespec times[2];
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_nsec = UTIME_OMIT;
  // The creation time has no place on Linux: it is not kept.
  if (lastAccess && !ToTimespec(*lastAccess, &times[0])) return Fail(ERROR_INVALID_PARAMETER);
  if (lastWrite && !ToTimespec(*lastWrite, &times[1])) return Fail(ERROR_INVALID_PARAMETER);
  if (::futimens(it->second->fd, times) == 0) return 1;
  return Fail(FromErrno(errno));
}

BOOL PosixFiles::GetFileTime(HANDLE handle, FILETIME* creation, FILETIME* lastAccess,
                             FILETIME* lastWrite) {
  auto it = files_.find(handle);
  if (it == files_.end()) return Fail(ERROR_INVALID_HANDLE);
  struct statx stx {};
  if (::statx(it->second->fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &stx) != 0) {
    return Fail(FromErrno(errno));
  }
  auto convert = [](const struct statx_timestamp& t) {
    struct timespec ts {};
    ts.tv_sec = static_cast<time_t>(t.tv_sec);
    ts.tv_nsec = static_cast<long>(t.tv_nsec);
    return FromTimespec(ts);
  };
  if (creation) *creation = convert((stx.stx_mask & STATX_BTIME) ? stx.stx_btime : stx.stx_mtime);
  if (lastAccess) *lastAccess = convert(stx.stx_atime);
  if (lastWrite) *lastWrite = convert(stx.stx_mtime);
  return 1;
}

BOOL PosixFiles::CloseHandle(HANDLE handle) {
  if (files_.erase(handle) == 0) return Fail(ERROR_INVALID_HANDLE);
  return 1;
}

namespace {
// statvfs of the folder a root names ("D:", "D:\\", a folder, or empty for the
// current drive).
bool VolumeOf(Machine& machine, std::string_view root, struct statvfs* vfs, DWORD* error) {
  std::string path = root.empty() ? machine.CurrentDirectory().substr(0, 3) : std::string(root);
  auto host = machine.Resolve(path, error);
  if (!host) return false;
  if (::statvfs(host->c_str(), vfs) != 0) {
    *error = errno == ENOENT ? ERROR_PATH_NOT_FOUND : FromErrno(errno);
    return false;
  }
  return true;
}
}  // namespace

BOOL PosixFiles::GetDiskFreeSpaceExA(std::string_view root, std::uint64_t* freeToCaller,
                                     std::uint64_t* total, std::uint64_t* totalFree) {
  struct statvfs vfs {};
  DWORD error = 0;
  if (!VolumeOf(*machine_, root, &vfs, &error)) return Fail(error);
  const std::uint64_t unit = vfs.f_frsize;
  if (freeToCaller) *freeToCaller = static_cast<std::uint64_t>(vfs.f_bavail) * unit;
  if (total) *total = static_cast<std::uint64_t>(vfs.f_blocks) * unit;
  if (totalFree) *totalFree = static_cast<std::uint64_t>(vfs.f_bfree) * unit;
  return 1;
}

BOOL PosixFiles::GetDiskFreeSpaceA(std::string_view root, DWORD* sectorsPerCluster,
                                   DWORD* bytesPerSector, DWORD* freeClusters, DWORD* totalClusters) {
  struct statvfs vfs {};
  DWORD error = 0;
  if (!VolumeOf(*machine_, root, &vfs, &error)) return Fail(error);
  const std::uint64_t cluster = vfs.f_frsize ? vfs.f_frsize : 512;
  const std::uint64_t sector = cluster >= 512 ? 512 : cluster;
  auto cap = [](std::uint64_t n) {
    return static_cast<DWORD>(std::min<std::uint64_t>(n, 0xFFFFFFFFu));
  };
  if (sectorsPerCluster) *sectorsPerCluster = cap(cluster / sector);
  if (bytesPerSector) *bytesPerSector = cap(sector);
  if (freeClusters) *freeClusters = cap(vfs.f_bavail);
  if (totalClusters) *totalClusters = cap(vfs.f_blocks);
  return 1;
}

UINT PosixFiles::GetWindowsDirectoryA(std::span<char> buffer) {
  std::string dir = machine_->WindowsDirectory();
  if (dir.size() + 1 > buffer.size()) return static_cast<UINT>(dir.size() + 1);
  std::memcpy(buffer.data(), dir.data(), dir.size());
  buffer[dir.size()] = '\0';
  return static_cast<UINT>(dir.size());
}

DWORD PosixFiles::GetLastError() { return posix::GetLastError(); }

int PosixFiles::MultiByteToWideChar(UINT codePage, DWORD flags, std::string_view text,
                                    std::span<WCHAR> out) {
  if ((codePage != CP_ACP && codePage != 1252) || flags != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // The whole NUL-terminated string: up to its NUL, which is counted.
  text = text.substr(0, text.find('\0'));
  std::u16string wide = AnsiToWide(text);
  const std::size_t needed = wide.size() + 1;
  if (out.empty()) return static_cast<int>(needed);
  if (needed > out.size()) {
    SetLastError(kErrorInsufficientBuffer);
    return 0;
  }
  std::copy(wide.begin(), wide.end(), out.begin());
  out[wide.size()] = u'\0';
  return static_cast<int>(needed);
}

}  // namespace tw::posix
