// The posix backend as a whole on a prefix: the fresh machine's registry
// values, module probes and named mutexes.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/posix/backend_posix.h"
#include "platform/posix/machine.h"
#include "platform/posix/process_posix.h"
#include "platform/winconst.h"

namespace fs = std::filesystem;

namespace tw {
namespace {

class PrefixUnit : public ::testing::Test {
 protected:
  PrefixUnit() {
    std::string pattern = (fs::temp_directory_path() / "tw-prefix-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    temp_ = pattern;
    machine_ = std::make_shared<posix::Machine>(temp_ / "prefix");
  }
  ~PrefixUnit() override {
    std::error_code ec;
    fs::remove_all(temp_, ec);
  }
  fs::path temp_;
  std::shared_ptr<posix::Machine> machine_;
};

std::string ProgramFilesDir(IRegistry& registry, DWORD* type, DWORD* size) {
  HKEY key = nullptr;
  if (registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                             KEY_READ, &key) != ERROR_SUCCESS) {
    return "<no key>";
  }
  std::array<BYTE, 260> data{};
  *size = data.size();
  LONG rc = registry.RegQueryValueExA(key, "ProgramFilesDir", type, data, size);
  registry.RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return "<no value>";
  return std::string(reinterpret_cast<const char*>(data.data()), *size);
}

TEST_F(PrefixUnit, FreshMachineHasProgramFilesDirOnce) {
  {
    Platform platform = MakePosixPlatform(machine_);
    ASSERT_NE(platform.registry, nullptr);
    DWORD type = 0, size = 0;
    EXPECT_EQ(ProgramFilesDir(*platform.registry, &type, &size), std::string("C:\\Program Files\0", 17));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    // Someone removes it: a later start does not put it back, as on a real
    // machine.
    HKEY key = nullptr;
    ASSERT_EQ(platform.registry->RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows",
                                               0, KEY_WRITE, &key),
              ERROR_SUCCESS);
    ASSERT_EQ(platform.registry->RegDeleteKeyA(key, "CurrentVersion"), ERROR_SUCCESS);
    platform.registry->RegCloseKey(key);
  }
  Platform again = MakePosixPlatform(std::make_shared<posix::Machine>(temp_ / "prefix"));
  DWORD type = 0, size = 0;
  EXPECT_EQ(ProgramFilesDir(*again.registry, &type, &size), "<no key>");
}

TEST_F(PrefixUnit, ModuleProbes) {
  posix::PosixProcess process(machine_);
  for (const char* name : {"Kernel32.dll", "KERNEL32", "kernel32.DLL"}) {
    HMODULE kernel = process.LoadLibraryA(name);
    ASSERT_NE(kernel, nullptr) << name;
    EXPECT_NE(process.GetProcAddress(kernel, "GetDiskFreeSpaceExA"), nullptr);
    EXPECT_EQ(process.GetProcAddress(kernel, "getdiskfreespaceexa"), nullptr);  // exact names
    EXPECT_EQ(process.GetProcAddress(kernel, "VerInstallFileA"), nullptr);
    EXPECT_TRUE(process.FreeLibrary(kernel));
  }
  HMODULE version = process.LoadLibraryA("version.dll");
  ASSERT_NE(version, nullptr);
  EXPECT_NE(process.GetProcAddress(version, "VerInstallFileA"), nullptr);
  EXPECT_EQ(process.LoadLibraryA("missing.dll"), nullptr);
  EXPECT_EQ(process.GetLastError(), 126u);
  EXPECT_EQ(process.GetProcAddress(nullptr, "VerInstallFileA"), nullptr);
  EXPECT_FALSE(process.FreeLibrary(nullptr));
}

TEST_F(PrefixUnit, NamedMutexIsSharedByProcessesOnOnePrefix) {
  posix::PosixProcess first(machine_);
  HANDLE held = first.CreateMutexA(0, "KD_XK_Mutex");
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(first.GetLastError(), 0u);

  posix::PosixProcess second(machine_);
  HANDLE again = second.CreateMutexA(0, "KD_XK_Mutex");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(second.GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_TRUE(second.CloseHandle(again));

  // Another process sees it too.
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    posix::PosixProcess other(std::make_shared<posix::Machine>(temp_ / "prefix"));
    HANDLE h = other.CreateMutexA(0, "KD_XK_Mutex");
    ::_exit(h && other.GetLastError() == static_cast<DWORD>(ERROR_ALREADY_EXISTS) ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  // Names are kept apart, whatever they hold.
  HANDLE odd = second.CreateMutexA(0, "../KD_XK_Mutex");
  EXPECT_EQ(second.GetLastError(), 0u);
  second.CloseHandle(odd);

  EXPECT_TRUE(first.CloseHandle(held));
  HANDLE after = second.CreateMutexA(1, "KD_XK_Mutex");
  EXPECT_EQ(second.GetLastError(), 0u);
  EXPECT_TRUE(second.ReleaseMutex(after));
  EXPECT_FALSE(second.ReleaseMutex(after));
  EXPECT_TRUE(second.CloseHandle(after));
  EXPECT_FALSE(second.CloseHandle(after));
}

}  // namespace
}  // namespace tw
