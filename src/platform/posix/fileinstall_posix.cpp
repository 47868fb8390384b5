#include "platform/posix/fileinstall_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/szdd.h"
#include "platform/winconst.h"

namespace tw::posix {

namespace {

std::string Join(std::string_view dir, std::string_view name) {
  std::string path(dir);
  if (!path.empty() && path.back() != '\\' && path.back() != ':') {
    path += '\\';
  }
  path += name;
  return path;
}

bool ReadFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return false;
  }
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

DWORD WriteFailure(int error) {
  return (error == ENOSPC || error == EDQUOT) ? VIF_OUTOFSPACE : VIF_CANNOTCREATE;
}

// Writes `bytes` to a new temporary file in `folder` and flushes it to disk.
// On success `tmp` names the file; on failure nothing is left behind.
DWORD WriteTemporary(const std::filesystem::path& folder, const std::vector<std::uint8_t>& bytes,
                     std::string& tmp) {
  std::string pattern = (folder / "VIFXXXXXX.tmp").string();
  int fd = ::mkstemps(pattern.data(), 4);
  if (fd < 0) {
    return WriteFailure(errno);
  }
  auto fail = [&](int error) {
    ::close(fd);
    ::unlink(pattern.c_str());
    return WriteFailure(error);
  };
  // mkstemp makes the file private; an installed file is an ordinary one.
  if (::fchmod(fd, 0644) != 0) {
    return fail(errno);
  }
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return fail(errno);
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) {
    return fail(errno);
  }
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(pattern.c_str());
    return WriteFailure(error);
  }
  tmp = std::move(pattern);
  return 0;
}

void SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

PosixFileInstall::PosixFileInstall(std::shared_ptr<Machine> machine) : machine_(std::move(machine)) {}

DWORD PosixFileInstall::VerInstallFileA(DWORD /*flags*/, std::string_view srcFileName,
                                        std::string_view destFileName, std::string_view srcDir,
                                        std::string_view destDir, std::string_view /*curDir*/,
                                        std::span<char> /*tmpFile*/, UINT* /*tmpFileLen*/) {
  if (srcFileName.empty()) {
    return VIF_CANNOTREADSRC;
  }
  const auto source = machine_->Resolve(Join(srcDir, srcFileName));
  std::vector<std::uint8_t> packed;
  if (!source || !ReadFile(*source, packed)) {
    return VIF_CANNOTREADSRC;
  }
  const szdd::DecodeResult expanded = szdd::Decode(packed);
  if (!expanded) {
    return VIF_CANNOTREADSRC;
  }

  if (destFileName.empty()) {
    return VIF_CANNOTCREATE;
  }
  const auto dest = machine_->Resolve(Join(destDir, destFileName));
  std::error_code ec;
  if (!dest || !std::filesystem::is_directory(dest->parent_path(), ec) ||
      std::filesystem::is_directory(*dest, ec)) {
    return VIF_CANNOTCREATE;
  }

  std::string tmp;
  if (const DWORD failure = WriteTemporary(dest->parent_path(), expanded.bytes, tmp); failure != 0) {
    return failure;
  }
  if (::rename(tmp.c_str(), dest->c_str()) != 0) {
    ::unlink(tmp.c_str());
    return VIF_CANNOTRENAME;
  }
  SyncFolder(dest->parent_path());
  return 0;
}

}  // namespace tw::posix
