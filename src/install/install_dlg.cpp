#include "install/install_dlg.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "platform/framework/app.h"
#include "platform/platform.h"
#include "platform/ui.h"
#include "platform/winconst.h"

namespace tw {

std::string g_strDefaultInstallDir;
std::string g_strProgramGroupDir;

namespace {

constexpr char kProductName[] = "Tarnwick";
constexpr char kProductVersion[] = "Tarnwick 2.11b";
constexpr char kBrowseTitle[] = "Tarnwick Installation Folder";
constexpr int kRequiredKb = 500;

// The text of a string value read into `data` (`count` bytes stored), or
// nothing when the value is not a usable string: another type, or no NUL
// within what was stored (reading on would run past the value).
bool ProgramFilesText(DWORD type, const std::array<BYTE, MAX_PATH>& data, DWORD count,
                      std::string& text) {
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  if (count == 0 || count > data.size()) return false;
  const void* nul = std::memchr(data.data(), 0, count);
  if (!nul) return false;
  const auto length = static_cast<std::size_t>(static_cast<const BYTE*>(nul) - data.data());
  text.assign(reinterpret_cast<const char*>(data.data()), length);
  return true;
}

}  // namespace

CInstallDlg::CInstallDlg(CWnd* parent) : CDialog(IDD_INSTALL, parent) {
  m_hIcon = LoadIcon(IDI_TARNWICK);
}

CInstallDlg::~CInstallDlg() = default;

std::span<const CommandEntry> CInstallDlg::GetCommandTable() const {
  static const CommandEntry kCommands[] = {
      Command(IDC_INSTALL_DIR, EN_CHANGE, &CInstallDlg::OnChangeInstallDir),
      Command(IDC_BROWSE, BN_CLICKED, &CInstallDlg::OnBrowse),
      Command(IDC_INSTALL, BN_CLICKED, &CInstallDlg::OnInstall),
      Command(IDC_CANCEL_INSTALL, BN_CLICKED, &CInstallDlg::OnCancelButton),
  };
  return kCommands;
}

void CInstallDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_INSTALL_DIR, m_strInstallDir);
  DDX_Text(pDX, IDC_STATUS, m_strStatus);
}

BOOL CInstallDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

  m_strProductName = kProductName;
  SetWindowText(std::string("ZO Daruzura - Install ") + kProductVersion);
  ShowStatus("Stand by:\r\nChecking system parameters...");

  // Default target folder: the machine's program-files folder, if it names one.
  g_strDefaultInstallDir = "C:\\Program Files\\Tarnwick";
  HKEY key = nullptr;
  if (Registry().RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                               0, KEY_READ, &key) == ERROR_SUCCESS) {
    std::array<BYTE, MAX_PATH> data{};
    DWORD type = REG_NONE;
    DWORD count = static_cast<DWORD>(data.size());
    std::string text;
    if (Registry().RegQueryValueExA(key, "ProgramFilesDir", &type, data, &count) ==
            ERROR_SUCCESS &&
        ProgramFilesText(type, data, count, text)) {
      g_strDefaultInstallDir = text + "\\Tarnwick";
    }
    Registry().RegCloseKey(key);
  }
  m_strInstallDir = g_strDefaultInstallDir;
  SetDlgItemText(IDC_INSTALL_DIR, m_strInstallDir);

  // The Start-menu program group.
  g_strProgramGroupDir = "C:\\Windows\\Start Menu\\Programs";
  ItemIdListPtr programs;
  const HRESULT located = Shell().SHGetSpecialFolderLocation(nullptr, CSIDL_PROGRAMS, &programs);
  if (located == S_OK && programs) {
    std::array<char, MAX_PATH> path{};
    if (Shell().SHGetPathFromIDListA(programs.get(), path) &&
        std::memchr(path.data(), 0, path.size())) {
      g_strProgramGroupDir = std::string(path.data()) + "\\Tarnwick";
    }
  }

  // The shell links need COM; a thread that already had it is refused too.
  if (Shell().CoInitialize(nullptr) != S_OK) {
    ShowError(1, "Can't initialize Component Object Module");
    EndDialog(0);
    return FALSE;
  }

  CheckPreviousInstallation();

  const std::string format =
      std::string("To install Tarnwick, at least\r\n") + "%d Kb of free disk space is required.";
  std::array<char, 128> status{};
  std::snprintf(status.data(), status.size(), format.c_str(), kRequiredKb);
  m_strStatus = status.data();
  SetDlgItemText(IDC_STATUS, m_strStatus);
  return TRUE;
}

void CInstallDlg::ShowStatus(std::string_view text) {
  m_strStatus = text;
  SetDlgItemText(IDC_STATUS, m_strStatus);
}

void CInstallDlg::ShowError(int abort, std::string message) {
  if (abort) {
    MessageBox(message + " - aborting installation", "ERROR", MB_OK | MB_ICONEXCLAMATION);
  } else {
    MessageBox(message, "ERROR", MB_OK | MB_ICONINFORMATION);
  }
}

void CInstallDlg::OnChangeInstallDir() { UpdateData(TRUE); }

void CInstallDlg::OnBrowse() {
  std::array<char, MAX_PATH> path{};
  CWinApp* app = AfxGetApp();
  HWND owner = app && app->m_pMainWnd ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
  ItemIdListPtr chosen = Ui().BrowseForFolder(owner, kBrowseTitle, BIF_RETURNONLYFSDIRS, path);
  if (!chosen) return;
  if (!Shell().SHGetPathFromIDListA(chosen.get(), path)) return;
  if (!std::memchr(path.data(), 0, path.size())) return;

  std::string folder = path.data();
  if (folder.find(m_strProductName) == std::string::npos) {
    std::string longer = folder;
    if (longer.empty() || longer.back() != '\\') longer += '\\';
    longer += m_strProductName;
    // The folder must stay a path the platform can hold, with its NUL.
    if (longer.size() >= static_cast<std::size_t>(MAX_PATH)) {
      MessageBox("The path of the chosen folder is too long to hold the Tarnwick folder:\r\n" +
                     folder + "\r\n\r\nPlease choose a folder with a shorter path.",
                 kBrowseTitle, MB_OK | MB_ICONEXCLAMATION);
      return;
    }
    folder = std::move(longer);
  }
  m_strInstallDir = folder;
  SetDlgItemText(IDC_INSTALL_DIR, m_strInstallDir);
}

// Filled in by the install sequence and by Cancel and rollback.
void CInstallDlg::OnInstall() {}
void CInstallDlg::OnCancelButton() {}

// Filled in by the previous-installation check.
void CInstallDlg::CheckPreviousInstallation() {}

}  // namespace tw
