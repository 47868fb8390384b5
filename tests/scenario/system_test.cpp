// Shortcuts and registry entries, as the install dialog's operations leave
// them on the machine: the four links of an installation read back by a reader
// that is not ours, the desktop fallback, the program group's creation, the COM
// failures, and the five registry values.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "deploy/payload.h"
#include "install/install_dlg.h"
#include "platform/platform.h"
#include "platform/winconst.h"
#include "scenario/dialog_fixture.h"
#include "support/link_reader.h"
#include "support/machine.h"
#include "support/scripted_host.h"

namespace tw {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using test::Lower;
using test::ScriptedHost;

class SystemTest : public test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    // The install dialog has initialised COM by the time links are made.
    Shell().CoInitialize(nullptr);
    dlg_->m_strProductName = "Tarnwick";
    dlg_->m_strInstallDir = ScratchD() + "\\Tarnwick";
    g_strProgramGroupDir = ScratchE() + "\\Programs\\Tarnwick";
  }
  void TearDown() override {
    for (const std::string& file : cleanup_) Files().DeleteFileA(file);
    for (const std::string& folder : foldersMade_) Files().RemoveDirectoryA(folder);
    g_strProgramGroupDir.clear();
    DialogTest::TearDown();
  }

  std::string ShellDesktop() {
    ItemIdListPtr list;
    std::array<char, MAX_PATH> buffer{};
    if (Shell().SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &list) != S_OK ||
        !Shell().SHGetPathFromIDListA(list.get(), buffer)) {
      return {};
    }
    return buffer.data();
  }
  // A link made outside the test's scratch folders is removed afterwards.
  void RemoveAfterwards(const std::string& file) { cleanup_.push_back(file); }

  std::vector<std::string> cleanup_;
  std::vector<std::string> foldersMade_;
};

// The four links of a complete installation, in the install sequence's order.
TEST_F(SystemTest, FourLinksOfAnInstallation) {
  const std::string target = dlg_->m_strInstallDir;
  ASSERT_EQ(dlg_->CreateTargetDir(target), 1);
  for (const PayloadFile& row : kPayload) {
    ASSERT_EQ(dlg_->InstallPayloadFile(row.resourceId, std::string(row.finalName)), 1);
  }
  const std::string desktop = ShellDesktop();
  ASSERT_FALSE(desktop.empty());
  RemoveAfterwards(desktop + "\\Tarnwick.lnk");

  EXPECT_EQ(dlg_->CreateShellLink("Tarnwick", ".exe", "Tarnwick", 1), 1);
  EXPECT_EQ(dlg_->CreateShellLink("Tarnwick", ".exe", "Tarnwick", 0), 1);
  EXPECT_EQ(dlg_->CreateShellLink("Tarnwick", ".hlp", "Tarnwick Help", 0), 1);
  EXPECT_EQ(dlg_->CreateShellLink("Uninstall", ".exe", "Uninstall Tarnwick", 0), 1);
  EXPECT_THAT(host_->Boxes(), IsEmpty());
  // The program group was made with its parents and is where the process stands.
  EXPECT_EQ(Lower(CurrentDirectory()), Lower(g_strProgramGroupDir));

  struct Expected {
    std::string file, targetFile, description;
  };
  const std::vector<Expected> links = {
      {desktop + "\\Tarnwick.lnk", "Tarnwick.exe", "Tarnwick"},
      {g_strProgramGroupDir + "\\Tarnwick.lnk", "Tarnwick.exe", "Tarnwick"},
      {g_strProgramGroupDir + "\\Tarnwick Help.lnk", "Tarnwick.hlp", "Tarnwick Help"},
      {g_strProgramGroupDir + "\\Uninstall Tarnwick.lnk", "Uninstall.exe", "Uninstall Tarnwick"},
  };
  for (const Expected& link : links) {
    SCOPED_TRACE(link.file);
    const auto read = test::ReadLinkFile(link.file, PosixMachine());
    ASSERT_TRUE(read);
    EXPECT_EQ(Lower(read->path), Lower(target + "\\" + link.targetFile));
    EXPECT_EQ(read->description, link.description);
    EXPECT_EQ(Lower(read->workingDirectory), Lower(target));
    EXPECT_EQ(Lower(read->iconLocation), Lower(target + "\\" + link.targetFile));
    EXPECT_EQ(read->iconIndex, 0);
  }

  // Installing again replaces the links in place.
  EXPECT_EQ(dlg_->CreateShellLink("Tarnwick", ".exe", "Tarnwick", 1), 1);
  EXPECT_EQ(dlg_->CreateShellLink("Tarnwick", ".exe", "Tarnwick", 0), 1);
  EXPECT_THAT(host_->Boxes(), IsEmpty());
}

