// The installer's application object: the program's single global.
#pragma once

#include "platform/framework/app.h"

namespace tw {

class CInstallApp : public CWinApp {
 public:
  CInstallApp();

  BOOL InitInstance() override;
  BOOL InitApplication() override;
};

extern CInstallApp theApp;

}  // namespace tw
