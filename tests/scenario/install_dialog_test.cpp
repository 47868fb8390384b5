// The install dialog as the user meets it: caption, folder, status line, the
// COM failure, Browse, typing, Escape and the close box, and the exit code of
// the whole program after the dialog closes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "install/install_dlg.h"
#include "platform/framework/app.h"
#include "platform/platform.h"
#include "platform/winconst.h"
#include "support/machine.h"
#include "support/scripted_host.h"

namespace tw {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using test::ScriptedHost;

constexpr char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr char kCaption[] = "caption: ZO Daruzura - Install Tarnwick 2.11b";
constexpr char kFreeSpace[] =
    "To install Tarnwick, at least\r\n500 Kb of free disk space is required.";

// A registry that hides one value, as if it were absent.
class HidingRegistry final : public IRegistry {
 public:
  explicit HidingRegistry(std::unique_ptr<IRegistry> real, std::string hidden = "ProgramFilesDir")
      : real_(std::move(real)), hidden_(std::move(hidden)) {}
  bool hiding = true;
  LONG RegOpenKeyExA(HKEY k, std::string_view s, DWORD o, REGSAM m, HKEY* r) override {
    return real_->RegOpenKeyExA(k, s, o, m, r);
  }
  LONG RegQueryValueExA(HKEY k, std::string_view n, DWORD* t, std::span<BYTE> d, DWORD* c) override {
    if (hiding && n == hidden_) return ERROR_FILE_NOT_FOUND;
    return real_->RegQueryValueExA(k, n, t, d, c);
  }
  LONG RegCreateKeyExA(HKEY k, std::string_view s, DWORD r, std::string_view c, DWORD o, REGSAM m,
                       HKEY* out, DWORD* d) override {
    return real_->RegCreateKeyExA(k, s, r, c, o, m, out, d);
  }
  LONG RegSetValueExA(HKEY k, std::string_view n, DWORD r, DWORD t, std::span<const BYTE> d) override {
    return real_->RegSetValueExA(k, n, r, t, d);
  }
  LONG RegEnumKeyExA(HKEY k, DWORD i, std::span<char> n, DWORD* c) override {
    return real_->RegEnumKeyExA(k, i, n, c);
  }
  LONG RegDeleteKeyA(HKEY k, std::string_view s) override { return real_->RegDeleteKeyA(k, s); }
  LONG RegCloseKey(HKEY k) override { return real_->RegCloseKey(k); }

 private:
  std::unique_ptr<IRegistry> real_;
  std::string hidden_;
};

struct StoredValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> bytes;
};

