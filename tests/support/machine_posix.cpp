// The test machine natively: a fresh prefix per test.
#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/posix/backend_posix.h"
#include "platform/posix/machine.h"
#include "platform/posix/shell_posix.h"
#include "support/machine.h"

namespace fs = std::filesystem;

namespace tw::test {

struct MachineTest::Backend {
  fs::path temp;
  std::shared_ptr<posix::Machine> machine;
  ~Backend() {
    if (temp.empty()) return;
    // Read-only files and folders must not keep the temporary tree alive.
    std::error_code ec;
    for (fs::recursive_directory_iterator it(temp, ec), end; !ec && it != end; it.increment(ec)) {
      if (!it->is_symlink()) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
      }
    }
    fs::remove_all(temp, ec);
  }
};

MachineTest::MachineTest() = default;
MachineTest::~MachineTest() = default;

void MachineTest::SetUp() {
  backend_ = std::make_unique<Backend>();
  std::string pattern = (fs::temp_directory_path() / "tw-test-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr) << "cannot make a temporary folder";
  backend_->temp = pattern;
  const fs::path d = backend_->temp / "d";
  const fs::path e = backend_->temp / "e";
  fs::create_directory(d);
  fs::create_directory(e);
  try {
    backend_->machine = std::make_shared<posix::Machine>(backend_->temp / "prefix");
    backend_->machine->MapDrive('D', d);
    backend_->machine->MapDrive('E', e);
  } catch (const std::exception& ex) {
    FAIL() << ex.what();
  }
  static std::atomic<int> counter{0};
  const std::string unique = "t" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
  fs::create_directory(d / unique);
  fs::create_directory(e / unique);
  scratchD_ = "D:\\" + unique;
  scratchE_ = "E:\\" + unique;
  posix::PosixShell::UninitializeCom();
  platform_ = MakePosixPlatform(backend_->machine);
  previous_ = InstallPlatform(&platform_);
  installed_ = true;
}

void MachineTest::TearDown() {
  if (installed_) InstallPlatform(previous_);
  installed_ = false;
  posix::PosixShell::UninitializeCom();
  platform_ = Platform();
  backend_.reset();
}

std::optional<std::string> MachineTest::ReadFileBytes(const std::string& windowsPath) const {
  if (!backend_ || !backend_->machine) return std::nullopt;
  auto host = backend_->machine->Resolve(windowsPath);
  if (!host) return std::nullopt;
  std::ifstream in(*host, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::shared_ptr<posix::Machine> MachineTest::PosixMachine() const {
  return backend_ ? backend_->machine : nullptr;
}

}  // namespace tw::test
