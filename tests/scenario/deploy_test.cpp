// The target folder and the payload, as the install dialog's operations meet
// the machine: folder checks and creation, the free-space rule, the current
// directory each ending leaves, and each payload resource expanded into place.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <ostream>
#include <set>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "deploy/payload.h"
#include "install/install_dlg.h"
#include "platform/platform.h"
#include "platform/szdd.h"
#include "platform/winconst.h"
#include "scenario/dialog_fixture.h"
#include "support/machine.h"
#include "support/scripted_host.h"

namespace tw {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using test::Lower;
using test::ScriptedHost;

// Replaces "{D}" with the test's scratch folder on D:, and "{d}" with the same
// with a lower-case drive letter.
std::string Expand(std::string text, const std::string& scratchD) {
  std::string lower = scratchD;
  lower[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(lower[0])));
  for (std::size_t at; (at = text.find("{D}")) != std::string::npos;) text.replace(at, 3, scratchD);
  for (std::size_t at; (at = text.find("{d}")) != std::string::npos;) text.replace(at, 3, lower);
  return text;
}

class DeployTest : public test::DialogTest {
 protected:
  // D: keeps the scratch folder as its directory, and E:'s scratch folder is
  // where the process stands, so that a check can tell what changed.
  void StandOnE() {
    ASSERT_TRUE(Files().SetCurrentDirectoryA(ScratchD()));
    ASSERT_TRUE(Files().SetCurrentDirectoryA(ScratchE()));
  }
};

// ---------------------------------------------------------------- target folder

struct TargetCase {
  const char* name;
  const char* path;                   // {D} is this test's folder on D:
  std::vector<const char*> folders;   // made before the call
  std::vector<const char*> plainFiles;
  int expected;
  const char* box;                    // "" for none
  const char* currentAfter;           // "unchanged", "drive D", or a path
  std::vector<const char*> made;      // folders that exist afterwards
  std::vector<const char*> notMade;   // and those that do not
};

void PrintTo(const TargetCase& c, std::ostream* os) { *os << c.name; }

class TargetDirTest : public DeployTest, public ::testing::WithParamInterface<TargetCase> {};

TEST_P(TargetDirTest, ChecksCreatesAndEntersTheFolder) {
  const TargetCase& c = GetParam();
  for (const char* folder : c.folders) ASSERT_TRUE(Files().CreateDirectoryA(Expand(folder, ScratchD())));
  for (const char* file : c.plainFiles) WriteFile(Expand(file, ScratchD()), "x");
  StandOnE();
  const std::string before = CurrentDirectory();
  if (*c.box) host_->Answer("ERROR", IDOK);

  EXPECT_EQ(dlg_->CreateTargetDir(Expand(c.path, ScratchD())), c.expected);

  if (*c.box) {
    EXPECT_THAT(host_->Boxes(), ElementsAre(Expand(c.box, ScratchD())));
  } else {
    EXPECT_THAT(host_->Boxes(), IsEmpty());
  }
  const std::string after = CurrentDirectory();
  if (std::string(c.currentAfter) == "unchanged") {
    EXPECT_EQ(Lower(after), Lower(before));
  } else if (std::string(c.currentAfter) == "drive D") {
    EXPECT_EQ(Lower(after.substr(0, 2)), "d:") << after;
  } else {
    EXPECT_EQ(Lower(after), Lower(Expand(c.currentAfter, ScratchD())));
  }
  for (const char* folder : c.made) EXPECT_TRUE(IsFolder(Expand(folder, ScratchD()))) << folder;
  for (const char* folder : c.notMade) EXPECT_FALSE(Exists(Expand(folder, ScratchD()))) << folder;
}

constexpr char kInvalid[] = "box ERROR [0x40]: Please specify a valid disk drive and path";

