// The dialog framework and the template tables: the in-memory template bytes,
// the entry routine's exit codes, data exchange and the command table.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "platform/framework/app.h"
#include "platform/framework/dialog.h"
#include "platform/platform.h"
#include "resources/templates.h"
#include "support/scripted_host.h"

namespace tw {
namespace {

using ::testing::ElementsAre;
using test::ScriptedHost;

std::uint16_t Word(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b.at(at) | b.at(at + 1) << 8);
}
std::uint32_t Dword(const std::vector<std::uint8_t>& b, std::size_t at) {
  return Word(b, at) | static_cast<std::uint32_t>(Word(b, at + 2)) << 16;
}
std::string Utf16At(const std::vector<std::uint8_t>& b, std::size_t at) {
  std::string s;
  for (std::uint16_t c; (c = Word(b, at)) != 0; at += 2) s.push_back(static_cast<char>(c));
  return s;
}

// The dialog of the verified worked example: its offsets and sizes are known.
constexpr res::ControlTemplate kExampleControls[] = {
    {res::ControlClass::Static, 100, "Install to:", 7, 7, 186, 10, WS_CHILD | WS_VISIBLE},
    {res::ControlClass::Edit, 101, "C:\\Program Files\\Tarnwick", 7, 20, 186, 14,
     WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
    {res::ControlClass::Button, IDOK, "OK", 89, 59, 50, 14,
     WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON},
    {res::ControlClass::Button, IDCANCEL, "Cancel", 143, 59, 50, 14, WS_CHILD | WS_VISIBLE},
};
const res::DialogTemplate kExample = {
    1, DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 200, 80,
    "Tarnwick Setup", "MS Shell Dlg", 8, kExampleControls};

TEST(DialogTemplateBytes, ExtendedFormMatchesTheWorkedExample) {
  const auto b = res::BuildDialogTemplateEx(kExample);
  ASSERT_EQ(b.size(), 312u);
  EXPECT_EQ(Word(b, 0), 1);
  EXPECT_EQ(Word(b, 2), 0xFFFF);
  EXPECT_EQ(Dword(b, 0x0C), kExample.style);
  EXPECT_EQ(Word(b, 0x10), 4);
  EXPECT_EQ(Word(b, 0x16), 200);
  EXPECT_EQ(Word(b, 0x18), 80);
  EXPECT_EQ(Utf16At(b, 0x1E), "Tarnwick Setup");
  EXPECT_EQ(Word(b, 0x3C), 8);    // point size
  EXPECT_EQ(Word(b, 0x3E), 400);  // weight
  EXPECT_EQ(Utf16At(b, 0x42), "MS Shell Dlg");
  // Items at 92, 148, 232 and 268: id is a DWORD at +0x14, the class an ordinal.
  const std::size_t items[] = {92, 148, 232, 268};
  const std::uint32_t ids[] = {100, 101, 1, 2};
  const std::uint16_t classes[] = {0x82, 0x81, 0x80, 0x80};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(items[i] % 4, 0u);
    EXPECT_EQ(Dword(b, items[i] + 0x08), kExampleControls[i].style);
    EXPECT_EQ(Dword(b, items[i] + 0x14), ids[i]);
    EXPECT_EQ(Word(b, items[i] + 0x18), 0xFFFF);
    EXPECT_EQ(Word(b, items[i] + 0x1A), classes[i]);
    EXPECT_EQ(Utf16At(b, items[i] + 0x1C), kExampleControls[i].text);
  }
}

TEST(DialogTemplateBytes, PlainFormMatchesTheWorkedExample) {
  const auto b = res::BuildDialogTemplate(kExample);
  ASSERT_EQ(b.size(), 274u);
  EXPECT_EQ(Dword(b, 0), kExample.style);
  EXPECT_EQ(Word(b, 8), 4);
  const std::size_t items[] = {80, 128, 204, 236};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Dword(b, items[i]), kExampleControls[i].style);
    EXPECT_EQ(Word(b, items[i] + 0x10), static_cast<std::uint16_t>(kExampleControls[i].id));
    EXPECT_EQ(Word(b, items[i] + 0x14), static_cast<std::uint16_t>(kExampleControls[i].kind));
  }
}

