// PosixRegistry and its file: atomic replacement, damage never rewritten,
// several registries (and processes) on one file.
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix/registry_posix.h"
#include "platform/winconst.h"

namespace tw::posix {
namespace {

namespace fs = std::filesystem;

std::span<const BYTE> Sz(const char* s) {
  return {reinterpret_cast<const BYTE*>(s), std::char_traits<char>::length(s) + 1};
}

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteAll(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::vector<std::string> Names(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class RegStore : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "tw-regstore-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    file_ = dir_ / "system.reg";
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all);
    fs::remove_all(dir_);
  }
  LONG SetString(IRegistry& reg, const char* key, const char* name, const char* text) {
    HKEY h = nullptr;
    LONG rc = reg.RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, "", 0, KEY_WRITE, &h, nullptr);
    if (rc) return rc;
    rc = reg.RegSetValueExA(h, name, 0, REG_SZ, Sz(text));
    reg.RegCloseKey(h);
    return rc;
  }
  std::string GetString(IRegistry& reg, const char* key, const char* name, LONG* result = nullptr) {
    HKEY h = nullptr;
    LONG rc = reg.RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &h);
    char buf[260] = {};
    if (rc == 0) {
      DWORD cb = sizeof buf;
      rc = reg.RegQueryValueExA(h, name, nullptr, std::span(reinterpret_cast<BYTE*>(buf), sizeof buf - 1), &cb);
      reg.RegCloseKey(h);
    }
    if (result) *result = rc;
    return rc ? std::string() : std::string(buf);
  }

  fs::path dir_;
  fs::path file_;
};

TEST_F(RegStore, AMissingFileIsAnEmptyRegistryThatTheFirstChangeCreates) {
  PosixRegistry reg(file_);
  HKEY h = nullptr;
  EXPECT_EQ(reg.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &h), ERROR_FILE_NOT_FOUND);
  char name[64];
  DWORD cch = sizeof name;
  EXPECT_EQ(reg.RegEnumKeyExA(HKEY_LOCAL_MACHINE, 0, name, &cch), ERROR_NO_MORE_ITEMS);
  EXPECT_FALSE(fs::exists(file_)) << "reading writes nothing";

  ASSERT_EQ(SetString(reg, "SOFTWARE\\ZO Daruzura\\Tarnwick\\2.11b", "", "1700000000"), ERROR_SUCCESS);
  EXPECT_EQ(ReadAll(file_),
            "REGEDIT4\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ZO Daruzura]\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ZO Daruzura\\Tarnwick]\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ZO Daruzura\\Tarnwick\\2.11b]\r\n"
            "@=\"1700000000\"\r\n\r\n");
  EXPECT_EQ(Names(dir_), (std::vector<std::string>{"system.reg", "system.reg.lock"})) << "no temporary file left";
}

TEST_F(RegStore, ADamagedFileFailsEveryCallAndIsNeverRewritten) {
  struct Case {
    const char* label;
    std::string bytes;
    const char* line;
  };
  const std::vector<Case> cases = {
      {"empty file", "", "line 1"},
      {"garbage", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=\"1\"\r\n#!/bin/sh\r\nrm -rf /\r\n", "line 6"},
      {"truncated mid-value", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=\"C:\\\\Prog", "line 4"},
      {"truncated mid-key", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\r\n[HKEY_LOCAL_MA", "line 5"},
      {"binary", std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10), "line 1"},
  };
  for (const Case& c : cases) {
    WriteAll(file_, c.bytes);
    PosixRegistry reg(file_);
    ::testing::internal::CaptureStderr();
    HKEY h = nullptr;
    BYTE buf[8];
    DWORD cb = sizeof buf;
    char name[64];
    DWORD cch = sizeof name;
    EXPECT_EQ(reg.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "A", 0, KEY_READ, &h), ERROR_BADDB) << c.label;
    EXPECT_EQ(reg.RegCreateKeyExA(HKEY_LOCAL_MACHINE, "B", 0, "", 0, KEY_WRITE, &h, nullptr), ERROR_BADDB) << c.label;
    EXPECT_EQ(reg.RegSetValueExA(HKEY_LOCAL_MACHINE, "v", 0, REG_SZ, Sz("x")), ERROR_BADDB) << c.label;
    EXPECT_EQ(reg.RegQueryValueExA(HKEY_LOCAL_MACHINE, "v", nullptr, buf, &cb), ERROR_BADDB) << c.label;
    EXPECT_EQ(reg.RegEnumKeyExA(HKEY_LOCAL_MACHINE, 0, name, &cch), ERROR_BADDB) << c.label;
    EXPECT_EQ(reg.RegDeleteKeyA(HKEY_LOCAL_MACHINE, "A"), ERROR_BADDB) << c.label;
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadAll(file_), c.bytes) << c.label;
    EXPECT_NE(err.find(file_.string()), std::string::npos) << c.label << ": " << err;
    EXPECT_NE(err.find(c.line), std::string::npos) << c.label << ": " << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << c.label << ": reported once\n" << err;
    EXPECT_EQ(Names(dir_), (std::vector<std::string>{"system.reg", "system.reg.lock"})) << c.label;

    // Repaired by hand, the same registry works again.
    WriteAll(file_, "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=\"1\"\r\n");
    EXPECT_EQ(GetString(reg, "A", "x"), "1") << c.label;
  }
}

