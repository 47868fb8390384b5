// What the file-installation service promises, on both backends: a forced
// install expands an SZDD file into a new name beside it. Windows is the
// reference for good files; for damaged ones the posix service is stricter on
// purpose, and each difference is spelled out below.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/szdd.h"
#include "platform/winconst.h"
#include "support/machine.h"

namespace tw {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string AsString(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }

// An empty file as mscompress writes it: length 0, then one spurious literal.
const Bytes kMscompressEmpty = {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33,
                                0x41, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x0A};

// "Tarnwick Tarnwick Tarnwick!\r\n" x 3, compressed by mscompress.
const Bytes kMscompressText = {
    0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33, 0x41, 0x00, 0x57, 0x00, 0x00, 0x00,
    0xFF, 0x54, 0x61, 0x72, 0x6E, 0x77, 0x69, 0x63, 0x6B, 0x3D, 0x20, 0xF0, 0xFD, 0x6B,
    0x21, 0x0D, 0x0A, 0xF9, 0xFD, 0x00, 0x0D, 0x00, 0x10, 0x0D, 0x20, 0x07};

class FileInstallContract : public test::MachineTest {
 protected:
  bool WriteFile(const std::string& path, const Bytes& bytes) {
    auto file = Files().fopen_wb(path);
    if (!file) return false;
    const bool ok = file->fwrite(bytes) == bytes.size();
    return file->fclose() == 0 && ok;
  }

  // The installer's call: XK.MSZ into XK.XXX, all three folders the same.
  DWORD Install(const std::string& folder) {
    std::array<char, 260> tmp{};
    UINT tmpLen = static_cast<UINT>(tmp.size());
    return FileInstall().VerInstallFileA(VIFF_FORCEINSTALL, "XK.MSZ", "XK.XXX", folder, folder,
                                         folder, tmp, &tmpLen);
  }

  std::string Source() const { return ScratchD() + "\\XK.MSZ"; }
  std::string Dest() const { return ScratchD() + "\\XK.XXX"; }
  bool OnPosix() const { return PosixMachine() != nullptr; }

