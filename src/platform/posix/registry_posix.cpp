#include "platform/posix/registry_posix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/winconst.h"

namespace tw::posix {

namespace {

// What the A functions accept before the name reaches the registry proper.
constexpr std::size_t kMaxSubKeyPathLength = 260;
constexpr std::size_t kMaxQueryNameLength = 32766;

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// The platform's functions take C strings: a name ends at its first NUL.
std::string_view CString(std::string_view s) { return s.substr(0, s.find('\0')); }

LONG SplitSubKey(std::string_view subKey, std::vector<std::string_view>& parts) {
  subKey = CString(subKey);
  if (subKey.size() > kMaxSubKeyPathLength) return ERROR_MORE_DATA;
  if (!subKey.empty() && subKey.front() == '\\') return ERROR_BAD_PATHNAME;
  std::size_t start = 0;
  while (start < subKey.size()) {
    std::size_t end = subKey.find('\\', start);
    if (end == std::string_view::npos) end = subKey.size();
    if (end > start) {
      if (end - start > kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
      parts.push_back(subKey.substr(start, end - start));
    }
    start = end + 1;
  }
  return ERROR_SUCCESS;
}

LONG FromErrno(int err) {
  switch (err) {
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENOENT:
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    default: return ERROR_CANTWRITE;
  }
}

bool IsBelow(const std::vector<std::string>& path, const std::vector<std::string>& top) {
  if (path.size() < top.size()) return false;
  for (std::size_t i = 0; i < top.size(); ++i)
    if (!NameEquals(path[i], top[i])) return false;
  return true;
}

// Closes a descriptor when it goes out of scope (and so drops its flock).
struct Fd {
  int fd = -1;
  explicit Fd(int f) : fd(f) {}
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
};

}  // namespace

PosixRegistry::PosixRegistry(std::filesystem::path file) : file_(std::move(file)) {
  lock_ = file_;
  lock_ += ".lock";
}

PosixRegistry::~PosixRegistry() = default;

void PosixRegistry::Report(const std::string& message) {
  if (message == lastReport_) return;
  lastReport_ = message;
  std::fprintf(stderr, "tarnwick: %s\n", message.c_str());
}

LONG PosixRegistry::ReadFile(std::string& bytes, bool& exists) {
  bytes.clear();
  exists = false;
  Fd in(::open(file_.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.fd < 0) {
    if (errno == ENOENT) return ERROR_SUCCESS;
    Report("cannot read the registry file " + file_.string() + ": " + std::strerror(errno));
    return ERROR_CANTREAD;
  }
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(in.fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      Report("cannot read the registry file " + file_.string() + ": " + std::strerror(errno));
      return ERROR_CANTREAD;
    }
    if (n == 0) break;
    bytes.append(buf, static_cast<std::size_t>(n));
  }
  exists = true;
  return ERROR_SUCCESS;
}

LONG PosixRegistry::ParseInto(const std::string& bytes, bool exists) {
  loadedValid_ = false;
  if (!exists) {
    tree_ = RegKey{};
  } else {
    RegFileError error;
    if (!ParseRegFile(bytes, tree_, error)) {
      Report("the registry file " + file_.string() + " is damaged (line " + std::to_string(error.line) +
             ": " + error.what + "); it is left as it is and the registry cannot be used until it is repaired");
      return ERROR_BADDB;
    }
  }
  loaded_ = bytes;
  loadedExists_ = exists;
  loadedValid_ = true;
  return ERROR_SUCCESS;
}

LONG PosixRegistry::Load() {
  std::string bytes;
  bool exists = false;
  if (LONG rc = ReadFile(bytes, exists)) return rc;
  if (loadedValid_ && exists == loadedExists_ && bytes == loaded_) return ERROR_SUCCESS;
  return ParseInto(bytes, exists);
}

LONG PosixRegistry::WriteFile(const std::string& bytes) {
  std::filesystem::path folder = file_.parent_path();
  std::string temp = (folder / (file_.filename().string() + ".XXXXXX")).string();
  auto fail = [&](const char* what, int err, bool unlinkTemp) {
    if (unlinkTemp) ::unlink(temp.c_str());
    Report("cannot write the registry file " + file_.string() + " (" + what + ": " + std::strerror(err) +
           "); it is left as it was");
    return FromErrno(err);
  };

  int fd = ::mkstemp(temp.data());
  if (fd < 0) return fail("creating a new file beside it", errno, false);
  Fd out(fd);
  struct stat old {};
  mode_t mode = (::stat(file_.c_str(), &old) == 0) ? (old.st_mode & 07777) : 0644;
  if (::fchmod(out.fd, mode) != 0) return fail("setting its mode", errno, true);
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(out.fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail("writing", errno, true);
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(out.fd) != 0) return fail("flushing", errno, true);
  int closed = ::close(out.fd);
  out.fd = -1;
  if (closed != 0) return fail("closing", errno, true);
  if (::rename(temp.c_str(), file_.c_str()) != 0) return fail("renaming it into place", errno, true);
  // The rename itself must reach the disk before we call the change done.
  Fd dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.fd >= 0) ::fsync(dir.fd);
  return ERROR_SUCCESS;
}

template <typename Change>
LONG PosixRegistry::Modify(Change&& change) {
  Fd lock(::open(lock_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
  if (lock.fd < 0) {
    int err = errno;
    Report("cannot lock the registry file " + file_.string() + " (" + lock_.string() + ": " + std::strerror(err) +
           "); nothing was changed");
    return FromErrno(err);
  }
  while (::flock(lock.fd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      Report("cannot lock the registry file " + file_.string() + ": " + std::strerror(errno));
      return ERROR_CANTWRITE;
    }
  }
  if (LONG rc = Load()) return rc;
  if (LONG rc = change()) return rc;
  std::string bytes = WriteRegFile(tree_);
  if (loadedExists_ && bytes == loaded_) return ERROR_SUCCESS;
  if (LONG rc = WriteFile(bytes)) {
    loadedValid_ = false;  // tree_ holds a change the file does not
    return rc;
  }
  loaded_ = std::move(bytes);
  loadedExists_ = true;
  return ERROR_SUCCESS;
}

LONG PosixRegistry::Lookup(HKEY key, KeyPath& path, REGSAM& sam) const {
  path.clear();
  if (key == keys::LocalMachine) {
    sam = KEY_ALL_ACCESS;
    return ERROR_SUCCESS;
  }
  auto it = handles_.find(reinterpret_cast<std::uintptr_t>(key));
  if (it == handles_.end()) return ERROR_INVALID_HANDLE;
  if (it->second.deleted) return ERROR_KEY_DELETED;
  path = it->second.path;
  sam = it->second.sam;
  return ERROR_SUCCESS;
}

HKEY PosixRegistry::NewHandle(KeyPath path, REGSAM sam) {
  std::uintptr_t id = nextHandle_;
  nextHandle_ += 4;  // never reused, so a closed handle stays invalid
  handles_[id] = Handle{std::move(path), sam, false};
  return reinterpret_cast<HKEY>(id);
}

RegKey* PosixRegistry::Find(const KeyPath& path) {
  RegKey* key = &tree_;
  for (const std::string& part : path) {
    key = key->FindChild(part);
    if (!key) return nullptr;
  }
  return key;
}

LONG PosixRegistry::RegOpenKeyExA(HKEY key, std::string_view subKey, DWORD, REGSAM sam, HKEY* result) {
  std::lock_guard guard(mutex_);
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  KeyPath path;
  REGSAM parentSam = 0;
  if (LONG rc = Lookup(key, path, parentSam)) return rc;
  std::vector<std::string_view> parts;
  if (LONG rc = SplitSubKey(subKey, parts)) return rc;
  if (LONG rc = Load()) return rc;
  RegKey* node = Find(path);
  if (!node) return ERROR_KEY_DELETED;  // by another registry on this file
  for (std::string_view part : parts) {
    node = node->FindChild(part);
    if (!node) return ERROR_FILE_NOT_FOUND;
    path.push_back(node->name);
  }
  *result = NewHandle(std::move(path), sam);
  return ERROR_SUCCESS;
}

LONG PosixRegistry::RegCreateKeyExA(HKEY key, std::string_view subKey, DWORD, std::string_view, DWORD,
                                    REGSAM sam, HKEY* result, DWORD* disposition) {
  std::lock_guard guard(mutex_);
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  KeyPath path;
  REGSAM parentSam = 0;
  if (LONG rc = Lookup(key, path, parentSam)) return rc;
  std::vector<std::string_view> parts;
  if (LONG rc = SplitSubKey(subKey, parts)) return rc;
  // A line of the file cannot hold these.
  for (std::string_view part : parts)
    if (part.find_first_of("\r\n") != std::string_view::npos) return ERROR_INVALID_PARAMETER;
  bool created = false;
  LONG rc = Modify([&]() -> LONG {
    RegKey* node = Find(path);
    if (!node) return ERROR_KEY_DELETED;
    for (std::string_view part : parts) {
      node = &node->AddChild(part, &created);
      path.push_back(node->name);
    }
    return ERROR_SUCCESS;
  });
  if (rc) return rc;
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = NewHandle(std::move(path), sam);
  return ERROR_SUCCESS;
}

LONG PosixRegistry::RegSetValueExA(HKEY key, std::string_view valueName, DWORD, DWORD type,
                                   std::span<const BYTE> data) {
  std::lock_guard guard(mutex_);
  KeyPath path;
  REGSAM sam = 0;
  if (LONG rc = Lookup(key, path, sam)) return rc;
  if (!(sam & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  std::string_view name = CString(valueName);
  if (name.size() > kMaxValueNameLength) return ERROR_INVALID_PARAMETER;
  return Modify([&]() -> LONG {
    RegKey* node = Find(path);
    if (!node) return ERROR_KEY_DELETED;
    node->SetValue(name, type, std::vector<BYTE>(data.begin(), data.end()));
    return ERROR_SUCCESS;
  });
}

LONG PosixRegistry::RegQueryValueExA(HKEY key, std::string_view valueName, DWORD* type, std::span<BYTE> data,
                                     DWORD* cbData) {
  std::lock_guard guard(mutex_);
  KeyPath path;
  REGSAM sam = 0;
  if (LONG rc = Lookup(key, path, sam)) return rc;
  if (!(sam & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  std::string_view name = CString(valueName);
  if (name.size() > kMaxQueryNameLength) return ERROR_INVALID_PARAMETER;
  if (LONG rc = Load()) return rc;
  const RegKey* node = Find(path);
  if (!node) return ERROR_KEY_DELETED;
  const RegValue* value = node->FindValue(name);
  if (!value) return ERROR_FILE_NOT_FOUND;
  const std::size_t size = value->data.size();
  if (type) *type = value->type;
  if (cbData) *cbData = static_cast<DWORD>(size);
  if (data.empty()) return ERROR_SUCCESS;
  if (size > data.size()) return ERROR_MORE_DATA;
  std::copy(value->data.begin(), value->data.end(), data.begin());
  // A string stored without its NUL gets one where there is room, uncounted.
  if (IsStringType(value->type) && size > 0 && size < data.size() && value->data.back() != 0) data[size] = 0;
  return ERROR_SUCCESS;
}

LONG PosixRegistry::RegEnumKeyExA(HKEY key, DWORD index, std::span<char> name, DWORD* cchName) {
  std::lock_guard guard(mutex_);
  KeyPath path;
  REGSAM sam = 0;
  if (LONG rc = Lookup(key, path, sam)) return rc;
  if (!(sam & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  if (LONG rc = Load()) return rc;
  const RegKey* node = Find(path);
  if (!node) return ERROR_KEY_DELETED;
  if (index >= node->children.size()) return ERROR_NO_MORE_ITEMS;
  const std::string& child = std::next(node->children.begin(), static_cast<std::ptrdiff_t>(index))->second->name;
  std::size_t capacity = name.size();
  if (cchName) capacity = std::min<std::size_t>(capacity, *cchName);
  if (child.size() + 1 > capacity) return ERROR_MORE_DATA;
  std::copy(child.begin(), child.end(), name.begin());
  name[child.size()] = '\0';
  if (cchName) *cchName = static_cast<DWORD>(child.size());
  return ERROR_SUCCESS;
}

LONG PosixRegistry::RegDeleteKeyA(HKEY key, std::string_view subKey) {
  std::lock_guard guard(mutex_);
  KeyPath path;
  REGSAM sam = 0;
  if (LONG rc = Lookup(key, path, sam)) return rc;
  std::vector<std::string_view> parts;
  if (LONG rc = SplitSubKey(subKey, parts)) return rc;
  KeyPath gone;
  LONG rc = Modify([&]() -> LONG {
    RegKey* parent = Find(path);
    if (!parent) return ERROR_KEY_DELETED;
    gone = path;
    if (parts.empty()) {  // "" names the key itself
      if (gone.empty()) return ERROR_ACCESS_DENIED;
      gone.pop_back();
      parent = Find(gone);
      gone = path;
    } else {
      for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        parent = parent->FindChild(parts[i]);
        if (!parent) return ERROR_FILE_NOT_FOUND;
        gone.push_back(parent->name);
      }
      if (!parent->FindChild(parts.back())) return ERROR_FILE_NOT_FOUND;
      gone.push_back(parent->FindChild(parts.back())->name);
    }
    auto it = parent->children.find(gone.back());
    if (!it->second->children.empty()) return ERROR_ACCESS_DENIED;
    parent->children.erase(it);
    return ERROR_SUCCESS;
  });
  if (rc) return rc;
  for (auto& [id, handle] : handles_)
    if (IsBelow(handle.path, gone)) handle.deleted = true;
  return ERROR_SUCCESS;
}

LONG PosixRegistry::RegCloseKey(HKEY key) {
  std::lock_guard guard(mutex_);
  if (key == keys::LocalMachine) return ERROR_SUCCESS;
  return handles_.erase(reinterpret_cast<std::uintptr_t>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // namespace tw::posix
