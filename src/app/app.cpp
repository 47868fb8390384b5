#include "app/app.h"

#include "install/install_dlg.h"

namespace tw {

CInstallApp theApp;

CInstallApp::CInstallApp() = default;

BOOL CInstallApp::InitApplication() { return CWinApp::InitApplication(); }

BOOL CInstallApp::InitInstance() {
  Enable3dControlsStatic();
  CInstallDlg dlg(nullptr);
  m_pMainWnd = &dlg;
  dlg.DoModal();
  // The dialog is gone when this returns; its destructor clears m_pMainWnd.
  return FALSE;
}

}  // namespace tw
