// What the files-and-drives service promises, on both backends. Windows is the
// reference: these cases run against Wine's kernel32 in the win64 build.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/winconst.h"
#include "support/machine.h"

namespace tw {
namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 0x20) : c;
  return s;
}

std::string CurrentDir() {
  std::array<char, 1024> buffer{};
  DWORD n = Files().GetCurrentDirectoryA(buffer);
  EXPECT_GT(n, 0u);
  EXPECT_LT(n, buffer.size());
  return std::string(buffer.data(), n < buffer.size() ? n : 0);
}

bool WriteFile(const std::string& path, std::string_view bytes) {
  auto file = Files().fopen_wb(path);
  if (!file) return false;
  bool ok = file->fwrite({reinterpret_cast<const BYTE*>(bytes.data()), bytes.size()}) == bytes.size();
  return file->fclose() == 0 && ok;
}

std::vector<std::string> Search(const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = Files().FindFirstFileA(pattern, &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    names.emplace_back(data.cFileName);
  } while (Files().FindNextFileA(find, &data));
  EXPECT_EQ(Files().GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_TRUE(Files().FindClose(find));
  std::sort(names.begin(), names.end());
  return names;
}

class FilesContract : public test::MachineTest {};

TEST_F(FilesContract, EachDriveKeepsItsCurrentDirectory) {
  ASSERT_TRUE(Files().SetCurrentDirectoryA("C:\\Windows"));
  ASSERT_TRUE(Files().SetCurrentDirectoryA(ScratchD()));
  EXPECT_EQ(Files()._getdrive(), 4);
  EXPECT_EQ(Upper(CurrentDir()), Upper(ScratchD()));

  ASSERT_EQ(Files()._chdrive(3), 0);
  EXPECT_EQ(Files()._getdrive(), 3);
  EXPECT_EQ(Upper(CurrentDir()), "C:\\WINDOWS");
  ASSERT_EQ(Files()._chdrive(4), 0);
  EXPECT_EQ(Upper(CurrentDir()), Upper(ScratchD()));
  // "D:" alone is D:'s own directory, "D:x" relative to it, "\\x" rooted on
  // the current drive.
  ASSERT_TRUE(Files().CreateDirectoryA(ScratchD() + "\\sub"));
  ASSERT_EQ(Files()._chdrive(3), 0);
  ASSERT_TRUE(Files().SetCurrentDirectoryA("D:sub"));
  EXPECT_EQ(Upper(CurrentDir()), Upper(ScratchD() + "\\sub"));
  ASSERT_TRUE(Files().SetCurrentDirectoryA("\\"));
  EXPECT_EQ(CurrentDir(), "D:\\");
}

TEST_F(FilesContract, DriveWhoseFolderVanishedIsStillThereAtItsRoot) {
  ASSERT_TRUE(Files().CreateDirectoryA(ScratchD() + "\\gone"));
  ASSERT_TRUE(Files().SetCurrentDirectoryA(ScratchD() + "\\gone"));
  ASSERT_TRUE(Files().SetCurrentDirectoryA("C:\\Windows"));
  ASSERT_TRUE(Files().RemoveDirectoryA(ScratchD() + "\\gone"));
  EXPECT_EQ(Files()._chdrive(4), 0);
  EXPECT_EQ(CurrentDir(), "D:\\");
}

TEST_F(FilesContract, ChdriveRefusesDrivesThatDoNotExist) {
  ASSERT_TRUE(Files().SetCurrentDirectoryA(ScratchD()));
  for (int drive : {kUnmappedDrive - 'A' + 1, 0, -1, 32, 27}) {
    EXPECT_EQ(Files()._chdrive(drive), -1) << drive;
  }
  EXPECT_EQ(Files()._getdrive(), 4);
  EXPECT_EQ(Upper(CurrentDir()), Upper(ScratchD()));
}

TEST_F(FilesContract, NamesResolveWithoutCaseAndKeepTheirOwn) {
  ASSERT_TRUE(Files().CreateDirectoryA(ScratchD() + "\\Apps"));
  ASSERT_TRUE(Files().SetCurrentDirectoryA(ScratchD() + "\\APPS"));
  ASSERT_TRUE(Files().CreateDirectoryA("MixedCase"));
  EXPECT_EQ(Search(ScratchD() + "\\apps\\mixedcase"), std::vector<std::string>{"MixedCase"});
  EXPECT_EQ(Search(ScratchD() + "\\*"), (std::vector<std::string>{".", "..", "Apps"}));
  EXPECT_NE(Files().GetFileAttributesA(ScratchD() + "\\aPpS\\MIXEDCASE"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FilesContract, SetCurrentDirectoryFailures) {
  ASSERT_TRUE(Files().SetCurrentDirectoryA(ScratchD()));
  ASSERT_TRUE(WriteFile(ScratchD() + "\\plain", "x"));
  for (const std::string& bad : {std::string(), ScratchD() + "\\missing", ScratchD() + "\\plain",
                                 std::string("Q:\\")}) {
    EXPECT_FALSE(Files().SetCurrentDirectoryA(bad)) << '"' << bad << '"';
  }
  EXPECT_EQ(Upper(CurrentDir()), Upper(ScratchD()));
}

TEST_F(FilesContract, CreateAndRemoveDirectory) {
  const std::string dir = ScratchD() + "\\New";
  ASSERT_TRUE(Files().CreateDirectoryA(dir));
  EXPECT_FALSE(Files().CreateDirectoryA(dir));
  EXPECT_EQ(Files().GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(Files().CreateDirectoryA(ScratchD() + "\\no\\such"));
  EXPECT_EQ(Files().GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

  ASSERT_TRUE(WriteFile(dir + "\\file.txt", "x"));
  EXPECT_FALSE(Files().RemoveDirectoryA(dir));
  EXPECT_EQ(Files().GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
  ASSERT_TRUE(Files().DeleteFileA(dir + "\\file.txt"));
  EXPECT_TRUE(Files().RemoveDirectoryA(dir));
  EXPECT_EQ(Files().GetFileAttributesA(dir), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(Files().RemoveDirectoryA(dir));
  EXPECT_EQ(Files().GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FilesContract, CurrentDirectoryCannotBeRemoved) {
  const std::string dir = ScratchD() + "\\Busy";
  ASSERT_TRUE(Files().CreateDirectoryA(dir));
  ASSERT_TRUE(Files().SetCurrentDirectoryA(dir));
  EXPECT_FALSE(Files().RemoveDirectoryA(dir));
  ASSERT_TRUE(Files().SetCurrentDirectoryA("\\"));
  EXPECT_TRUE(Files().RemoveDirectoryA(dir));
}

TEST_F(FilesContract, GetCurrentDirectoryNeverWritesPastTheBuffer) {
  ASSERT_TRUE(Files().SetCurrentDirectoryA(ScratchD()));
  const std::string expected = CurrentDir();
  const std::size_t len = expected.size();
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, len - 1, len}) {
    std::vector<char> buffer(size + 4, '#');
    EXPECT_EQ(Files().GetCurrentDirectoryA(std::span<char>(buffer.data(), size)), len + 1) << size;
    for (std::size_t i = size; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], '#') << size << ":" << i;
  }
  std::vector<char> exact(len + 2, '#');
  EXPECT_EQ(Files().GetCurrentDirectoryA(std::span<char>(exact.data(), len + 1)), len);
  EXPECT_EQ(std::string(exact.data()), expected);
  EXPECT_EQ(exact[len + 1], '#');
}

TEST_F(FilesContract, SearchFollowsThePlatformsWildcards) {
  const std::string d = ScratchD();
  ASSERT_TRUE(WriteFile(d + "\\README", "1"));
  ASSERT_TRUE(WriteFile(d + "\\a.txt", "22"));
  ASSERT_TRUE(WriteFile(d + "\\b.TXT", "333"));
  ASSERT_TRUE(Files().CreateDirectoryA(d + "\\sub.txt"));

  EXPECT_EQ(Search(d + "\\*.*"),
            (std::vector<std::string>{".", "..", "README", "a.txt", "b.TXT", "sub.txt"}));
  EXPECT_EQ(Search(d + "\\*.txt"), (std::vector<std::string>{"a.txt", "b.TXT", "sub.txt"}));
  EXPECT_EQ(Search(d + "\\?.txt"), (std::vector<std::string>{"a.txt", "b.TXT"}));

  WIN32_FIND_DATAA data;
  HANDLE find = Files().FindFirstFileA(d + "\\b.txt", &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(data.cFileName, "b.TXT");
  EXPECT_EQ(data.nFileSizeLow, 3u);
  EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_TRUE(Files().FindClose(find));
  find = Files().FindFirstFileA(d + "\\sub.txt", &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_TRUE(Files().FindClose(find));

  // A drive's root has no "." and ".." entries.
  const std::vector<std::string> root = Search("D:\\*.*");
  EXPECT_EQ(std::count(root.begin(), root.end(), "."), 0);
  EXPECT_EQ(std::count(root.begin(), root.end(), ".."), 0);

  EXPECT_EQ(Files().FindFirstFileA(d + "\\*.none", &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(Files().GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Files().FindFirstFileA(d + "\\missing\\*.*", &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(Files().GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(FilesContract, MoveNeverReplacesAnExistingName) {
  const std::string d = ScratchD();
  ASSERT_TRUE(WriteFile(d + "\\from", "from"));
  ASSERT_TRUE(WriteFile(d + "\\to", "to"));
  EXPECT_FALSE(Files().MoveFileA(d + "\\from", d + "\\TO"));
  EXPECT_EQ(Files().GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(ReadFileBytes(d + "\\from"), "from");
  EXPECT_EQ(ReadFileBytes(d + "\\to"), "to");

  EXPECT_TRUE(Files().MoveFileA(d + "\\from", d + "\\Renamed"));
  EXPECT_EQ(ReadFileBytes(d + "\\Renamed"), "from");
  EXPECT_EQ(Files().GetFileAttributesA(d + "\\from"), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(Files().MoveFileA(d + "\\from", d + "\\again"));
  EXPECT_EQ(Files().GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FilesContract, ReadOnlyFileCannotBeDeletedUntilItsAttributesAreReset) {
  const std::string file = ScratchD() + "\\locked.txt";
  ASSERT_TRUE(WriteFile(file, "x"));
  ASSERT_TRUE(Files().SetFileAttributesA(file, FILE_ATTRIBUTE_READONLY));
  EXPECT_NE(Files().GetFileAttributesA(file) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_FALSE(Files().DeleteFileA(file));
  EXPECT_EQ(Files().GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(ReadFileBytes(file), "x");

  ASSERT_TRUE(Files().SetFileAttributesA(file, FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(Files().GetFileAttributesA(file) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_TRUE(Files().DeleteFileA(file));
  EXPECT_FALSE(Files().DeleteFileA(file));
  EXPECT_EQ(Files().GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(Files().DeleteFileA(ScratchD() + "\\no\\such"));
  EXPECT_EQ(Files().GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(FilesContract, WriteBinaryTruncates) {
  const std::string file = ScratchD() + "\\XK.MSZ";
  ASSERT_TRUE(WriteFile(file, std::string("0123456789\0\r\n", 13)));
  EXPECT_EQ(ReadFileBytes(file), std::string("0123456789\0\r\n", 13));
  ASSERT_TRUE(WriteFile(file, "abc"));
  EXPECT_EQ(ReadFileBytes(file), "abc");
  EXPECT_EQ(Files().fopen_wb(ScratchD() + "\\missing\\x"), nullptr);
  EXPECT_EQ(Files().fopen_wb(ScratchD()), nullptr);  // a folder
}

TEST_F(FilesContract, FileTimesRoundTrip) {
  const std::string file = ScratchD() + "\\stamped";
  ASSERT_TRUE(WriteFile(file, "x"));
  HANDLE h = Files().CreateFileA(file, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FILETIME stamp;  // 2007-03-10 02:11:02 UTC
  stamp.dwLowDateTime = static_cast<DWORD>(128179662620000000ull);
  stamp.dwHighDateTime = static_cast<DWORD>(128179662620000000ull >> 32);
  EXPECT_TRUE(Files().SetFileTime(h, &stamp, &stamp, &stamp));
  FILETIME access{}, write{};
  EXPECT_TRUE(Files().GetFileTime(h, nullptr, &access, &write));
  EXPECT_EQ(write.dwLowDateTime, stamp.dwLowDateTime);
  EXPECT_EQ(write.dwHighDateTime, stamp.dwHighDateTime);
  EXPECT_EQ(access.dwLowDateTime, stamp.dwLowDateTime);
  EXPECT_EQ(access.dwHighDateTime, stamp.dwHighDateTime);

  // Held without delete sharing, the file can be neither deleted nor renamed.
  EXPECT_FALSE(Files().DeleteFileA(file));
  EXPECT_EQ(Files().GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(Files().MoveFileA(file, file + ".new"));
  EXPECT_TRUE(Files().CloseHandle(h));
  EXPECT_FALSE(Files().CloseHandle(h));

  WIN32_FIND_DATAA data;
  HANDLE find = Files().FindFirstFileA(file, &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, stamp.dwLowDateTime);
  EXPECT_EQ(data.ftLastWriteTime.dwHighDateTime, stamp.dwHighDateTime);
  Files().FindClose(find);

  EXPECT_EQ(Files().CreateFileA(ScratchD() + "\\missing", GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(Files().GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FilesContract, FreeSpace) {
  ASSERT_EQ(Files()._chdrive(4), 0);
  ASSERT_TRUE(Files().SetCurrentDirectoryA("\\"));
  std::uint64_t free = 0, total = 0, totalFree = 0;
  ASSERT_TRUE(Files().GetDiskFreeSpaceExA("D:", &free, &total, &totalFree));
  EXPECT_GT(free, 0u);
  EXPECT_LE(free, totalFree);
  EXPECT_LE(totalFree, total);
  EXPECT_TRUE(Files().GetDiskFreeSpaceExA("d:\\", &free, nullptr, nullptr));

  DWORD spc = 0, bps = 0, clusters = 0, all = 0;
  ASSERT_TRUE(Files().GetDiskFreeSpaceA("D:\\", &spc, &bps, &clusters, &all));
  EXPECT_GT(spc, 0u);
  EXPECT_GT(bps, 0u);
  EXPECT_GT(clusters, 0u);
  EXPECT_LE(clusters, all);
  EXPECT_TRUE(Files().GetDiskFreeSpaceA("D:\\", &spc, &bps, &clusters, nullptr));

  EXPECT_FALSE(Files().GetDiskFreeSpaceExA("Q:", &free, &total, &totalFree));
  EXPECT_FALSE(Files().GetDiskFreeSpaceA("Q:\\", &spc, &bps, &clusters, nullptr));
}

TEST_F(FilesContract, WindowsDirectoryForm) {
  std::array<char, MAX_PATH> buffer{};
  UINT n = Files().GetWindowsDirectoryA(buffer);
  ASSERT_GT(n, 3u);
  ASSERT_LT(n, buffer.size());
  const std::string dir(buffer.data(), n);
  EXPECT_EQ(std::strlen(buffer.data()), n);
  EXPECT_EQ(Upper(dir), "C:\\WINDOWS");
  EXPECT_NE(Files().GetFileAttributesA(dir) & FILE_ATTRIBUTE_DIRECTORY, 0u);

  std::vector<char> small(n + 2, '#');
  EXPECT_EQ(Files().GetWindowsDirectoryA(std::span<char>(small.data(), n)), n + 1);
  EXPECT_EQ(small[n], '#');
  EXPECT_EQ(small[n + 1], '#');
}

TEST_F(FilesContract, CodePageToUtf16) {
  std::array<WCHAR, 16> out{};
  out.fill(u'#');
  EXPECT_EQ(Files().MultiByteToWideChar(CP_ACP, 0, "C:\\Caf\xe9\x80", std::span<WCHAR>(out.data(), 9)),
            9);
  EXPECT_EQ(std::u16string(out.data()), u"C:\\Caf\u00e9\u20ac");
  EXPECT_EQ(out[9], u'#');
  out.fill(u'#');
  EXPECT_EQ(Files().MultiByteToWideChar(CP_ACP, 0, "abc", std::span<WCHAR>(out.data(), 3)), 0);
  EXPECT_EQ(out[3], u'#');
}

}  // namespace
}  // namespace tw