TEST(DialogTemplates, HoldTheProgramsFourDialogs) {
  struct Expected {
    int id;
    std::uint32_t style, exStyle;
    std::int16_t cx, cy;
    const char* caption;
    std::vector<int> controls;
  };
  const Expected expected[] = {
      {102, 0x90C800C0u, 0x00040000u, 254, 103, "InstallXK", {1000, 1002, 1003, -1, 1004, 1005}},
      {129, 0x90000040u, 0, 200, 110, "", {1006, 1007}},
      {130, 0x80C800C0u, 0, 196, 71, "Tarnwick Installation", {1006, 1005, -1}},
      {131, 0x80C800C0u, 0, 259, 197, "Tarnwick License and End User Agreement", {1, 2, 1008}},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.id);
    const res::DialogTemplate* t = res::FindDialogTemplate(e.id);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->style, e.style);
    EXPECT_EQ(t->exStyle, e.exStyle);
    EXPECT_EQ(t->x, 0);
    EXPECT_EQ(t->y, 0);
    EXPECT_EQ(t->cx, e.cx);
    EXPECT_EQ(t->cy, e.cy);
    EXPECT_EQ(t->caption, e.caption);
    EXPECT_EQ(t->fontName, "MS Sans Serif");
    EXPECT_EQ(t->pointSize, 8);
    std::vector<int> ids;
    for (const auto& c : t->controls) ids.push_back(c.id);
    EXPECT_EQ(ids, e.controls);
    // The dialog manager reads back what the table says.
    const auto bytes = res::BuildDialogTemplateEx(*t);
    EXPECT_EQ(Dword(bytes, 0x08), e.exStyle);
    EXPECT_EQ(Word(bytes, 0x10), t->controls.size());
  }
  EXPECT_EQ(res::FindDialogTemplate(101), nullptr);
}

TEST(DialogTemplates, InstallDialogControlsAreAsTheUserSeesThem) {
  const res::DialogTemplate* t = res::FindDialogTemplate(102);
  ASSERT_NE(t, nullptr);
  const auto& c = t->controls;
  EXPECT_EQ(c[1].style, 0x50810080u);  // edit: border, tab stop, auto scroll
  EXPECT_EQ(c[2].text, "&Browse");
  EXPECT_EQ(c[3].text, "Target Directory:");
  EXPECT_EQ(c[4].text, "&Install");
  EXPECT_EQ(c[4].style & 0xF, BS_DEFPUSHBUTTON);
  EXPECT_EQ(c[5].text, "&Cancel");
  EXPECT_EQ((c[0].style & WS_GROUP) && (c[3].style & WS_GROUP), true);
  EXPECT_EQ((std::vector<int>{c[4].x, c[4].y, c[4].cx, c[4].cy}), (std::vector<int>{6, 79, 42, 14}));
  const res::DialogTemplate* licence = res::FindDialogTemplate(131);
  EXPECT_EQ(licence->controls[2].style & (ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_HSCROLL),
            ES_MULTILINE | ES_READONLY | WS_VSCROLL);
}

// ---- the application object and the entry routine

class FrameworkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto host = std::make_unique<ScriptedHost>();
    host_ = host.get();
    platform_.ui = std::move(host);
    previous_ = InstallPlatform(&platform_);
  }
  void TearDown() override { InstallPlatform(previous_); }
  Platform platform_;
  Platform* previous_ = nullptr;
  ScriptedHost* host_ = nullptr;
};

class TestApp : public CWinApp {
 public:
  using CWinApp::CWinApp;
  BOOL initApplication = TRUE, initInstance = FALSE;
  int exitCode = 0;
  std::vector<std::string> calls;
  BOOL InitApplication() override {
    calls.push_back("InitApplication");
    return initApplication;
  }
  BOOL InitInstance() override {
    calls.push_back("InitInstance");
    return initInstance;
  }
  int ExitInstance() override {
    calls.push_back("ExitInstance");
    return exitCode;
  }
};

