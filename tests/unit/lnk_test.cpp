#include "platform/lnk.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/lnkinfo_posix.h"

namespace tw::lnk {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Hand-assembled image of a .lnk file, built field by field from the format's
// tables, so a wrong offset in the writer cannot hide behind the same helper.
struct Image {
  Bytes b;
  Image& U16(std::uint16_t v) {
    b.push_back(v & 0xFF);
    b.push_back(v >> 8);
    return *this;
  }
  Image& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  Image& Raw(std::initializer_list<std::uint8_t> bytes) {
    b.insert(b.end(), bytes);
    return *this;
  }
  Image& Ansi(const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
    return *this;
  }
  Image& Counted(const std::string& s) {  // ASCII only
    U16(static_cast<std::uint16_t>(s.size()));
    for (char c : s) U16(static_cast<std::uint8_t>(c));
    return *this;
  }
};

std::uint32_t ReadU32(const Bytes& b, std::size_t at) {
  return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | static_cast<std::uint32_t>(b.at(at + 3)) << 24;
}

const std::string kTarget = "C:\\Program Files\\Tarnwick\\Tarnwick.exe";
const std::string kDir = "C:\\Program Files\\Tarnwick";

LinkProperties Installed(const std::string& target = kTarget, const std::string& dir = kDir) {
  LinkProperties p;
  p.targetPath = target;
  p.description = "Tarnwick Application";
  p.workingDirectory = dir;
  p.iconLocation = target;
  return p;
}

TEST(LnkWriter, MatchesTheVerifiedMinimalFileByteForByte) {
  Image want;
  want.U32(0x4C)
      .Raw({0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46})
      .U32(0xD6)   // LinkInfo, Name, WorkingDir, IconLocation, Unicode
      .U32(0x20)   // archive
      .U32(0).U32(0).U32(0).U32(0).U32(0).U32(0)  // three FILETIMEs
      .U32(0)      // size
      .U32(0)      // icon index
      .U32(1)      // SW_SHOWNORMAL
      .U16(0).U16(0).U32(0).U32(0);
  ASSERT_EQ(want.b.size(), 0x4Cu);
  want.U32(0x55).U32(0x1C).U32(1).U32(0x1C).U32(0x2D).U32(0).U32(0x54);
  want.U32(0x11).U32(3).U32(0).U32(0x10).Raw({0});  // VolumeID, empty label
  want.Ansi(kTarget).Raw({0});                       // base path, empty suffix
  ASSERT_EQ(want.b.size(), 0xA1u);
  want.Counted("Tarnwick Application").Counted(kDir).Counted(kTarget);
  ASSERT_EQ(want.b.size(), 0x14Du);
  want.U32(0);

  const auto got = Build(Installed());
  ASSERT_TRUE(got);
  EXPECT_EQ(got->size(), 337u);
  EXPECT_EQ(*got, want.b);
}

TEST(LnkWriter, HeaderCarriesIconIndexShowCommandAndSerial) {
  struct Case {
    std::int32_t icon;
    std::uint32_t show;
  };
  for (const Case c : {Case{0, 1}, Case{2, 3}, Case{-5, 7}}) {
    LinkProperties p = Installed();
    p.iconIndex = c.icon;
    p.showCommand = c.show;
    p.driveSerial = 0x43000000;
    const auto b = Build(p);
    ASSERT_TRUE(b);
    EXPECT_EQ(ReadU32(*b, 0x38), static_cast<std::uint32_t>(c.icon));
    EXPECT_EQ(ReadU32(*b, 0x3C), c.show);
    EXPECT_EQ(ReadU32(*b, 0x4C + 0x1C + 8), 0x43000000u);
  }
}

TEST(LnkWriter, LeavesOutWhatIsNotSet) {
  LinkProperties p;
  p.description = "Only a name";
  const auto b = Build(p);
  ASSERT_TRUE(b);
  EXPECT_EQ(ReadU32(*b, 0x14), kIsUnicode | kHasName);
  EXPECT_EQ(b->size(), 0x4C + 2 + 2 * p.description.size() + 4);
}

TEST(LnkWriter, RefusesStringsTheFormatCannotHold) {
  LinkProperties nul = Installed();
  nul.description = std::string("a\0b", 3);
  EXPECT_FALSE(Build(nul));

  LinkProperties tooLong = Installed();
  tooLong.workingDirectory = std::string(kMaxStringChars + 1, 'x');
  EXPECT_FALSE(Build(tooLong));

  LinkProperties longest = Installed();
  longest.iconLocation = std::string(kMaxStringChars, 'x');
  const auto b = Build(longest);
  ASSERT_TRUE(b);
  EXPECT_EQ(b->size(), 337u - 2 * kTarget.size() + 2 * kMaxStringChars);
}

// Every property, read back by liblnk.
class LnkWriterReadBack : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tw-lnk-" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::optional<test::LnkInfo> WriteAndRead(const LinkProperties& p) {
    const auto bytes = Build(p);
    if (!bytes) return std::nullopt;
    const fs::path file = dir_ / "link.lnk";
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes->data()), static_cast<std::streamsize>(bytes->size()));
    return test::ReadWithLnkinfo(file);
  }

  fs::path dir_;
};