TEST_F(SystemTest, DesktopFallsBackToTheWindowsDirectory) {
  auto& shell = Decorate<test::FaultyShell>(&Platform::shell);
  shell.failingFolders.insert(CSIDL_DESKTOP);
  std::array<char, MAX_PATH> windows{};
  const UINT length = Files().GetWindowsDirectoryA(windows);
  ASSERT_GT(length, 0u);
  const std::string fallback = std::string(windows.data(), length) + "\\Desktop";
  RemoveAfterwards(fallback + "\\Tarnwick.lnk");
  if (Files().CreateDirectoryA(fallback)) foldersMade_.push_back(fallback);

  EXPECT_EQ(dlg_->CreateShellLink("Tarnwick", ".exe", "Tarnwick", 1), 1);
  EXPECT_TRUE(Exists(fallback + "\\Tarnwick.lnk"));
  EXPECT_THAT(host_->Boxes(), IsEmpty());
}

TEST_F(SystemTest, NamesThePlatformRefusesFailTheSave) {
  host_->Answer("ERROR", IDOK).Answer("ERROR", IDOK);
  EXPECT_EQ(dlg_->CreateShellLink("Tarnwick", ".exe", "Tar?wick", 0), 0);
  // A link path of 260 characters or more does not fit the wide buffer.
  EXPECT_EQ(dlg_->CreateShellLink("Tarnwick", ".exe", std::string(260, 'n'), 0), 0);
  EXPECT_THAT(host_->Boxes(),
              ElementsAre("box ERROR [0x40]: Can't create Program Files icon group",
                          "box ERROR [0x40]: Can't create Program Files icon group"));
  EXPECT_FALSE(Exists(g_strProgramGroupDir + "\\Tar?wick.lnk"));
}

// A program group on a drive that seems full: the folder check complains
// before the link, and the link is still saved where the folder exists.
TEST_F(SystemTest, ProgramGroupCheckDoesNotStopTheLink) {
  ASSERT_EQ(dlg_->CreateTargetDir(g_strProgramGroupDir), 1);
  auto& files = Decorate<test::FaultyFiles>(&Platform::files);
  files.freeSpace = 10;
  host_->Answer("ERROR", IDOK);
  EXPECT_EQ(dlg_->CreateShellLink("Tarnwick", ".hlp", "Tarnwick Help", 0), 1);
  EXPECT_THAT(host_->Boxes(), ElementsAre("box ERROR [0x40]: Insufficient disk space on drive E:"));
  EXPECT_TRUE(Exists(g_strProgramGroupDir + "\\Tarnwick Help.lnk"));
}

// ------------------------------------------------------------- COM failures

// Wraps the shell's link object so that one of its steps fails, and counts
// the references the caller holds, so that every path can be seen to release.
class LinkFaults final : public IShell {
 public:
  explicit LinkFaults(std::unique_ptr<IShell> inner) : inner_(std::move(inner)) {}

  bool failQuery = false;
  bool failSave = false;
  int liveReferences = 0;

  HRESULT CoInitialize(void* reserved) override { return inner_->CoInitialize(reserved); }
  HRESULT SHGetSpecialFolderLocation(HWND owner, int csidl, ItemIdListPtr* out) override {
    return inner_->SHGetSpecialFolderLocation(owner, csidl, out);
  }
  BOOL SHGetPathFromIDListA(const ItemIdList* list, std::span<char> buffer) override {
    return inner_->SHGetPathFromIDListA(list, buffer);
  }
  INT_PTR ShellExecuteA(HWND owner, std::string_view verb, std::string_view file,
                        std::string_view parameters, std::string_view directory,
                        int showCmd) override {
    return inner_->ShellExecuteA(owner, verb, file, parameters, directory, showCmd);
  }
  HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context, const IID& iid,
                           void** out) override {
    IShellLinkA* real = nullptr;
    const HRESULT hr =
        inner_->CoCreateInstance(clsid, outer, context, iid, reinterpret_cast<void**>(&real));
    if (hr != S_OK) return hr;
    *out = static_cast<IShellLinkA*>(new Link(*this, real));
    return S_OK;
  }

 private:
  class Persist final : public IPersistFile {
   public:
    Persist(LinkFaults& owner, IPersistFile* real) : owner_(owner), real_(real) { ++owner_.liveReferences; }
    HRESULT QueryInterface(const IID&, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++owner_.liveReferences, 2; }
    ULONG Release() override {
      --owner_.liveReferences;
      real_->Release();
      delete this;
      return 0;
    }
    HRESULT Save(const WCHAR* path, BOOL remember) override {
      return owner_.failSave ? STG_E_ACCESSDENIED : real_->Save(path, remember);
    }

   private:
    LinkFaults& owner_;
    IPersistFile* real_;
  };

  class Link final : public IShellLinkA {
   public:
    Link(LinkFaults& owner, IShellLinkA* real) : owner_(owner), real_(real) { ++owner_.liveReferences; }
    HRESULT QueryInterface(const IID& iid, void** out) override {
      if (owner_.failQuery) return E_NOINTERFACE;
      IPersistFile* real = nullptr;
      const HRESULT hr = real_->QueryInterface(iid, reinterpret_cast<void**>(&real));
      if (hr != S_OK) return hr;
      *out = static_cast<IPersistFile*>(new Persist(owner_, real));
      return S_OK;
    }
    ULONG AddRef() override { return ++owner_.liveReferences, 2; }
    ULONG Release() override {
      --owner_.liveReferences;
      real_->Release();
      delete this;
      return 0;
    }
    HRESULT SetDescription(std::string_view text) override { return real_->SetDescription(text); }
    HRESULT SetIconLocation(std::string_view path, int index) override {
      return real_->SetIconLocation(path, index);
    }
    HRESULT SetPath(std::string_view path) override { return real_->SetPath(path); }
    HRESULT SetWorkingDirectory(std::string_view path) override {
      return real_->SetWorkingDirectory(path);
    }
    HRESULT SetShowCmd(int showCmd) override { return real_->SetShowCmd(showCmd); }

   private:
    LinkFaults& owner_;
    IShellLinkA* real_;
  };

  std::unique_ptr<IShell> inner_;
};