TEST_F(FrameworkTest, EntryRoutineTurnsTheHooksIntoTheExitCode) {
  struct Case {
    BOOL initApplication, initInstance;
    int exitCode, expected;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {FALSE, FALSE, 5, -1, {"InitApplication"}},
      {TRUE, FALSE, 0, 0, {"InitApplication", "InitInstance", "ExitInstance"}},
      {TRUE, FALSE, 7, 7, {"InitApplication", "InitInstance", "ExitInstance"}},
      {TRUE, TRUE, 3, 3, {"InitApplication", "InitInstance", "ExitInstance"}},
  };
  for (const Case& c : cases) {
    TestApp app;
    app.initApplication = c.initApplication;
    app.initInstance = c.initInstance;
    app.exitCode = c.exitCode;
    EXPECT_EQ(RunApplication(), c.expected);
    EXPECT_EQ(app.calls, c.calls);
  }
}

TEST_F(FrameworkTest, AppIsNamedAfterTheProgramFileAndCaptionsItsBoxes) {
  host_->ProgramFile("C:\\Setup Disk.1\\TarnwickSetup.exe");
  host_->Answer("TarnwickSetup", IDOK);
  TestApp app;
  ASSERT_EQ(AfxGetApp(), &app);
  RunApplication();
  EXPECT_STREQ(app.m_pszAppName, "TarnwickSetup");
  EXPECT_EQ(AfxMessageBox("VERSION.DLL is missing", MB_ICONERROR), IDOK);
  EXPECT_THAT(host_->Boxes(), ElementsAre("box TarnwickSetup [0x10]: VERSION.DLL is missing"));

  TestApp named("Given Name");
  RunApplication();
  EXPECT_STREQ(named.m_pszAppName, "Given Name");
}

TEST(AppName, IsTheFileNameWithoutItsExtension) {
  EXPECT_EQ(AppNameFromPath("C:\\Temp\\TarnwickSetup.exe"), "TarnwickSetup");
  EXPECT_EQ(AppNameFromPath("C:\\a.b\\Setup"), "Setup");
  EXPECT_EQ(AppNameFromPath("setup.tar.exe"), "setup.tar");
  EXPECT_EQ(AppNameFromPath("/opt/tw/TarnwickSetup"), "TarnwickSetup");
}

// ---- dialogs

// The install dialog's template, with a handler that counts the edit box's
// changes and records what the members held at each one.
class ProbeDialog : public CDialog {
 public:
  ProbeDialog() : CDialog(102) {}
  std::string folder, status;
  std::vector<std::string> seen;
  int installs = 0;
  void OnChange() {
    UpdateData(TRUE);
    seen.push_back(folder + "|" + status);
  }
  void OnInstall() { ++installs; }

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Text(pDX, 1002, folder);
    DDX_Text(pDX, 1000, status);
  }
  std::span<const CommandEntry> GetCommandTable() const override {
    static const CommandEntry kTable[] = {
        Command(1002, EN_CHANGE, &ProbeDialog::OnChange),
        Command(1004, BN_CLICKED, &ProbeDialog::OnInstall),
    };
    return kTable;
  }
};

TEST_F(FrameworkTest, DataExchangeFillsBothControlsBeforeAnyChangeHandlerRuns) {
  ProbeDialog dlg;
  dlg.folder = "C:\\A";
  dlg.status = "waiting";
  host_->Then([&] {
    // The edit box's EN_CHANGE during the exchange was not dispatched: had it
    // been, the handler would have read the template's placeholder status.
    EXPECT_TRUE(dlg.seen.empty());
    EXPECT_EQ(host_->ControlText(102, 1000), "waiting");
    EXPECT_EQ(host_->ControlText(102, 1002), "C:\\A");
  });
  host_->Type(1002, "D:\\B").Click(1004).PressEnter().PressEscape();
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_THAT(dlg.seen, ElementsAre("D:\\B|waiting"));
  EXPECT_EQ(dlg.installs, 2);  // the click, and Enter on the focused button
}

// The licence template has IDOK and IDCANCEL buttons and no table of its own.
class OkDialog : public CDialog {
 public:
  OkDialog() : CDialog(131) {}
  std::string text = "licence";

 protected:
  void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, 1008, text); }
};