TEST_F(LnkWriterReadBack, TableOfTargets) {
  const std::string deep = "C:\\" + std::string(60, 'a') + "\\" + std::string(60, 'b') + "\\" +
                           std::string(60, 'c') + "\\" + std::string(67, 'd') + "\\T.exe";
  ASSERT_EQ(deep.size(), 259u);  // the longest path the installer's buffers pass
  struct Case {
    const char* name;
    std::string target;
    std::string dir;
    std::string description;
  };
  const Case cases[] = {
      {"installed", kTarget, kDir, "Tarnwick"},
      {"spaces", "C:\\My  Apps\\Tarn wick\\Tarnwick Help.hlp", "C:\\My  Apps\\Tarn wick", "Tarnwick Help"},
      {"longish", deep, deep.substr(0, deep.size() - 6), "Uninstall Tarnwick"},
      {"other drive", "D:\\Tarnwick\\Uninstall.exe", "D:\\Tarnwick", "Uninstall Tarnwick"},
      {"drive root", "E:\\Tarnwick.exe", "E:\\", "Tarnwick"},
      {"code page", "C:\\Programme\\Caf\xE9 \x80 \x9C\\Tarnwick.exe", "C:\\Programme\\Caf\xE9 \x80 \x9C",
       "Tarnwick \xAB" "2.11b\xBB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LinkProperties p = Installed(c.target, c.dir);
    p.description = c.description;
    p.iconIndex = 1;
    const auto info = WriteAndRead(p);
    ASSERT_TRUE(info) << "lnkinfo rejected the file";
    EXPECT_EQ((*info)["Local path"], test::Cp1252ToUtf8(c.target)) << info->report;
    EXPECT_EQ((*info)["Description"], test::Cp1252ToUtf8(c.description));
    EXPECT_EQ((*info)["Working directory"], test::Cp1252ToUtf8(c.dir));
    EXPECT_EQ((*info)["Icon location"], test::Cp1252ToUtf8(c.target));
    EXPECT_EQ((*info)["Icon index"], "1");
    EXPECT_EQ((*info)["Drive type"], "Fixed (3)");
  }
}

TEST_F(LnkWriterReadBack, LinkWithoutTargetStillReads) {
  LinkProperties p;
  p.description = "No target";
  const auto info = WriteAndRead(p);
  ASSERT_TRUE(info);
  EXPECT_EQ((*info)["Description"], "No target");
  EXPECT_EQ((*info)["Local path"], "<absent>");
}

}  // namespace
}  // namespace tw::lnk