  // The names in the scratch folder, without "." and "..".
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = Files().FindFirstFileA(ScratchD() + "\\*.*", &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      const std::string name = data.cFileName;
      if (name != "." && name != "..") names.push_back(name);
    } while (Files().FindNextFileA(find, &data));
    Files().FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(FileInstallContract, GoodFilesExpandToTheOriginalBytes) {
  std::mt19937 rng(134);
  Bytes random(20000);
  for (auto& b : random) b = static_cast<std::uint8_t>(rng() % 7);
  Bytes text;
  for (int i = 0; i < 300; ++i) {
    const std::string line = "Line " + std::to_string(i % 17) + " of the read-me\r\n";
    text.insert(text.end(), line.begin(), line.end());
  }
  Bytes mscompressText;
  for (int i = 0; i < 3; ++i) {
    const Bytes line = Text("Tarnwick Tarnwick Tarnwick!\r\n");
    mscompressText.insert(mscompressText.end(), line.begin(), line.end());
  }

  struct Case {
    const char* name;
    Bytes file;
    Bytes expected;
  };
  const std::vector<Case> cases = {
      {"our encoder, text", szdd::Encode(text), text},
      {"our encoder, binary", szdd::Encode(random), random},
      {"our encoder, empty", szdd::Encode({}), {}},
      {"mscompress, text", kMscompressText, mscompressText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(WriteFile(Source(), c.file));
    EXPECT_EQ(Install(ScratchD()), 0u);
    EXPECT_EQ(ReadFileBytes(Dest()), AsString(c.expected));
    EXPECT_EQ(ReadFileBytes(Source()), AsString(c.file)) << "the source is left alone";
    EXPECT_EQ(Names(), (std::vector<std::string>{"XK.MSZ", "XK.XXX"})) << "no temporary file left";
  }
}

TEST_F(FileInstallContract, ReplacesAnExistingDestination) {
  ASSERT_TRUE(WriteFile(Dest(), Bytes(5000, 'o')));
  ASSERT_TRUE(WriteFile(Source(), szdd::Encode(Text("new"))));
  EXPECT_EQ(Install(ScratchD()), 0u);
  EXPECT_EQ(ReadFileBytes(Dest()), "new");
}

TEST_F(FileInstallContract, FolderWithTrailingBackslash) {
  ASSERT_TRUE(WriteFile(Source(), szdd::Encode(Text("abc"))));
  EXPECT_EQ(Install(ScratchD() + "\\"), 0u);
  EXPECT_EQ(ReadFileBytes(Dest()), "abc");
}

TEST_F(FileInstallContract, MissingSourceOrDestinationFolder) {
  EXPECT_EQ(Install(ScratchD()) & VIF_CANNOTREADSRC, VIF_CANNOTREADSRC);
  EXPECT_FALSE(ReadFileBytes(Dest()).has_value());

  ASSERT_TRUE(WriteFile(Source(), szdd::Encode(Text("abc"))));
  std::array<char, 260> tmp{};
  UINT tmpLen = static_cast<UINT>(tmp.size());
  const std::string missing = ScratchD() + "\\nofolder";
  EXPECT_EQ(FileInstall().VerInstallFileA(VIFF_FORCEINSTALL, "XK.MSZ", "XK.XXX", ScratchD(), missing,
                                          ScratchD(), tmp, &tmpLen) &
                VIF_CANNOTCREATE,
            VIF_CANNOTCREATE);
  EXPECT_FALSE(ReadFileBytes(missing + "\\XK.XXX").has_value());
}

// Damaged sources. The posix service refuses them (VIF_CANNOTREADSRC) and
// leaves the destination as it was. Wine's VERSION.DLL reports success for
// every one of them: a file without the magic, or with a header cut short, is
// copied as it is; a mode it does not know gives an empty file; data that ends
// early gives a short file. We do not copy that: a failed expansion must not
// stand under the destination name looking like a good one.
TEST_F(FileInstallContract, DamagedSourcesAreRefusedOnPosix) {
  const Bytes good = szdd::Encode(Bytes(3000, 'x'));
  Bytes truncated = szdd::Encode(Text(std::string(2000, 'a') + std::string(2000, 'b')));
  truncated.resize(truncated.size() / 2);
  Bytes modeB = good;
  modeB[8] = 'B';
  const Bytes header13(good.begin(), good.begin() + 13);
  const Bytes plain = Text("not compressed at all");

  struct Case {
    const char* name;
    Bytes file;
    std::size_t wineSize;  // what Wine leaves under the destination name
  };
  const std::vector<Case> cases = {
      {"no magic", plain, plain.size()},
      {"header of 13 bytes", header13, 13},
      {"mode B", modeB, 0},
      {"data ends early", truncated, 0 /* checked as shorter below */},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(WriteFile(Dest(), Text("old")));
    ASSERT_TRUE(WriteFile(Source(), c.file));
    const DWORD result = Install(ScratchD());
    const auto dest = ReadFileBytes(Dest());
    ASSERT_TRUE(dest.has_value());
    if (OnPosix()) {
      EXPECT_EQ(result & VIF_CANNOTREADSRC, VIF_CANNOTREADSRC);
      EXPECT_EQ(*dest, "old");
      EXPECT_EQ(Names(), (std::vector<std::string>{"XK.MSZ", "XK.XXX"})) << "no temporary file left";
    } else {
      EXPECT_EQ(result, 0u);
      if (c.file == truncated) {
        EXPECT_GT(dest->size(), 0u);
        EXPECT_LT(dest->size(), 4000u);
      } else {
        EXPECT_EQ(dest->size(), c.wineSize);
      }
    }
  }
}

// An empty file made by mscompress carries one spurious literal after a
// length of 0. The posix service stops at the stored length; Wine writes the
// literal too.
TEST_F(FileInstallContract, EmptyFileFromMscompress) {
  ASSERT_TRUE(WriteFile(Source(), kMscompressEmpty));
  EXPECT_EQ(Install(ScratchD()), 0u);
  EXPECT_EQ(ReadFileBytes(Dest()), OnPosix() ? std::string() : std::string("\n"));
}

}  // namespace
}  // namespace tw