// The test machine with the scripted user, COM initialisation answered S_OK
// (every dialog of a test initialises COM on the same thread), and the
// machine's "ProgramFilesDir" put back afterwards (under Wine it is the real
// machine's).
class InstallDialogTest : public test::MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    if (!platform().registry) GTEST_SKIP() << "this build's machine has no registry service yet";
    shell_ = &Decorate<test::FaultyShell>(&Platform::shell);
    shell_->coInitializeResult = S_OK;
    auto host = std::make_unique<ScriptedHost>();
    host_ = host.get();
    platform().ui = std::move(host);
    original_ = ReadProgramFilesDir();
    g_strDefaultInstallDir.clear();
    g_strProgramGroupDir.clear();
  }

  void TearDown() override {
    if (!host_) return MachineTest::TearDown();
    host_->Finish();
    if (hiding_) hiding_->hiding = false;
    if (original_) {
      WriteProgramFilesDir(original_->type, original_->bytes);
      const auto now = ReadProgramFilesDir();
      EXPECT_TRUE(now && now->type == original_->type && now->bytes == original_->bytes)
          << "ProgramFilesDir was not restored";
    }
    MachineTest::TearDown();
  }

  std::optional<StoredValue> ReadProgramFilesDir() {
    HKEY key = nullptr;
    if (Registry().RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersion, 0, KEY_READ, &key) != 0) {
      return std::nullopt;
    }
    StoredValue value;
    value.bytes.resize(4096);
    DWORD count = static_cast<DWORD>(value.bytes.size());
    const LONG result =
        Registry().RegQueryValueExA(key, "ProgramFilesDir", &value.type, value.bytes, &count);
    Registry().RegCloseKey(key);
    if (result != ERROR_SUCCESS) return std::nullopt;
    value.bytes.resize(count);
    return value;
  }

  void WriteProgramFilesDir(DWORD type, const std::vector<BYTE>& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(Registry().RegCreateKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersion, 0, "",
                                         REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(Registry().RegSetValueExA(key, "ProgramFilesDir", 0, type, bytes), ERROR_SUCCESS);
    Registry().RegCloseKey(key);
  }

  static std::vector<BYTE> Sz(std::string_view text, bool withNul = true) {
    std::vector<BYTE> bytes(text.begin(), text.end());
    if (withNul) bytes.push_back(0);
    return bytes;
  }

  void HideProgramFilesDir() {
    hiding_ = &Decorate<HidingRegistry>(&Platform::registry);
  }

  // The Programs folder as the machine's shell gives it.
  std::string ProgramsFolder() {
    ItemIdListPtr list;
    if (Shell().SHGetSpecialFolderLocation(nullptr, CSIDL_PROGRAMS, &list) < 0) return {};
    char path[MAX_PATH] = {};
    return Shell().SHGetPathFromIDListA(list.get(), path) ? path : "";
  }

  // Runs the install dialog as the application does; returns its result.
  INT_PTR RunDialog(CInstallDlg& dlg) {
    AfxGetApp()->m_pMainWnd = &dlg;
    return dlg.DoModal();
  }

  ScriptedHost* host_ = nullptr;
  test::FaultyShell* shell_ = nullptr;
  HidingRegistry* hiding_ = nullptr;
  std::optional<StoredValue> original_;
};

TEST_F(InstallDialogTest, OpensWithCaptionFolderFocusAndFreeSpaceText) {
  WriteProgramFilesDir(REG_SZ, Sz("E:\\Apps"));
  CInstallDlg dlg;
  host_->Then([&] {
    EXPECT_EQ(host_->FocusedId(), IDC_INSTALL_DIR);
    EXPECT_EQ(host_->ControlText(102, IDC_INSTALL_DIR), "E:\\Apps\\Tarnwick");
    EXPECT_EQ(host_->ControlText(102, IDC_STATUS), kFreeSpace);
    EXPECT_EQ(dlg.m_strInstallDir, "E:\\Apps\\Tarnwick");
    EXPECT_EQ(dlg.m_strStatus, kFreeSpace);
    EXPECT_EQ(dlg.m_strProductName, "Tarnwick");
  });
  host_->PressEscape();

  EXPECT_EQ(RunDialog(dlg), IDCANCEL);
  EXPECT_THAT(host_->Transcript(),
              ElementsAre("open 102", "status: ", kCaption,
                          "status: Stand by:\r\nChecking system parameters...",
                          std::string("status: ") + kFreeSpace, "end 102: 2"));
  EXPECT_EQ(g_strDefaultInstallDir, "E:\\Apps\\Tarnwick");
  EXPECT_NE(dlg.m_hIcon, nullptr);
}

