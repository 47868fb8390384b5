// The posix prefix: layout, drives, per-drive current directories and how
// Windows paths become host paths.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "platform/posix/machine.h"
#include "platform/winconst.h"

namespace fs = std::filesystem;
using tw::DWORD;
using tw::posix::Machine;

namespace {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "tw-machine-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

class MachineUnit : public ::testing::Test {
 protected:
  MachineUnit() : machine_(temp_.path() / "prefix") {
    fs::create_directory(temp_.path() / "d");
    machine_.MapDrive('d', temp_.path() / "d");
  }
  TempDir temp_;
  Machine machine_;
};

TEST_F(MachineUnit, FreshPrefixHasTheMachineFolders) {
  const fs::path c = temp_.path() / "prefix" / "drive_c";
  EXPECT_TRUE(fs::is_symlink(temp_.path() / "prefix" / "dosdevices" / "c:"));
  for (const std::string& folder : {machine_.ProgramFilesDirectory(), machine_.WindowsDirectory(),
                                    machine_.DesktopDirectory(), machine_.ProgramsDirectory()}) {
    auto host = machine_.Resolve(folder);
    ASSERT_TRUE(host) << folder;
    EXPECT_TRUE(fs::is_directory(*host)) << folder;
  }
  EXPECT_TRUE(fs::is_directory(c / "users" / machine_.UserName() / "AppData" / "Roaming" /
                               "Microsoft" / "Windows" / "Start Menu" / "Programs"));
  EXPECT_EQ(machine_.CurrentDrive(), 3);
  EXPECT_EQ(machine_.CurrentDirectory(), "C:\\");
}

TEST_F(MachineUnit, ReopeningKeepsContentAndRepairsMissingFolders) {
  fs::remove_all(temp_.path() / "prefix" / "drive_c" / "Windows");
  std::ofstream(temp_.path() / "prefix" / "drive_c" / "keep.txt") << "x";
  Machine again(temp_.path() / "prefix");
  EXPECT_TRUE(fs::is_directory(temp_.path() / "prefix" / "drive_c" / "Windows"));
  EXPECT_TRUE(fs::exists(temp_.path() / "prefix" / "drive_c" / "keep.txt"));
  EXPECT_TRUE(again.DriveRoot('d'));  // the drive map lives in the prefix
}

TEST(MachineErrors, UnusablePrefixGivesAnErrorNamingThePath) {
  TempDir temp;
  std::ofstream(temp.path() / "file") << "x";
  for (const fs::path& bad : {temp.path() / "file", temp.path() / "file" / "prefix"}) {
    try {
      Machine machine(bad);
      ADD_FAILURE() << "no error for " << bad;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(bad.string()), std::string::npos) << e.what();
    }
  }
  // A C: link that leads nowhere.
  fs::create_directories(temp.path() / "broken" / "dosdevices");
  fs::create_directory_symlink("../missing", temp.path() / "broken" / "dosdevices" / "c:");
  EXPECT_THROW(Machine(temp.path() / "broken"), std::runtime_error);
}

TEST_F(MachineUnit, FullPathForms) {
  ASSERT_TRUE(machine_.SetCurrentDirectory("C:\\Windows"));
  ASSERT_TRUE(machine_.SetCurrentDirectory("D:\\"));
  fs::create_directory(temp_.path() / "d" / "Apps");
  ASSERT_TRUE(machine_.SetCurrentDirectory("D:\\Apps"));
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"x", "D:\\Apps\\x"},
      {"x\\y", "D:\\Apps\\x\\y"},
      {"\\x", "D:\\x"},
      {"C:", "C:\\Windows"},
      {"C:x", "C:\\Windows\\x"},
      {"c:\\a\\.\\b\\..\\c", "C:\\a\\c"},
      {"C:\\..\\..", "C:\\"},
      {"D:", "D:\\Apps"},
      {"..", "D:\\"},
      {"C:\\a\\\\b\\", "C:\\a\\b"},
      {"C:\\a.\\b. . ", "C:\\a\\b"},
      {"E:", "E:\\"},  // never visited: its root
      {"", ""},
      {"C:\\a/b", ""},
      {"C:\\a?", ""},
      {"C:\\a*b", ""},
      {"C:\\a|b", ""},
      {"C:\\a:b", ""},
      {"C:\\a\"b", ""},
      {"C:\\a<b>", ""},
      {"C:\\a\tb", ""},
      {"1:\\x", ""},
      {"\\\\server\\share", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(machine_.FullPath(c.in), c.out) << '"' << c.in << '"';
}

TEST_F(MachineUnit, EachDriveKeepsItsOwnDirectory) {
  fs::create_directory(temp_.path() / "d" / "Apps");
  ASSERT_TRUE(machine_.SetCurrentDirectory("C:\\Windows"));
  ASSERT_TRUE(machine_.SetCurrentDirectory("d:\\apps"));
  EXPECT_EQ(machine_.CurrentDrive(), 4);
  EXPECT_EQ(machine_.CurrentDirectory(), "D:\\apps");  // as given, like the platform
  ASSERT_TRUE(machine_.SetCurrentDrive(3));
  EXPECT_EQ(machine_.CurrentDirectory(), "C:\\Windows");
  ASSERT_TRUE(machine_.SetCurrentDrive(4));
  EXPECT_EQ(machine_.CurrentDirectory(), "D:\\apps");
  EXPECT_FALSE(machine_.SetCurrentDrive(17));  // Q: maps nowhere
  EXPECT_FALSE(machine_.SetCurrentDrive(0));
  EXPECT_FALSE(machine_.SetCurrentDrive(27));
  EXPECT_EQ(machine_.CurrentDrive(), 4);
}

