// Where the posix link object goes beyond what Wine shows: Windows' own limits
// (MAX_PATH, names a FAT or NTFS volume refuses, read-only files), the drive
// map and the code page.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>

#include "platform/posix/machine.h"
#include "platform/posix/shelllink_posix.h"
#include "platform/shell.h"
#include "platform/winconst.h"
#include "support/lnkinfo_posix.h"

namespace tw::posix {
namespace {

namespace fs = std::filesystem;

constexpr HRESULT kPathNotFound = static_cast<HRESULT>(0x80070003u);
constexpr HRESULT kInvalidName = static_cast<HRESULT>(0x8007007Bu);
constexpr HRESULT kAccessDenied = static_cast<HRESULT>(0x80070005u);

class PosixShellLink : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<int> counter{0};
    root_ = fs::temp_directory_path() /
            ("tw-shelllink-posix-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    machine_ = std::make_shared<Machine>(root_ / "prefix");
    fs::create_directories(Host("C:\\scratch"));
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  fs::path Host(const std::string& windowsPath) const { return machine_->Resolve(windowsPath).value(); }

  // A link object with the installer's five properties set; the caller releases it.
  IShellLinkA* NewLink(const std::string& target = "C:\\Tarnwick\\Tarnwick.exe") {
    IShellLinkA* link = nullptr;
    EXPECT_EQ(CreateShellLinkObject(machine_, IID_IShellLinkA, reinterpret_cast<void**>(&link)), S_OK);
    link->SetDescription("Tarnwick");
    link->SetIconLocation(target, 0);
    link->SetPath(target);
    link->SetWorkingDirectory("C:\\Tarnwick");
    link->SetShowCmd(SW_SHOWNORMAL);
    return link;
  }

  static HRESULT Save(IShellLinkA* link, const WCHAR* path) {
    IPersistFile* persist = nullptr;
    HRESULT hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist));
    if (hr == S_OK) {
      hr = persist->Save(path, TRUE);
      persist->Release();
    }
    return hr;
  }

  HRESULT SaveNew(const std::u16string& path) {
    IShellLinkA* link = NewLink();
    const HRESULT hr = Save(link, path.c_str());
    link->Release();
    return hr;
  }

  bool ScratchIsEmpty() const { return fs::is_empty(Host("C:\\scratch")); }

  fs::path root_;
  std::shared_ptr<Machine> machine_;
};

TEST_F(PosixShellLink, SaveRefusesWhatWindowsRefuses) {
  // "C:\scratch\" is 11 characters; the name fills the rest.
  const auto ofLength = [](std::size_t total) {
    return u"C:\\scratch\\" + std::u16string(total - 11 - 4, u'x') + u".lnk";
  };
  struct Case {
    const char* why;
    std::u16string path;
    HRESULT want;
  };
  const Case cases[] = {
      // Wine writes an NTFS stream here; a FAT volume and the machine refuse.
      {"colon in the name", u"C:\\scratch\\Tarn:wick.lnk", kInvalidName},
      {"slash", u"C:\\scratch\\Tarn/wick.lnk", kInvalidName},
      {"not in the code page", u"C:\\scratch\\Tarn\u4E2Dwick.lnk", kInvalidName},
      {"unmapped drive", u"Q:\\Tarnwick.lnk", kPathNotFound},
      {"empty", u"", kPathNotFound},
      // MAX_PATH counts the NUL; Wine 8 accepts 260 characters, Windows does not.
      {"260 characters", ofLength(260), kPathNotFound},
      {"300 characters", ofLength(300), kPathNotFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(SaveNew(c.path), c.want);
  }
  EXPECT_TRUE(ScratchIsEmpty());

  IShellLinkA* link = NewLink();
  EXPECT_EQ(Save(link, nullptr), E_INVALIDARG);
  link->Release();

  EXPECT_EQ(SaveNew(ofLength(259)), S_OK);
}

TEST_F(PosixShellLink, ReadOnlyLinkIsNotReplaced) {
  ASSERT_EQ(SaveNew(u"C:\\scratch\\Tarnwick.lnk"), S_OK);
  const fs::path file = Host("C:\\scratch\\Tarnwick.lnk");
  std::ifstream before(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(before)), {});
  fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);

  IShellLinkA* link = NewLink();
  link->SetDescription("Replaced");
  EXPECT_EQ(Save(link, u"C:\\scratch\\Tarnwick.lnk"), kAccessDenied);
  link->Release();

  std::ifstream after(file, std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), {}), bytes);
  EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), {}), 1);
}

