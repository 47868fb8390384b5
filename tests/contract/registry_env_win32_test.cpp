#include <gtest/gtest.h>
#include <windows.h>

#include "contract/registry_test_env.h"
#include "platform/win32/registry_win32.h"

// Outside namespace tw: there the platform's macro would name our HKEY.
static HKEY RealLocalMachine() { return HKEY_LOCAL_MACHINE; }

namespace tw::test {
namespace {

constexpr const char* kTestsKey = "SOFTWARE\\TarnwickTests";

class Win32RegistryEnv final : public RegistryEnv {
 public:
  Win32RegistryEnv() {
    static int counter = 0;
    base_ = std::string(kTestsKey) + "\\" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
            std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(++counter);
    ::RegDeleteTreeA(RealLocalMachine(), base_.c_str());
    ::HKEY key = nullptr;
    if (::RegCreateKeyExA(RealLocalMachine(), base_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
        ERROR_SUCCESS)
      ::RegCloseKey(key);
  }
  ~Win32RegistryEnv() override {
    ::RegDeleteTreeA(RealLocalMachine(), base_.c_str());
    ::RegDeleteKeyA(RealLocalMachine(), kTestsKey);  // only when no other test is using it
  }
  IRegistry& Registry() override { return registry_; }
  std::unique_ptr<IRegistry> Another() override { return std::make_unique<win32::Win32Registry>(); }
  const std::string& Base() const override { return base_; }

 private:
  win32::Win32Registry registry_;
  std::string base_;
};

}  // namespace

std::unique_ptr<RegistryEnv> RegistryEnv::Make() { return std::make_unique<Win32RegistryEnv>(); }

}  // namespace tw::test