TEST_F(MachineUnit, DriveWhoseFolderVanishedFallsBackToItsRoot) {
  fs::create_directory(temp_.path() / "d" / "Gone");
  ASSERT_TRUE(machine_.SetCurrentDirectory("D:\\Gone"));
  ASSERT_TRUE(machine_.SetCurrentDrive(3));
  fs::remove(temp_.path() / "d" / "Gone");
  ASSERT_TRUE(machine_.SetCurrentDrive(4));
  EXPECT_EQ(machine_.CurrentDirectory(), "D:\\");
}

TEST_F(MachineUnit, SetCurrentDirectoryErrors) {
  std::ofstream(temp_.path() / "d" / "file.txt") << "x";
  struct Case {
    const char* path;
    DWORD error;
  } cases[] = {
      {"", tw::ERROR_INVALID_PARAMETER},
      {"D:\\missing", tw::ERROR_FILE_NOT_FOUND},
      {"D:\\missing\\deeper", tw::ERROR_PATH_NOT_FOUND},
      {"D:\\file.txt", tw::ERROR_DIRECTORY},
      {"Q:\\", tw::ERROR_PATH_NOT_FOUND},
      {"D:\\a?b", tw::ERROR_INVALID_NAME},
  };
  for (const auto& c : cases) {
    DWORD error = 0;
    EXPECT_FALSE(machine_.SetCurrentDirectory(c.path, &error)) << c.path;
    EXPECT_EQ(error, c.error) << c.path;
  }
  EXPECT_EQ(machine_.CurrentDirectory(), "C:\\");
}

TEST_F(MachineUnit, ResolveMatchesExistingNamesWithoutCase) {
  const fs::path d = temp_.path() / "d";
  fs::create_directories(d / "Apps" / "Tarnwick");
  auto host = machine_.Resolve("D:\\APPS\\tarnWICK\\New Folder\\File.TXT");
  ASSERT_TRUE(host);
  EXPECT_EQ(*host, machine_.DriveRoot('D').value() / "Apps" / "Tarnwick" / "New Folder" / "File.TXT");
  // An exact match wins over another case of the same name.
  fs::create_directory(d / "apps");
  EXPECT_EQ(machine_.Resolve("D:\\apps").value().filename(), "apps");
  EXPECT_EQ(machine_.Resolve("D:\\APPS").value().filename(), "Apps");  // first in host order
  EXPECT_FALSE(machine_.Resolve("Q:\\x"));
  DWORD error = 0;
  EXPECT_FALSE(machine_.Resolve("D:\\x>y", &error));
  EXPECT_EQ(error, tw::ERROR_INVALID_NAME);
}

TEST_F(MachineUnit, CodePageNamesAreUtf8OnTheHost) {
  // "Café" in Windows-1252 is stored as UTF-8, and found in any case.
  auto host = machine_.Resolve("D:\\Caf\xe9");
  ASSERT_TRUE(host);
  EXPECT_EQ(host->filename().string(), "Caf\xc3\xa9");
  fs::create_directory(*host);
  EXPECT_EQ(machine_.Resolve("D:\\CAF\xc9").value(), *host);
}

TEST(CodePage, Conversions) {
  using namespace tw::posix;
  EXPECT_EQ(AnsiToWide("A\x80\xe9\x81"), std::u16string(u"A\u20ac\u00e9\u0081"));
  EXPECT_EQ(WideToAnsi(u"A\u20ac\u00e9\u4e2d\U0001F600"), "A\x80\xe9??");
  EXPECT_EQ(AnsiToHost("\x80\x9f"), "\xe2\x82\xac\xc5\xb8");
  EXPECT_EQ(HostToAnsi("\xe2\x82\xac\xc5\xb8\xe4\xb8\xad\xff"), "\x80\x9f??");
}

TEST(Wildcards, PlatformRules) {
  using tw::posix::WildcardMatch;
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  } cases[] = {
      {"*.*", "README", true},       {"*.*", "a.b.c", true},     {"*.*", ".", true},
      {"*", "anything", true},       {"*.txt", "a.TXT", true},   {"*.txt", "a.txt.bak", false},
      {"Tarnwick*.exe", "tarnwick 1.10.exe", true},              {"?.x", "a.x", true},
      {"?.x", "ab.x", false},        {"a?c", "abc", true},       {"a?c", "ac", false},
      {"abc.*", "abc", true},        {"*.lnk", "x.lnk", true},   {"*.lnk", "x.lnkx", false},
      {"x", "X", true},              {"x", "xy", false},         {"*a*b", "xaxxb", true},
      {"*a*b", "xaxxbc", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " ~ " << c.name;
  }
}

}  // namespace