TEST_F(FrameworkTest, OkAndCancelDefaultToTheFrameworksOwn) {
  {
    OkDialog dlg;
    host_->Then([&] { EXPECT_EQ(host_->FocusedId(), IDOK); });
    host_->Type(1008, "edited").Click(IDOK);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.text, "edited");  // OnOK read the controls back
  }
  {
    OkDialog dlg;
    host_->Type(1008, "dropped").PressEscape();
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.text, "licence");
  }
  {
    OkDialog dlg;
    host_->Type(1008, "x").PressEnter();  // the edit has the focus: the default button
    EXPECT_EQ(dlg.DoModal(), IDOK);
  }
}

class EndsAtOnce : public CDialog {
 public:
  EndsAtOnce() : CDialog(130) {}
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    EndDialog(IDOK);
    return FALSE;
  }
  void OnDestroy() override { destroyed = true; }
  bool destroyed = false;
};

TEST_F(FrameworkTest, DialogEndedDuringInitialisationNeverWaitsAndIsDestroyed) {
  EndsAtOnce dlg;
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_TRUE(dlg.destroyed);
  EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
  EXPECT_THAT(host_->Transcript(), ElementsAre("open 130", "end 130: 1"));
}

TEST_F(FrameworkTest, UnknownTemplateGivesMinusOne) {
  CDialog dlg(999);
  EXPECT_EQ(dlg.DoModal(), -1);
  EXPECT_FALSE(dlg.Create(998));
}

TEST_F(FrameworkTest, MainWindowPointerGoesWithTheDialog) {
  TestApp app;
  {
    CDialog dlg(130);
    app.m_pMainWnd = &dlg;
  }
  EXPECT_EQ(app.m_pMainWnd, nullptr);
}

// A modeless window with a font and a brush, as the splash screen has.
class Painted : public CDialog {
 public:
  Painted() : CDialog(129) {}
  HBRUSH brush = nullptr;
  CFont font;
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    brush = CreateSolidBrush(0x880000);
    font.Attach(CreateFontA(51, 27, 0, 0, FW_EXTRABOLD, 0, 0, 0, ANSI_CHARSET, OUT_DEVICE_PRECIS,
                            CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FF_SWISS | VARIABLE_PITCH,
                            "KD_Font"));
    GetDlgItem(1006)->SetFont(&font, FALSE);
    GetDlgItem(1006)->MoveWindow(51, 38, 1004, 748);
    return TRUE;
  }
  HBRUSH OnCtlColor(HDC dc, CWnd* window, UINT kind) override {
    CDialog::OnCtlColor(dc, window, kind);
    if (window->GetDlgCtrlID() == 1006) {
      SetTextColor(dc, 0xFFFFFF);
      SetBkColor(dc, 0x880000);
    }
    return brush;
  }
  void OnDestroy() override {
    CDialog::OnDestroy();
    DeleteObject(brush);
    font.DeleteObject();
  }
};

TEST_F(FrameworkTest, ModelessWindowPaintsThroughItsColourHandlerAndFreesItsObjects) {
  Painted splash;
  ASSERT_TRUE(splash.Create(129));
  EXPECT_EQ(host_->ControlFont(129, 1006), splash.font.m_hObject);
  const auto placed = host_->Placement(129, 1006);
  ASSERT_TRUE(placed);
  EXPECT_EQ(placed->x, 51);
  EXPECT_EQ(placed->height, 748);
  const auto control = host_->PaintRequest(129, 1006, CTLCOLOR_STATIC);
  EXPECT_EQ(control.brush, splash.brush);
  EXPECT_EQ(control.text, 0xFFFFFFu);
  EXPECT_EQ(control.background, 0x880000u);
  const auto dialog = host_->PaintRequest(129, 0, CTLCOLOR_DLG);
  EXPECT_EQ(dialog.brush, splash.brush);
  EXPECT_FALSE(dialog.text);
  EXPECT_EQ(host_->LiveGdiObjects(), 2);
  EXPECT_TRUE(splash.DestroyWindow());
  EXPECT_EQ(host_->LiveGdiObjects(), 0);
  EXPECT_EQ(host_->Transcript().back(), "destroy 129");
}

}  // namespace
}  // namespace tw
