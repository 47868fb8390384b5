// Promises of the posix files service that cannot be checked under Wine, or
// where Wine strays from Windows.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <filesystem>
#include <fstream>

#include "platform/platform.h"
#include "platform/posix/machine.h"
#include "platform/winconst.h"
#include "support/machine.h"

namespace fs = std::filesystem;

namespace tw {
namespace {

class FilesPosix : public test::MachineTest {
 protected:
  fs::path Host(const std::string& windowsPath) { return PosixMachine()->Resolve(windowsPath).value(); }
};

// Windows refuses to open a read-only file for writing. Wine run as root does
// not: it leaves the check to the host, and root may write anything.
TEST_F(FilesPosix, ReadOnlyFileCannotBeOpenedForWriting) {
  const std::string file = ScratchD() + "\\locked.txt";
  std::ofstream(Host(file)) << "x";
  ASSERT_TRUE(Files().SetFileAttributesA(file, FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ((fs::status(Host(file)).permissions() & fs::perms::owner_write), fs::perms::none);
  EXPECT_EQ(Files().fopen_wb(file), nullptr);
  EXPECT_EQ(Files().GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(Files().CreateFileA(file, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadFileBytes(file), "x");
  // A file the host made read-only is read-only here too.
  const std::string other = ScratchD() + "\\other.txt";
  std::ofstream(Host(other)) << "y";
  fs::permissions(Host(other), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_NE(Files().GetFileAttributesA(other) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_FALSE(Files().DeleteFileA(other));
}

TEST_F(FilesPosix, InvalidNamesAreRefused) {
  for (const char* name : {"a?b", "a*b", "a|b", "a<b", "a>b", "a\"b", "a:b", "a/b", "a\x01"}) {
    const std::string path = ScratchD() + "\\" + name;
    EXPECT_FALSE(Files().CreateDirectoryA(path)) << name;
    EXPECT_EQ(Files().GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME)) << name;
    EXPECT_EQ(Files().fopen_wb(path), nullptr) << name;
  }
  EXPECT_TRUE(fs::is_empty(Host(ScratchD())));
}

TEST_F(FilesPosix, NamesInTheCodePageAreUtf8OnTheHost) {
  const std::string dir = ScratchD() + "\\Caf\xe9 \x80";
  ASSERT_TRUE(Files().CreateDirectoryA(dir));
  EXPECT_TRUE(fs::is_directory(Host(ScratchD()) / "Caf\xc3\xa9 \xe2\x82\xac"));
  WIN32_FIND_DATAA data;
  HANDLE find = Files().FindFirstFileA(ScratchD() + "\\CAF\xc9*", &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(data.cFileName, "Caf\xe9 \x80");
  Files().FindClose(find);
}

TEST_F(FilesPosix, FreeSpaceIsTheHostsFigureForTheCaller) {
  std::uint64_t free = 0, total = 0, totalFree = 0;
  ASSERT_TRUE(Files().GetDiskFreeSpaceExA("D:\\", &free, &total, &totalFree));
  struct statvfs vfs {};
  ASSERT_EQ(::statvfs(Host("D:\\").c_str(), &vfs), 0);
  EXPECT_EQ(total, static_cast<std::uint64_t>(vfs.f_blocks) * vfs.f_frsize);
  // Free space moves while other programs run; the caller's share is bavail.
  EXPECT_NEAR(static_cast<double>(free), static_cast<double>(vfs.f_bavail) * vfs.f_frsize, 64e6);
}

}  // namespace
}  // namespace tw