INSTANTIATE_TEST_SUITE_P(
    Paths, TargetDirTest,
    ::testing::Values(
        TargetCase{"ParentExists", "{D}\\Apps\\Tarnwick", {"{D}\\Apps"}, {}, 1, "",
                   "{D}\\Apps\\Tarnwick", {"{D}\\Apps\\Tarnwick"}, {}},
        TargetCase{"AllMissing", "{D}\\Apps\\Tarnwick", {}, {}, 1, "", "{D}\\Apps\\Tarnwick",
                   {"{D}\\Apps", "{D}\\Apps\\Tarnwick"}, {}},
        TargetCase{"TargetExists", "{D}\\Apps", {"{D}\\Apps"}, {}, 1, "", "{D}\\Apps", {"{D}\\Apps"}, {}},
        TargetCase{"LowerCaseLetter", "{d}\\Apps", {}, {}, 1, "", "{D}\\Apps", {"{D}\\Apps"}, {}},
        TargetCase{"Relative", "Apps\\Tarnwick", {}, {}, 0, kInvalid, "unchanged", {}, {}},
        TargetCase{"Rooted", "\\x", {}, {}, 0, kInvalid, "unchanged", {}, {}},
        TargetCase{"Network", "\\\\server\\share", {}, {}, 0, kInvalid, "unchanged", {}, {}},
        TargetCase{"Empty", "", {}, {}, 0, kInvalid, "unchanged", {}, {}},
        TargetCase{"OneCharacter", "D", {}, {}, 0, kInvalid, "unchanged", {}, {}},
        TargetCase{"DriveOnly", "D:", {}, {}, 0, kInvalid, "drive D", {}, {}},
        TargetCase{"NoBackslash", "D:x", {}, {}, 0, kInvalid, "drive D", {}, {}},
        TargetCase{"ForwardSlash", "D:/x", {}, {}, 0, kInvalid, "drive D", {}, {}},
        TargetCase{"MissingDrive", "Q:\\Apps", {}, {}, 0, "box ERROR [0x40]: Can't access drive Q:",
                   "unchanged", {}, {}},
        TargetCase{"DigitForLetter", "1:\\Apps", {}, {}, 0,
                   "box ERROR [0x40]: Can't access drive 1:", "unchanged", {}, {}},
        TargetCase{"DriveRoot", "D:\\", {}, {}, 0, "box ERROR [0x40]: Error creating directory D:\\",
                   "D:\\", {}, {}},
        TargetCase{"TrailingBackslash", "{D}\\a\\", {}, {}, 0,
                   "box ERROR [0x40]: Error creating directory {D}\\a\\", "{D}\\a", {"{D}\\a"}, {}},
        TargetCase{"DoubledBackslash", "{D}\\a\\\\b", {}, {}, 0,
                   "box ERROR [0x40]: Error creating directory {D}\\a\\\\b", "{D}\\a", {"{D}\\a"},
                   {"{D}\\a\\b", "{D}\\b"}},
        TargetCase{"NameIsAPlainFile", "{D}\\file\\x", {}, {"{D}\\file"}, 0,
                   "box ERROR [0x40]: Error creating directory {D}\\file\\x", "{D}", {},
                   {"{D}\\file\\x"}}),
    [](const ::testing::TestParamInfo<TargetCase>& info) { return std::string(info.param.name); });

TEST_F(DeployTest, MessagesKeepTheDriveLetterAsTyped) {
  auto& files = Decorate<test::FaultyFiles>(&Platform::files);
  files.freeSpace = 10;
  host_->Answer("ERROR", IDOK);
  EXPECT_EQ(dlg_->CreateTargetDir("d:\\Apps"), 0);
  EXPECT_THAT(host_->Boxes(), ElementsAre("box ERROR [0x40]: Insufficient disk space on drive d:"));
}