TEST_F(PosixShellLink, SavesOnAnyMappedDriveAndAgainstTheCurrentDirectory) {
  fs::create_directories(root_ / "d");
  machine_->MapDrive('D', root_ / "d");
  EXPECT_EQ(SaveNew(u"d:\\Tarnwick.lnk"), S_OK);
  EXPECT_TRUE(fs::is_regular_file(root_ / "d" / "Tarnwick.lnk"));

  ASSERT_TRUE(machine_->SetCurrentDirectory("C:\\scratch"));
  EXPECT_EQ(SaveNew(u"Tarnwick Help.lnk"), S_OK);
  EXPECT_TRUE(fs::is_regular_file(Host("C:\\scratch\\Tarnwick Help.lnk")));
}

TEST_F(PosixShellLink, PropertiesAsTheShellKeepsThem) {
  fs::create_directories(Host("C:\\Tarnwick"));
  std::ofstream(Host("C:\\Tarnwick") / "Tarnwick.exe") << "MZ";

  IShellLinkA* link = NewLink();
  // The target is kept as a full path; S_FALSE says it does not exist.
  EXPECT_EQ(link->SetPath("c:\\Program Files\\..\\Tarnwick\\Tarnwick.exe"), S_OK);
  EXPECT_EQ(link->SetPath("\"C:\\Tarnwick\\Missing.exe\""), S_FALSE);
  EXPECT_EQ(link->SetPath("C:\\Tarnwick\\Tarn\"wick.exe"), S_FALSE);  // refused, the last one stays
  // The platform hands the setters C strings: nothing after a NUL arrives.
  link->SetDescription(std::string_view("Tarnwick\0junk", 13));
  // Working directory and icon are kept as given, in the code page.
  link->SetWorkingDirectory("C:\\Caf\xE9");
  link->SetIconLocation("C:\\Caf\xE9\\T.ico", 3);
  ASSERT_EQ(Save(link, u"C:\\scratch\\Tarnwick.lnk"), S_OK);
  link->Release();

  const auto info = test::ReadWithLnkinfo(Host("C:\\scratch\\Tarnwick.lnk"));
  ASSERT_TRUE(info);
  EXPECT_EQ((*info)["Local path"], "C:\\Tarnwick\\Missing.exe") << info->report;
  EXPECT_EQ((*info)["Description"], "Tarnwick");
  EXPECT_EQ((*info)["Working directory"], "C:\\Caf\xC3\xA9");
  EXPECT_EQ((*info)["Icon location"], "C:\\Caf\xC3\xA9\\T.ico");
  EXPECT_EQ((*info)["Icon index"], "3");
}

TEST_F(PosixShellLink, ReferencesOutliveTheFirstRelease) {
  IShellLinkA* link = NewLink();
  IPersistFile* persist = nullptr;
  ASSERT_EQ(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)), S_OK);
  EXPECT_EQ(link->Release(), 1u);  // the saver still holds the object
  EXPECT_EQ(persist->Save(u"C:\\scratch\\Tarnwick.lnk", TRUE), S_OK);
  EXPECT_EQ(persist->Release(), 0u);
  EXPECT_EQ(CreateShellLinkObject(machine_, IID_IShellLinkA, nullptr), static_cast<HRESULT>(0x80004003u));
}

}  // namespace
}  // namespace tw::posix
