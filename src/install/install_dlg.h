// The install dialog: the installer's main window. The operations of target
// folder, payload, shell links, registry and removal are members too, because
// they read the dialog's strings and report through its boxes; they live in
// their subsystems' folders.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/framework/dialog.h"
#include "platform/types.h"

namespace tw {

// Dialog template and control ids.
inline constexpr UINT IDD_INSTALL = 102;
inline constexpr int IDI_TARNWICK = 128;
inline constexpr int IDC_STATUS = 1000;
inline constexpr int IDC_INSTALL_DIR = 1002;
inline constexpr int IDC_BROWSE = 1003;
inline constexpr int IDC_INSTALL = 1004;
inline constexpr int IDC_CANCEL_INSTALL = 1005;

// The default target folder and the product's Start-menu program group,
// set while the install dialog initialises.
extern std::string g_strDefaultInstallDir;
extern std::string g_strProgramGroupDir;

class CInstallDlg : public CDialog {
 public:
  explicit CInstallDlg(CWnd* parent = nullptr);
  ~CInstallDlg() override;

  // The status line (control 1000).
  void ShowStatus(std::string_view text);
  // One "ERROR" box owned by the dialog; abort non-zero adds
  // " - aborting installation" and the exclamation icon, 0 the information icon.
  void ShowError(int abort, std::string message);

  // Target folder (deploy/target_dir.cpp).
  int CreateTargetDir(std::string targetPath);
  // Payload extraction (deploy/payload.cpp).
  int InstallPayloadFile(int resourceId, std::string finalName);
  // Shell links (system/shell_link.cpp).
  int CreateShellLink(std::string base, std::string ext, std::string linkName, int onDesktop);
  // Registry registration (system/registry_update.cpp).
  int UpdateRegistry();
  // Earlier installations, found while the dialog initialises.
  void CheckPreviousInstallation();

  // Button handlers: Install (1004) and Cancel (1005).
  void OnInstall();
  void OnCancelButton();
  // Folder edit box changed (EN_CHANGE from 1002).
  void OnChangeInstallDir();
  // Browse button (1003).
  void OnBrowse();

  std::string m_strProductName;
  std::string m_strInstallDir;
  std::string m_strStatus;
  HICON m_hIcon = nullptr;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  std::span<const CommandEntry> GetCommandTable() const override;
};

}  // namespace tw
