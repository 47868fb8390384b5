// The posix side of the shell-link contract: a fresh machine per test, links
// read back with lnkinfo.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "contract/shelllink_test_env.h"
#include "platform/posix/machine.h"
#include "platform/posix/shelllink_posix.h"
#include "support/lnkinfo_posix.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;

class PosixShellLinkEnv final : public ShellLinkEnv {
 public:
  PosixShellLinkEnv() {
    static std::atomic<int> counter{0};
    root_ = fs::temp_directory_path() /
            ("tw-shelllink-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    machine_ = std::make_shared<posix::Machine>(root_);
    MakeFolder(kScratch);
  }
  ~PosixShellLinkEnv() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  HRESULT CreateLink(const IID& iid, void** out) override {
    return posix::CreateShellLinkObject(machine_, iid, out);
  }
  std::string Scratch() const override { return kScratch; }
  std::vector<std::string> List(const std::string& folder) const override {
    std::vector<std::string> names;
    const auto host = machine_->Resolve(folder);
    std::error_code ec;
    if (!host) return names;
    for (fs::directory_iterator it(*host, ec), end; !ec && it != end; it.increment(ec)) {
      names.push_back(posix::HostToAnsi(it->path().filename().string()));
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  bool MakeFolder(const std::string& folder) override {
    const auto host = machine_->Resolve(folder);
    std::error_code ec;
    return host && fs::create_directories(*host, ec);
  }
  std::optional<std::vector<std::uint8_t>> ReadBytes(const std::string& file) const override {
    const auto host = machine_->Resolve(file);
    if (!host) return std::nullopt;
    std::ifstream in(*host, std::ios::binary);
    if (!in) return std::nullopt;
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  std::optional<LinkReadBack> ReadLink(const std::string& file) const override {
    return ReadLinkFile(file, machine_);
  }


 private:
  static constexpr const char* kScratch = "C:\\scratch";
  fs::path root_;
  std::shared_ptr<posix::Machine> machine_;
};

}  // namespace

std::unique_ptr<ShellLinkEnv> ShellLinkEnv::Make() { return std::make_unique<PosixShellLinkEnv>(); }

}  // namespace tw::test
