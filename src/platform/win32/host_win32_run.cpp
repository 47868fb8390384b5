// The program's run on Windows, kept apart from WinMain: this TU sees the
// framework's names, which <windows.h> would turn into macros.
#include <memory>

#include "platform/backend.h"
#include "platform/framework/app.h"
#include "platform/win32/host_win32.h"

namespace tw::win32 {

int RunProgram() {
  Platform platform = MakeSystemPlatform();
  platform.ui = std::make_unique<Win32UiHost>();
  Platform* previous = InstallPlatform(&platform);
  const int code = RunApplication();
  InstallPlatform(previous);
  return code;
}

}  // namespace tw::win32