// In a double-byte code page the second byte of a character may have the
// backslash's value (0x83 0x5C is one katakana in Shift-JIS): the walk keeps
// the character whole instead of splitting the name there.
TEST_F(DeployTest, WalkNeverSplitsADoubleByteCharacter) {
  const std::string path = ScratchD() + "\\\x83\\Apps";
  auto& files = Decorate<test::FaultyFiles>(&Platform::files);
  files.leadBytes = std::set<BYTE>{};
  EXPECT_EQ(dlg_->CreateTargetDir(path), 1);  // one-byte code page: two folders
  EXPECT_TRUE(IsFolder(ScratchD() + "\\\x83\\Apps"));

  files.leadBytes = std::set<BYTE>{0x83};
  host_->Answer("ERROR", IDOK);
  EXPECT_EQ(dlg_->CreateTargetDir(ScratchD() + "\\New\\\x83\\Apps"), 0);
  // "New" is made and entered; the next name is the character and "Apps"
  // together, which the machine refuses as a folder name.
  EXPECT_THAT(host_->Boxes(),
              ElementsAre("box ERROR [0x40]: Error creating directory " + ScratchD() + "\\New\\\x83\\Apps"));
  EXPECT_TRUE(IsFolder(ScratchD() + "\\New"));
  EXPECT_FALSE(Exists(ScratchD() + "\\New\\\x83"));
}

struct FreeSpaceCase {
  const char* name;
  std::optional<std::uint64_t> freeBytes;
  bool failNewQuery;
  bool noNewQuery;      // the kernel lacks GetDiskFreeSpaceExA
  bool failOldQuery;
  bool noKernel;        // Kernel32.dll does not load
  std::optional<int> answer;  // to the question, when it is asked
  int expected;
  std::vector<const char*> boxes;
};

void PrintTo(const FreeSpaceCase& c, std::ostream* os) { *os << c.name; }

class FreeSpaceTest : public DeployTest, public ::testing::WithParamInterface<FreeSpaceCase> {};

constexpr char kQuestion[] =
    "box WARNING [0x24]: Cannot determine the amount of free space on drive D:\r\n"
    "Do you want to procede with the installation anyway?";
constexpr char kInsufficient[] = "box ERROR [0x40]: Insufficient disk space on drive D:";