TEST_F(SystemTest, EachComFailureHasItsOwnTextAndReleasesEverything) {
  struct Case {
    const char* name;
    bool failCreate, failQuery, failSave;
    const char* box;
  };
  const Case cases[] = {
      {"create", true, false, false, "box ERROR [0x40]: Can't create Program Files link"},
      {"query", false, true, false, "box ERROR [0x40]: Couldn't create file interface to program links"},
      {"save", false, false, true, "box ERROR [0x40]: Can't create Program Files icon group"},
  };
  auto& faults = Decorate<LinkFaults>(&Platform::shell);
  auto& shell = Decorate<test::FaultyShell>(&Platform::shell);
  std::vector<std::string> expected;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    shell.coCreateInstanceResult.reset();
    if (c.failCreate) shell.coCreateInstanceResult = REGDB_E_CLASSNOTREG;
    faults.failQuery = c.failQuery;
    faults.failSave = c.failSave;
    host_->Answer("ERROR", IDOK);
    EXPECT_EQ(dlg_->CreateShellLink("Tarnwick", ".exe", "Tarnwick", 0), 0);
    EXPECT_EQ(faults.liveReferences, 0);
    expected.emplace_back(c.box);
  }
  EXPECT_EQ(host_->Boxes(), expected);
  EXPECT_FALSE(Exists(g_strProgramGroupDir + "\\Tarnwick.lnk"));
}

// ----------------------------------------------------------------- registry

constexpr char kProductKey[] = "SOFTWARE\\ZO Daruzura\\Tarnwick\\2.11b";
constexpr char kOldProductKey[] = "SOFTWARE\\ZO Daruzura\\Tarnwick\\1.12";
constexpr char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tarnwick.exe";
constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwick";

struct Value {
  DWORD type = REG_NONE;
  std::string bytes;  // as stored, NUL included
};

std::optional<Value> ReadValue(const char* keyPath, std::string_view name) {
  HKEY key = nullptr;
  if (Registry().RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::vector<BYTE> buffer(4096);
  DWORD type = 0;
  DWORD size = 0;
  const LONG result = Registry().RegQueryValueExA(key, name, &type, buffer, &size);
  Registry().RegCloseKey(key);
  if (result != ERROR_SUCCESS) return std::nullopt;
  return Value{type, std::string(reinterpret_cast<const char*>(buffer.data()), size)};
}

void WriteValue(const char* keyPath, std::string_view name, const std::string& text) {
  HKEY key = nullptr;
  ASSERT_EQ(Registry().RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, "", REG_OPTION_NON_VOLATILE,
                                       KEY_WRITE, &key, nullptr),
            ERROR_SUCCESS);
  const std::string stored = text + '\0';
  Registry().RegSetValueExA(key, name, 0, REG_SZ,
                            std::span(reinterpret_cast<const BYTE*>(stored.data()), stored.size()));
  Registry().RegCloseKey(key);
}

