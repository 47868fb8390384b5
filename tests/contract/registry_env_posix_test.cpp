#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "contract/registry_test_env.h"
#include "platform/posix/registry_posix.h"
#include "platform/winconst.h"

namespace tw::test {
namespace {

class PosixRegistryEnv final : public RegistryEnv {
 public:
  PosixRegistryEnv() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tw-registry-XXXXXX").string();
    if (::mkdtemp(tmpl.data())) dir_ = tmpl;
    registry_ = std::make_unique<posix::PosixRegistry>(dir_ / "system.reg");
    base_ = std::string("SOFTWARE\\TarnwickTests\\") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    HKEY key = nullptr;
    if (registry_->RegCreateKeyExA(HKEY_LOCAL_MACHINE, base_, 0, "", REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &key,
                                   nullptr) == ERROR_SUCCESS)
      registry_->RegCloseKey(key);
  }
  ~PosixRegistryEnv() override {
    registry_.reset();
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
  }
  IRegistry& Registry() override { return *registry_; }
  std::unique_ptr<IRegistry> Another() override {
    return std::make_unique<posix::PosixRegistry>(dir_ / "system.reg");
  }
  const std::string& Base() const override { return base_; }

 private:
  std::filesystem::path dir_;
  std::unique_ptr<posix::PosixRegistry> registry_;
  std::string base_;
};

}  // namespace

std::unique_ptr<RegistryEnv> RegistryEnv::Make() { return std::make_unique<PosixRegistryEnv>(); }

}  // namespace tw::test