TEST_F(RegStore, AFailedWriteLeavesTheOldFileWhole) {
  PosixRegistry reg(file_);
  ASSERT_EQ(SetString(reg, "SOFTWARE\\Keep", "Path", "C:\\Program Files\\Tarnwick"), ERROR_SUCCESS);
  const std::string before = ReadAll(file_);

  // The new file cannot grow past a few bytes: the write fails half-way.
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = before.size() + 16;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  ::testing::internal::CaptureStderr();
  const std::string big(1000, 'x');
  LONG rc = SetString(reg, "SOFTWARE\\Keep", "Big", big.c_str());
  std::string err = ::testing::internal::GetCapturedStderr();
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, oldHandler);

  EXPECT_NE(rc, ERROR_SUCCESS);
  EXPECT_NE(err.find(file_.string()), std::string::npos) << err;
  EXPECT_EQ(ReadAll(file_), before);
  EXPECT_EQ(Names(dir_), (std::vector<std::string>{"system.reg", "system.reg.lock"})) << "half-written file removed";
  LONG query = 0;
  GetString(reg, "SOFTWARE\\Keep", "Big", &query);
  EXPECT_EQ(query, ERROR_FILE_NOT_FOUND) << "the failed change is not seen afterwards";
  EXPECT_EQ(GetString(reg, "SOFTWARE\\Keep", "Path"), "C:\\Program Files\\Tarnwick");
  EXPECT_EQ(SetString(reg, "SOFTWARE\\Keep", "Big", big.c_str()), ERROR_SUCCESS);
  HKEY h = nullptr;
  ASSERT_EQ(reg.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Keep", 0, KEY_READ, &h), ERROR_SUCCESS);
  DWORD cb = 0;
  EXPECT_EQ(reg.RegQueryValueExA(h, "Big", nullptr, {}, &cb), ERROR_SUCCESS);
  EXPECT_EQ(cb, big.size() + 1);
  reg.RegCloseKey(h);
}

// Root ignores folder permissions; take that away for one test.
class WithoutDacOverride {
 public:
  WithoutDacOverride() {
    if (::geteuid() != 0) {
      ok_ = true;
      return;
    }
    header_ = {_LINUX_CAPABILITY_VERSION_3, 0};
    if (::syscall(SYS_capget, &header_, saved_) != 0) return;
    __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
    reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
    ok_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    restore_ = ok_;
  }
  ~WithoutDacOverride() {
    if (restore_) ::syscall(SYS_capset, &header_, saved_);
  }
  bool ok() const { return ok_; }

 private:
  __user_cap_header_struct header_{};
  __user_cap_data_struct saved_[2]{};
  bool ok_ = false;
  bool restore_ = false;
};

TEST_F(RegStore, AReadOnlyPrefixRefusesChangesWithACodeAndKeepsTheFile) {
  for (bool lockExists : {true, false}) {
    PosixRegistry reg(file_);
    ASSERT_EQ(SetString(reg, "SOFTWARE\\Keep", "Path", "C:\\Tarnwick"), ERROR_SUCCESS);
    if (!lockExists) fs::remove(file_.string() + ".lock");
    const std::string before = ReadAll(file_);
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    LONG rc = 0;
    std::string value;
    {
      WithoutDacOverride unprivileged;
      if (!unprivileged.ok()) GTEST_SKIP() << "cannot drop CAP_DAC_OVERRIDE here";
      ::testing::internal::CaptureStderr();
      rc = SetString(reg, "SOFTWARE\\Keep", "Path", "C:\\Elsewhere");
      ::testing::internal::GetCapturedStderr();
      value = GetString(reg, "SOFTWARE\\Keep", "Path");
    }
    fs::permissions(dir_, fs::perms::owner_all);
    EXPECT_EQ(rc, ERROR_ACCESS_DENIED) << "lock file present: " << lockExists;
    EXPECT_EQ(value, "C:\\Tarnwick") << "reading still works";
    EXPECT_EQ(ReadAll(file_), before);
  }
}

TEST_F(RegStore, TwoRegistriesOnOneFileSeeEachOthersChanges) {
  PosixRegistry a(file_);
  PosixRegistry b(file_);
  ASSERT_EQ(SetString(a, "SOFTWARE\\Shared", "Who", "a"), ERROR_SUCCESS);
  EXPECT_EQ(GetString(b, "software\\shared", "who"), "a");
  ASSERT_EQ(SetString(b, "SOFTWARE\\Shared", "Who", "b"), ERROR_SUCCESS);
  EXPECT_EQ(GetString(a, "SOFTWARE\\Shared", "Who"), "b");

  HKEY held = nullptr;
  ASSERT_EQ(a.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Shared", 0, KEY_READ, &held), ERROR_SUCCESS);
  ASSERT_EQ(b.RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Shared"), ERROR_SUCCESS);
  DWORD cb = 0;
  EXPECT_EQ(a.RegQueryValueExA(held, "Who", nullptr, {}, &cb), ERROR_KEY_DELETED);
  EXPECT_EQ(a.RegCloseKey(held), ERROR_SUCCESS);
  HKEY h = nullptr;
  EXPECT_EQ(a.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Shared", 0, KEY_READ, &h), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegStore, ConcurrentProcessesLoseNoChange) {
  constexpr int kWriters = 3;
  constexpr int kEach = 25;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      PosixRegistry reg(file_);
      int failures = 0;
      for (int i = 0; i < kEach; ++i) {
        std::string name = "w" + std::to_string(w) + "_" + std::to_string(i);
        failures += SetString(reg, "SOFTWARE\\Race", name.c_str(), name.c_str()) != 0;
      }
      ::_exit(failures == 0 ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  PosixRegistry reg(file_);
  for (int w = 0; w < kWriters; ++w)
    for (int i = 0; i < kEach; ++i) {
      std::string name = "w" + std::to_string(w) + "_" + std::to_string(i);
      EXPECT_EQ(GetString(reg, "SOFTWARE\\Race", name.c_str()), name);
    }
}

}  // namespace
}  // namespace tw::posix