// Removes a key with everything under it (the machine is shared under Wine).
void DeleteTree(HKEY parent, const std::string& path) {
  HKEY key = nullptr;
  if (Registry().RegOpenKeyExA(parent, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  std::array<char, 1024> name{};
  DWORD length = static_cast<DWORD>(name.size());
  while (Registry().RegEnumKeyExA(key, 0, name, &length) == ERROR_SUCCESS) {
    DeleteTree(key, std::string(name.data(), length));
    length = static_cast<DWORD>(name.size());
  }
  Registry().RegCloseKey(key);
  Registry().RegDeleteKeyA(parent, path);
}

class RegistryUpdateTest : public SystemTest {
 protected:
  void SetUp() override {
    SystemTest::SetUp();
    RemoveKeys();
  }
  void TearDown() override {
    RemoveKeys();
    SystemTest::TearDown();
  }
  static void RemoveKeys() {
    DeleteTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZO Daruzura");
    DeleteTree(HKEY_LOCAL_MACHINE, kAppPathsKey);
    DeleteTree(HKEY_LOCAL_MACHINE, kUninstallKey);
  }
  static std::string Sz(const std::string& text) { return text + '\0'; }
};

TEST_F(RegistryUpdateTest, WritesTheFiveValues) {
  dlg_->m_strInstallDir = "C:\\Program Files\\Tarnwick";
  const std::int64_t before = Time().time();
  EXPECT_EQ(dlg_->UpdateRegistry(), 1);
  const std::int64_t after = Time().time();

  const auto stamp = ReadValue(kProductKey, "");
  ASSERT_TRUE(stamp);
  EXPECT_EQ(stamp->type, REG_SZ);
  ASSERT_FALSE(stamp->bytes.empty());
  EXPECT_EQ(stamp->bytes.back(), '\0');
  const std::string digits = stamp->bytes.substr(0, stamp->bytes.size() - 1);
  ASSERT_FALSE(digits.empty());
  for (char c : digits) EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c))) << digits;
  const std::int64_t seconds = std::stoll(digits);
  EXPECT_GE(seconds, before);
  EXPECT_LE(seconds, after);

  struct Row {
    const char* key;
    const char* name;
    const char* text;
  };
  for (const Row& row : {Row{kAppPathsKey, "", "C:\\Program Files\\Tarnwick\\Tarnwick.exe"},
                         Row{kAppPathsKey, "Path", "C:\\Program Files\\Tarnwick"},
                         Row{kUninstallKey, "DisplayName", "Tarnwick 2.11b"},
                         Row{kUninstallKey, "UninstallString", "C:\\Program Files\\Tarnwick\\Uninstall.exe"}}) {
    SCOPED_TRACE(std::string(row.key) + " " + row.name);
    const auto value = ReadValue(row.key, row.name);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, REG_SZ);
    EXPECT_EQ(value->bytes, Sz(row.text));
  }
}

TEST_F(RegistryUpdateTest, ExistingKeysKeepTheirOtherValuesAndOldVersionsAreUntouched) {
  WriteValue(kUninstallKey, "DisplayName", "Tarnwick 2.11a");
  WriteValue(kUninstallKey, "Publisher", "someone else's note");
  WriteValue(kProductKey, "", "1");
  WriteValue(kProductKey, "Extra", "kept");
  WriteValue(kOldProductKey, "", "old install time");

  EXPECT_EQ(dlg_->UpdateRegistry(), 1);

  EXPECT_EQ(ReadValue(kUninstallKey, "displayname").value_or(Value{}).bytes, Sz("Tarnwick 2.11b"));
  EXPECT_EQ(ReadValue(kUninstallKey, "Publisher").value_or(Value{}).bytes, Sz("someone else's note"));
  EXPECT_NE(ReadValue(kProductKey, "").value_or(Value{}).bytes, Sz("1"));
  EXPECT_EQ(ReadValue(kProductKey, "Extra").value_or(Value{}).bytes, Sz("kept"));
  EXPECT_EQ(ReadValue(kOldProductKey, "").value_or(Value{}).bytes, Sz("old install time"));
}

// The working buffer is ours to size: a folder longer than 259 characters is
// stored whole, never cut short.
TEST_F(RegistryUpdateTest, LongFolderIsWrittenWhole) {
  dlg_->m_strInstallDir = "D:\\" + std::string(300, 'f');
  EXPECT_EQ(dlg_->UpdateRegistry(), 1);
  EXPECT_EQ(ReadValue(kAppPathsKey, "Path").value_or(Value{}).bytes, Sz(dlg_->m_strInstallDir));
  EXPECT_EQ(ReadValue(kUninstallKey, "UninstallString").value_or(Value{}).bytes,
            Sz(dlg_->m_strInstallDir + "\\Uninstall.exe"));
}

}  // namespace
}  // namespace tw
