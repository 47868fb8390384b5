#include "platform/backend.h"

#include <memory>

#include "platform/ui.h"
#include "platform/win32/fileinstall_win32.h"
#include "platform/win32/resources_win32.h"

namespace tw {

Platform MakeSystemPlatform() {
  Platform platform;
  platform.fileInstall = std::make_unique<win32::Win32FileInstall>();
  platform.resources = std::make_unique<win32::Win32Resources>();
  return platform;
}

}  // namespace tw