TEST_P(FreeSpaceTest, DecidesOnFiveHundredThousandBytes) {
  const FreeSpaceCase& c = GetParam();
  auto& files = Decorate<test::FaultyFiles>(&Platform::files);
  auto& process = Decorate<test::FaultyProcess>(&Platform::process);
  files.freeSpace = c.freeBytes;
  files.failFreeSpaceEx = c.failNewQuery;
  files.failFreeSpace = c.failOldQuery;
  if (c.noNewQuery) process.HideProc("GetDiskFreeSpaceExA");
  if (c.noKernel) process.FailLibrary("Kernel32.dll");
  if (c.answer) host_->Answer("WARNING", *c.answer);
  if (c.expected == 0 && !c.answer) host_->Answer("ERROR", IDOK);
  StandOnE();

  const std::string target = ScratchD() + "\\Tarnwick";
  EXPECT_EQ(dlg_->CreateTargetDir(target), c.expected);

  std::vector<std::string> boxes;
  for (const char* box : c.boxes) boxes.emplace_back(box);
  EXPECT_EQ(host_->Boxes(), boxes);
  EXPECT_EQ(IsFolder(target), c.expected == 1);
  if (c.expected == 1) {
    EXPECT_EQ(Lower(CurrentDirectory()), Lower(target));
  } else {
    EXPECT_EQ(Lower(CurrentDirectory()), "d:\\");  // left at the drive's root
  }
  // The library is released whatever the outcome.
  EXPECT_EQ(process.freeCalls, process.loadCalls);
  // The older query serves only when the kernel lacks the newer one.
  if (!c.noKernel) {
    EXPECT_EQ(files.freeSpaceExCalls, c.noNewQuery ? 0 : 1);
    EXPECT_EQ(files.freeSpaceCalls, c.noNewQuery ? 1 : 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Measurements, FreeSpaceTest,
    ::testing::Values(
        FreeSpaceCase{"Exactly500000", 500000, false, false, false, false, {}, 1, {}},
        FreeSpaceCase{"Only499999", 499999, false, false, false, false, {}, 0, {kInsufficient}},
        FreeSpaceCase{"OldQueryEnough", 500000, false, true, false, false, {}, 1, {}},
        FreeSpaceCase{"OldQueryShort", 499999, false, true, false, false, {}, 0, {kInsufficient}},
        FreeSpaceCase{"NewQueryFailsYes", {}, true, false, false, false, IDYES, 1, {kQuestion}},
        FreeSpaceCase{"NewQueryFailsNo", {}, true, false, false, false, IDNO, 0, {kQuestion}},
        FreeSpaceCase{"OldQueryFailsNo", {}, false, true, true, false, IDNO, 0, {kQuestion}},
        FreeSpaceCase{"NoKernelYes", {}, false, false, false, true, IDYES, 1, {kQuestion}}),
    [](const ::testing::TestParamInfo<FreeSpaceCase>& info) { return std::string(info.param.name); });

// --------------------------------------------------------------------- payload

// The bytes each payload file must have once installed: the resource expanded
// by our own decoder (checked against independent tools by the codec's tests).
std::string Expected(int resourceId) {
  const HRSRC resource = Resources().FindResourceA(nullptr, static_cast<WORD>(resourceId), "MSZ");
  if (!resource) return "<no resource>";
  const HGLOBAL loaded = Resources().LoadResource(nullptr, resource);
  const auto* bytes = static_cast<const std::uint8_t*>(Resources().LockResource(loaded));
  const DWORD size = Resources().SizeofResource(nullptr, resource);
  const auto decoded = szdd::Decode(std::span(bytes, size));
  if (!decoded) return "<bad resource>";
  return std::string(decoded.bytes.begin(), decoded.bytes.end());
}

// A resource table with one entry replaced: absent (null) or given bytes.
class ResourceOverride final : public IResources {
 public:
  explicit ResourceOverride(std::unique_ptr<IResources> inner) : inner_(std::move(inner)) {}
  std::map<WORD, std::optional<std::string>> replaced;

  HRSRC FindResourceA(HMODULE module, WORD id, std::string_view type) override {
    auto it = replaced.find(id);
    if (it == replaced.end()) return inner_->FindResourceA(module, id, type);
    return it->second ? reinterpret_cast<HRSRC>(&*it->second) : nullptr;
  }
  HGLOBAL LoadResource(HMODULE module, HRSRC resource) override {
    if (Ours(resource)) return reinterpret_cast<HGLOBAL>(resource);
    return inner_->LoadResource(module, resource);
  }
  DWORD SizeofResource(HMODULE module, HRSRC resource) override {
    if (Ours(resource)) return static_cast<DWORD>(reinterpret_cast<std::string*>(resource)->size());
    return inner_->SizeofResource(module, resource);
  }
  const void* LockResource(HGLOBAL loaded) override {
    for (auto& [id, bytes] : replaced) {
      if (bytes && reinterpret_cast<HGLOBAL>(&*bytes) == loaded) return bytes->data();
    }
    return inner_->LockResource(loaded);
  }

 private:
  bool Ours(HRSRC resource) {
    for (auto& [id, bytes] : replaced) {
      if (bytes && reinterpret_cast<HRSRC>(&*bytes) == resource) return true;
    }
    return false;
  }
  std::unique_ptr<IResources> inner_;
};

// A file-installation service that fails, optionally after leaving a file.
class FailingExpansion final : public IFileInstall {
 public:
  explicit FailingExpansion(std::unique_ptr<IFileInstall> inner) : inner_(std::move(inner)) {}
  DWORD VerInstallFileA(DWORD, std::string_view, std::string_view, std::string_view,
                        std::string_view, std::string_view, std::span<char>, UINT*) override {
    ++calls;
    return VIF_CANNOTREADSRC;
  }
  int calls = 0;

 private:
  std::unique_ptr<IFileInstall> inner_;
};

class PayloadTest : public DeployTest {
 protected:
  void SetUp() override {
    DeployTest::SetUp();
    target_ = ScratchD() + "\\Tarnwick";
    ASSERT_EQ(dlg_->CreateTargetDir(target_), 1);
  }
  std::string InTarget(std::string_view name) const { return target_ + "\\" + std::string(name); }
  std::optional<std::string> Bytes(std::string_view name) const { return ReadFileBytes(InTarget(name)); }
  void ExpectNoTemporaries() {
    EXPECT_FALSE(Exists(InTarget("XK.MSZ")));
    EXPECT_FALSE(Exists(InTarget("XK.XXX")));
  }

  std::string target_;
};

TEST_F(PayloadTest, InstallsEveryRowByteIdentical) {
  for (const PayloadFile& row : kPayload) {
    EXPECT_EQ(dlg_->InstallPayloadFile(row.resourceId, std::string(row.finalName)), 1) << row.finalName;
    const auto bytes = Bytes(row.finalName);
    ASSERT_TRUE(bytes) << row.finalName;
    EXPECT_TRUE(*bytes == Expected(row.resourceId)) << row.finalName << " differs";
  }
  EXPECT_THAT(host_->Boxes(), IsEmpty());
  ExpectNoTemporaries();
}

TEST_F(PayloadTest, ReplacesAReadOnlyFileAndLeftoverTemporaries) {
  WriteFile(InTarget("Tarnwick.txt"), "old read-me");
  ASSERT_TRUE(Files().SetFileAttributesA(InTarget("Tarnwick.txt"), FILE_ATTRIBUTE_READONLY));
  WriteFile(InTarget("XK.MSZ"), std::string(100000, 'm'));
  WriteFile(InTarget("XK.XXX"), "stale expansion");

  EXPECT_EQ(dlg_->InstallPayloadFile(137, "Tarnwick.txt"), 1);
  EXPECT_EQ(Bytes("Tarnwick.txt").value_or(""), Expected(137));
  EXPECT_THAT(host_->Boxes(), IsEmpty());
  ExpectNoTemporaries();
}

TEST_F(PayloadTest, ResourceFaultsWriteNothing) {
  auto& resources = Decorate<ResourceOverride>(&Platform::resources);
  resources.replaced[134] = std::nullopt;
  resources.replaced[135] = std::string();
  for (int i = 0; i < 3; ++i) host_->Answer("ERROR", IDOK);

  EXPECT_EQ(dlg_->InstallPayloadFile(134, "Tarnwick.exe"), 0);
  EXPECT_EQ(dlg_->InstallPayloadFile(135, "Tarnwick.hlp"), 0);
  EXPECT_EQ(dlg_->InstallPayloadFile(140, "Other.txt"), 0);  // an id the program does not hold
  EXPECT_THAT(host_->Boxes(), ElementsAre("box ERROR [0x40]: Setup file appears to be corrupted!",
                                          "box ERROR [0x40]: Setup file is corrupted!",
                                          "box ERROR [0x40]: Setup file appears to be corrupted!"));
  for (const char* name : {"Tarnwick.exe", "Tarnwick.hlp", "Other.txt", "XK.MSZ", "XK.XXX"}) {
    EXPECT_FALSE(Exists(InTarget(name))) << name;
  }
}

// A failed expansion is reported once and costs the user nothing: the file
// already installed stays, no temporary file stays, and a stale expansion
// from an earlier run is never put in its place.
TEST_F(PayloadTest, FailedExpansionKeepsTheInstalledFile) {
  for (const bool staleExpansion : {false, true}) {
    SCOPED_TRACE(staleExpansion ? "with a stale XK.XXX" : "without XK.XXX");
    host_->Finish();
    platform().ui = std::make_unique<ScriptedHost>();
    host_ = static_cast<ScriptedHost*>(platform().ui.get());
    host_->Answer("ERROR", IDOK);
    auto& expansion = Decorate<FailingExpansion>(&Platform::fileInstall);
    WriteFile(InTarget("Tarnwick.exe"), "the user's earlier copy");
    if (staleExpansion) WriteFile(InTarget("XK.XXX"), "stale expansion");

    EXPECT_EQ(dlg_->InstallPayloadFile(134, "Tarnwick.exe"), 0);
    EXPECT_EQ(expansion.calls, 1);
    EXPECT_THAT(host_->Boxes(),
                ElementsAre("box ERROR [0x40]: Can't expand installation file Tarnwick.exe"));
    EXPECT_EQ(Bytes("Tarnwick.exe").value_or(""), "the user's earlier copy");
    ExpectNoTemporaries();
  }
}

TEST_F(PayloadTest, WriteAndRenameFaults) {
  auto& files = Decorate<test::FaultyFiles>(&Platform::files);
  for (int i = 0; i < 3; ++i) host_->Answer("ERROR", IDOK);

  files.refuseOpenWrite = true;
  EXPECT_EQ(dlg_->InstallPayloadFile(137, "Tarnwick.txt"), 0);
  files.refuseOpenWrite = false;

  files.writeLimit = 10;
  EXPECT_EQ(dlg_->InstallPayloadFile(137, "Tarnwick.txt"), 0);
  EXPECT_EQ(Bytes("XK.MSZ").value_or("").size(), 10u);  // the partial file stays, closed
  files.writeLimit.reset();

  WriteFile(InTarget("Tarnwick.txt"), "earlier");
  files.refuseMove = true;
  EXPECT_EQ(dlg_->InstallPayloadFile(137, "Tarnwick.txt"), 0);
  EXPECT_TRUE(Exists(InTarget("XK.XXX")));   // the expansion is left for the user
  EXPECT_FALSE(Exists(InTarget("XK.MSZ")));
  EXPECT_FALSE(Exists(InTarget("Tarnwick.txt")));

  EXPECT_THAT(host_->Boxes(),
              ElementsAre("box ERROR [0x40]: Can't overwrite temporary file \"XK.MSZ\"",
                          "box ERROR [0x40]: Insufficient space, or disk error",
                          "box ERROR [0x40]: Can't rename installation file Tarnwick.txt"));
}

TEST_F(PayloadTest, CurrentDirectoryTooLongForTheBuffer) {
  // 259 characters fit the 260-byte buffer with the NUL; 260 do not.
  std::string deep = target_;
  while (deep.size() < 260) {
    const std::size_t room = deep.size() + 2 < 260 ? 260 - deep.size() - 1 : 1;
    deep += '\\';
    deep.append(std::min<std::size_t>(room, 100), 'd');
    if (deep.size() < 260 && !Files().CreateDirectoryA(deep)) break;
  }
  if (!Files().CreateDirectoryA(deep) || !Files().SetCurrentDirectoryA(deep)) {
    GTEST_SKIP() << "the platform does not enter a folder of " << deep.size() << " characters";
  }
  host_->Answer("ERROR", IDOK);
  EXPECT_EQ(dlg_->InstallPayloadFile(137, "Tarnwick.txt"), 0);
  EXPECT_THAT(host_->Boxes(), ElementsAre("box ERROR [0x40]: Can't retrieve current directory"));
}

// All three times are one instant: 2007-03-10 02:11:02 local time at the bias
// in force now.
TEST_F(PayloadTest, StampsTheReleaseTime) {
  ASSERT_EQ(dlg_->InstallPayloadFile(137, "Tarnwick.txt"), 1);
  const HANDLE file =
      Files().CreateFileA(InTarget("Tarnwick.txt"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  FILETIME created{}, accessed{}, written{};
  ASSERT_TRUE(Files().GetFileTime(file, &created, &accessed, &written));
  Files().CloseHandle(file);

  auto ticks = [](const FILETIME& t) {
    return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime;
  };
  // 2007-03-10 02:11:02 as if it were UTC; the machine's bias is within a day.
  constexpr std::uint64_t kReleaseAsUtc = 128179662620000000ull;
  constexpr std::uint64_t kDay = 864000000000ull;
  EXPECT_EQ(ticks(accessed), ticks(written));
  EXPECT_LT(ticks(written) > kReleaseAsUtc ? ticks(written) - kReleaseAsUtc
                                           : kReleaseAsUtc - ticks(written),
            kDay);
  EXPECT_EQ(ticks(written) % 10000000ull, 0u);  // whole seconds
  if (!PosixMachine()) {
    EXPECT_EQ(ticks(created), ticks(written));  // Linux cannot set a creation time
  }
}

}  // namespace
}  // namespace tw