// Every "ProgramFilesDir" that does not hold a folder's name leaves the fixed
// folder, without a message.
TEST_F(InstallDialogTest, UnusableProgramFilesDirKeepsTheFixedFolder) {
  struct Case {
    const char* name;
    DWORD type;
    std::vector<BYTE> bytes;
  };
  const std::vector<Case> cases = {
      {"too long for 260 bytes", REG_SZ, Sz(std::string(300, 'x'))},
      {"exactly 260 bytes without room for the NUL", REG_SZ, Sz(std::string(260, 'y'), false)},
      {"binary", REG_BINARY, {'D', ':', '\\', 'B'}},
      {"DWORD", REG_DWORD, {0x44, 0x3A, 0x5C, 0x00}},
      {"string without its NUL", REG_SZ, Sz("D:\\NoNul", false)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteProgramFilesDir(c.type, c.bytes);
    CInstallDlg dlg;
    host_->PressEscape();
    RunDialog(dlg);
    EXPECT_EQ(dlg.m_strInstallDir, "C:\\Program Files\\Tarnwick");
    EXPECT_EQ(g_strDefaultInstallDir, dlg.m_strInstallDir);
  }
  EXPECT_TRUE(host_->Boxes().empty());
}

TEST_F(InstallDialogTest, AbsentProgramFilesDirKeepsTheFixedFolder) {
  HideProgramFilesDir();
  CInstallDlg dlg;
  host_->PressEscape();
  RunDialog(dlg);
  EXPECT_EQ(dlg.m_strInstallDir, "C:\\Program Files\\Tarnwick");
  EXPECT_EQ(host_->ControlText(102, IDC_INSTALL_DIR), "C:\\Program Files\\Tarnwick");
}

TEST_F(InstallDialogTest, ProgramGroupComesFromTheShellOrTheFixedFolder) {
  const std::string programs = ProgramsFolder();
  ASSERT_FALSE(programs.empty());
  {
    CInstallDlg dlg;
    host_->PressEscape();
    RunDialog(dlg);
    EXPECT_EQ(g_strProgramGroupDir, programs + "\\Tarnwick");
  }
  shell_->failingFolders.insert(CSIDL_PROGRAMS);
  {
    CInstallDlg dlg;
    host_->PressEscape();
    RunDialog(dlg);
    EXPECT_EQ(g_strProgramGroupDir, "C:\\Windows\\Start Menu\\Programs");
  }
}

TEST_F(InstallDialogTest, ComFailureShowsOneBoxAndEndsTheDialogWithZero) {
  for (HRESULT result : {S_FALSE, E_FAIL, E_OUTOFMEMORY}) {
    SCOPED_TRACE(result);
    shell_->coInitializeResult = result;
    auto host = std::make_unique<ScriptedHost>();
    host_ = host.get();
    platform().ui = std::move(host);
    host_->Answer("ERROR", IDOK);
    CInstallDlg dlg;
    EXPECT_EQ(RunDialog(dlg), 0);
    EXPECT_THAT(host_->Boxes(), ElementsAre("box ERROR [0x30]: Can't initialize Component Object "
                                            "Module - aborting installation"));
    EXPECT_EQ(host_->Transcript().back(), "end 102: 0");
    // Nothing after the failure ran: the status line still says "Stand by".
    EXPECT_EQ(dlg.m_strStatus, "Stand by:\r\nChecking system parameters...");
  }
}

TEST_F(InstallDialogTest, BrowseAppendsTheProductFolderUnlessThePathNamesIt) {
  struct Case {
    std::string chosen;
    std::string expected;
  };
  const std::string longest(250, 'L');  // with "\\Tarnwick": 259 characters
  const std::vector<Case> cases = {
      {"D:\\", "D:\\Tarnwick"},
      {"D:\\Apps", "D:\\Apps\\Tarnwick"},
      {"D:\\Old Tarnwick\\Data", "D:\\Old Tarnwick\\Data"},
      {"D:\\tarnwick", "D:\\tarnwick\\Tarnwick"},
      {"D:\\" + longest.substr(3), "D:\\" + longest.substr(3) + "\\Tarnwick"},
      {"D:\\" + std::string(248, 'T') + "Tarnwick", "D:\\" + std::string(248, 'T') + "Tarnwick"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen.substr(0, 40));
    CInstallDlg dlg;
    host_->BrowseTo(c.chosen);
    host_->Click(IDC_BROWSE).Then([&] {
      EXPECT_EQ(dlg.m_strInstallDir, c.expected);
      EXPECT_EQ(host_->ControlText(102, IDC_INSTALL_DIR), c.expected);
      EXPECT_EQ(host_->LastBrowseOwner(), dlg.GetSafeHwnd());
    });
    host_->PressEscape();
    RunDialog(dlg);
  }
  EXPECT_THAT(host_->Transcript(), Contains("browse [0x1]: Tarnwick Installation Folder"));
  EXPECT_TRUE(host_->Boxes().empty());
}

TEST_F(InstallDialogTest, BrowseThatChoosesNothingUsableChangesNothing) {
  WriteProgramFilesDir(REG_SZ, Sz("E:\\Apps"));
  const std::string tooLong = "D:\\" + std::string(251, 'a');  // 254 + "\\Tarnwick" > 259
  CInstallDlg dlg;
  host_->BrowseCancel().BrowseToVirtual("Network").BrowseTo(tooLong);
  host_->Answer("Tarnwick Installation Folder", tooLong, IDOK);
  host_->Click(IDC_BROWSE).Click(IDC_BROWSE).Click(IDC_BROWSE).Then([&] {
    EXPECT_EQ(dlg.m_strInstallDir, "E:\\Apps\\Tarnwick");
    EXPECT_EQ(host_->ControlText(102, IDC_INSTALL_DIR), "E:\\Apps\\Tarnwick");
  });
  host_->PressEscape();
  RunDialog(dlg);
  EXPECT_THAT(host_->Boxes(),
              ElementsAre("box Tarnwick Installation Folder [0x30]: The path of the chosen folder "
                          "is too long to hold the Tarnwick folder:\r\n" +
                          tooLong + "\r\n\r\nPlease choose a folder with a shorter path."));
}

TEST_F(InstallDialogTest, TypedFolderIsTheMemberWhenInstallIsPressed) {
  CInstallDlg dlg;
  host_->Type(IDC_INSTALL_DIR, "F:\\Tools\\Clock").Then([&] {
    EXPECT_EQ(dlg.m_strInstallDir, "F:\\Tools\\Clock");
    EXPECT_EQ(dlg.m_strStatus, kFreeSpace);  // read back unchanged
  });
  host_->Click(IDC_INSTALL).Then([&] { EXPECT_EQ(dlg.m_strInstallDir, "F:\\Tools\\Clock"); });
  // Enter in the edit box is the default button, Install; the dialog stays.
  host_->Type(IDC_INSTALL_DIR, "G:\\X").PressEnter().Then([&] {
    EXPECT_EQ(dlg.m_strInstallDir, "G:\\X");
  });
  host_->CloseBox();
  EXPECT_EQ(RunDialog(dlg), IDCANCEL);
  EXPECT_TRUE(host_->Boxes().empty());
}

TEST_F(InstallDialogTest, EscapeAndCloseBoxEndWithCancelAndNoBox) {
  for (bool escape : {true, false}) {
    CInstallDlg dlg;
    if (escape) {
      host_->PressEscape();
    } else {
      host_->CloseBox();
    }
    EXPECT_EQ(RunDialog(dlg), IDCANCEL);
    EXPECT_EQ(host_->Transcript().back(), "end 102: 2");
  }
  EXPECT_TRUE(host_->Boxes().empty());
}

TEST_F(InstallDialogTest, ProgramExitsWithZeroAfterTheDialogCloses) {
  ASSERT_EQ(AfxGetApp(), &theApp);
  host_->ProgramFile("C:\\Temp\\TarnwickSetup.exe");
  host_->In(102).CloseBox();
  EXPECT_EQ(RunApplication(), 0);
  EXPECT_STREQ(theApp.m_pszAppName, "TarnwickSetup");
  EXPECT_EQ(theApp.m_pMainWnd, nullptr);  // the dialog is gone, and so is the pointer
  EXPECT_EQ(host_->Transcript().back(), "end 102: 2");
}

}  // namespace
}  // namespace tw
