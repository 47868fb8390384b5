#include "platform/framework/app.h"

#include "platform/platform.h"
#include "platform/ui.h"

namespace tw {

namespace {
// The registered application object: the program's single global. A test may
// construct another for a while; the previous one comes back when it goes.
CWinApp* g_app = nullptr;
}  // namespace

CWinApp::CWinApp(const char* appName) : previous_(g_app) {
  if (appName) SetAppName(appName);
  g_app = this;
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = previous_;
}

void CWinApp::SetAppName(std::string name) {
  appName_ = std::move(name);
  m_pszAppName = appName_.c_str();
}

BOOL CWinApp::InitApplication() { return TRUE; }

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

int CWinApp::Run() { return ExitInstance(); }

CWinApp* AfxGetApp() { return g_app; }

std::string AppNameFromPath(std::string_view programPath) {
  const auto slash = programPath.find_last_of("\\/");
  std::string_view name =
      slash == std::string_view::npos ? programPath : programPath.substr(slash + 1);
  const auto dot = name.rfind('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return std::string(name);
}

int AfxMessageBox(std::string_view text, UINT type, UINT /*helpId*/) {
  CWinApp* app = AfxGetApp();
  const std::string_view caption = app && app->m_pszAppName ? app->m_pszAppName : "";
  return Ui().ShowMessageBox(nullptr, text, caption, type);
}

int RunApplication() {
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  if (!app->m_pszAppName) app->SetAppName(AppNameFromPath(Ui().ProgramPath()));
  if (!app->InitApplication()) return -1;
  if (!app->InitInstance()) {
    // The main window, if one is still open, goes before the exit processing.
    if (app->m_pMainWnd && app->m_pMainWnd->GetSafeHwnd()) app->m_pMainWnd->DestroyWindow();
    return app->ExitInstance();
  }
  return app->Run();
}

}  // namespace tw
