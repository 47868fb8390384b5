#include <windows.h>

#include <memory>

#include "platform/backend.h"
#include "platform/framework/app.h"
#include "platform/win32/host_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  tw::Platform platform = tw::MakeSystemPlatform();
  platform.ui = std::make_unique<tw::win32::Win32UiHost>();
  tw::InstallPlatform(&platform);
  const int code = tw::RunApplication();
  tw::InstallPlatform(nullptr);
  return code;
}
