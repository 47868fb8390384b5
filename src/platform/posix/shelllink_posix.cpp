#include "platform/posix/shelllink_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/lnk.h"
#include "platform/posix/machine.h"
#include "platform/winconst.h"

namespace tw::posix {
namespace {

namespace fs = std::filesystem;

constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);

constexpr HRESULT FromWin32(LONG error) {
  return static_cast<HRESULT>(0x80070000u | (static_cast<std::uint32_t>(error) & 0xFFFFu));
}

HRESULT FromErrno(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
      return FromWin32(ERROR_ACCESS_DENIED);
    case ENOSPC:
    case EDQUOT:
      return FromWin32(ERROR_DISK_FULL);
    case ENOENT:
    case ENOTDIR:
      return FromWin32(ERROR_PATH_NOT_FOUND);
    case ENAMETOOLONG:
      return FromWin32(ERROR_FILENAME_EXCED_RANGE);
    default:
      return FromWin32(ERROR_WRITE_FAULT);
  }
}

// The setters receive C strings on the platform: text after a NUL is not seen.
std::string CString(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

// Writes `bytes` to a new file in `folder` and renames it over `final`, so a
// reader sees the old link or the new one, never a torn file.
HRESULT WriteInPlace(const fs::path& folder, const fs::path& final, const std::vector<std::uint8_t>& bytes) {
  std::string temp = (folder / ".tw-link-XXXXXX").string();
  const int fd = mkstemp(temp.data());
  if (fd < 0) return FromErrno(errno);
  int error = 0;
  std::size_t done = 0;
  while (done < bytes.size() && !error) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno != EINTR) error = errno;
    if (n > 0) done += static_cast<std::size_t>(n);
  }
  // mkstemp makes the file private; a link is as readable as any other file.
  if (!error && fchmod(fd, 0644) != 0) error = errno;
  if (!error && fsync(fd) != 0) error = errno;
  if (close(fd) != 0 && !error) error = errno;
  if (!error && std::rename(temp.c_str(), final.c_str()) != 0) error = errno;
  if (error) {
    unlink(temp.c_str());
    return FromErrno(error);
  }
  return S_OK;
}

class ShellLink final : public IShellLinkA, public IPersistFile {
 public:
  explicit ShellLink(std::shared_ptr<Machine> machine) : machine_(std::move(machine)) {}

  HRESULT QueryInterface(const IID& iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IShellLinkA) {
      *out = static_cast<IShellLinkA*>(this);
    } else if (iid == IID_IPersistFile) {
      *out = static_cast<IPersistFile*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT SetDescription(std::string_view text) override {
    props_.description = CString(text);
    return S_OK;
  }
  HRESULT SetIconLocation(std::string_view path, int index) override {
    props_.iconLocation = CString(path);
    props_.iconIndex = index;
    return S_OK;
  }
  HRESULT SetWorkingDirectory(std::string_view path) override {
    props_.workingDirectory = CString(path);
    return S_OK;
  }
  HRESULT SetShowCmd(int showCmd) override {
    props_.showCommand = static_cast<std::uint32_t>(showCmd);
    return S_OK;
  }

  // The shell stores the target as a full path and answers S_FALSE for one
  // that does not exist (yet).
  HRESULT SetPath(std::string_view path) override {
    std::string target = CString(path);
    if (target.size() >= 2 && target.front() == '"' && target.back() == '"') {
      target = target.substr(1, target.size() - 2);
    }
    if (target.find('"') != std::string::npos) return S_FALSE;
    if (target.empty()) {
      props_.targetPath.clear();
      return S_OK;
    }
    const std::string full = machine_->FullPath(target);
    props_.targetPath = full.empty() ? target : full;
    std::error_code ec;
    const auto host = machine_->Resolve(props_.targetPath);
    return host && fs::exists(*host, ec) ? S_OK : S_FALSE;
  }

  // `remember` would make the file the object's current one; nothing here asks
  // for that, so it is not kept.
  HRESULT Save(const WCHAR* path, BOOL /*remember*/) override {
    if (!path) return E_INVALIDARG;
    const std::u16string_view wide(path);
    if (wide.empty() || wide.size() >= static_cast<std::size_t>(MAX_PATH)) {
      return FromWin32(ERROR_PATH_NOT_FOUND);
    }
    DWORD error = ERROR_PATH_NOT_FOUND;
    const auto host = machine_->Resolve(WideToAnsi(wide), &error);
    if (!host) return FromWin32(static_cast<LONG>(error));

    std::error_code ec;
    const fs::path folder = host->parent_path();
    if (!fs::is_directory(folder, ec)) return FromWin32(ERROR_PATH_NOT_FOUND);
    const fs::file_status existing = fs::status(*host, ec);
    if (fs::is_directory(existing)) return FromWin32(ERROR_ACCESS_DENIED);
    // Read-only, as the files service sees it: no write permission for anyone.
    constexpr fs::perms kWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if (fs::exists(existing) && (existing.permissions() & kWrite) == fs::perms::none) {
      return FromWin32(ERROR_ACCESS_DENIED);
    }

    const auto bytes = lnk::Build(props_);
    if (!bytes) return E_INVALIDARG;
    return WriteInPlace(folder, *host, *bytes);
  }

 private:
  ~ShellLink() = default;

  std::shared_ptr<Machine> machine_;
  std::atomic<ULONG> refs_{1};
  lnk::LinkProperties props_;
};

}  // namespace

HRESULT CreateShellLinkObject(std::shared_ptr<Machine> machine, const IID& iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!machine) return E_INVALIDARG;
  auto* link = new ShellLink(std::move(machine));
  const HRESULT hr = link->QueryInterface(iid, out);
  link->Release();
  return hr;
}

}  // namespace tw::posix
