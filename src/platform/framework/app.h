// The framework's application object and entry routine.
//
// The program's application object is its single global, constructed before the
// entry routine runs; its constructor registers it. RunApplication() then
// names it, calls InitApplication and InitInstance in that order and turns their
// results into the exit code.
#pragma once

#include <string>
#include <string_view>

#include "platform/framework/dialog.h"
#include "platform/types.h"

namespace tw {

class CWinApp {
 public:
  // No name: the program file's name without its extension.
  explicit CWinApp(const char* appName = nullptr);
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;
  virtual ~CWinApp();

  virtual BOOL InitApplication();
  virtual BOOL InitInstance();
  // The exit code of a run whose InitInstance returned FALSE: 0.
  virtual int ExitInstance();
  // The message loop, entered only when InitInstance returns TRUE. Every window
  // of this program is modal, so there is nothing left to pump.
  virtual int Run();

  // Three-dimensional control drawing; the hosts always draw that way.
  BOOL Enable3dControlsStatic() { return TRUE; }

  CWnd* m_pMainWnd = nullptr;
  const char* m_pszAppName = nullptr;

 private:
  friend int RunApplication();
  void SetAppName(std::string name);

  CWinApp* previous_;
  std::string appName_;
};

// The application object, or null before one is constructed.
CWinApp* AfxGetApp();

// A box captioned with the application's name, with no owner.
int AfxMessageBox(std::string_view text, UINT type = MB_OK, UINT helpId = 0);

// The entry routine: runs the registered application object with the installed
// platform (which must carry a dialog host). Returns the exit code: -1 when
// InitApplication fails or there is no application object, else ExitInstance()'s
// (after Run() when InitInstance succeeds).
int RunApplication();

// The file name of a Windows path without its folder and extension.
std::string AppNameFromPath(std::string_view programPath);

}  // namespace tw
