#include "platform/backend.h"

#include <memory>

#include "platform/ui.h"
#include "platform/win32/fileinstall_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/process_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/resources_win32.h"
#include "platform/win32/shell_win32.h"
#include "platform/win32/time_win32.h"

namespace tw {

Platform MakeSystemPlatform() {
  Platform platform;
  platform.registry = std::make_unique<win32::Win32Registry>();
  platform.fileInstall = std::make_unique<win32::Win32FileInstall>();
  platform.resources = std::make_unique<win32::Win32Resources>();
  platform.files = std::make_unique<win32::Win32Files>();
  platform.shell = std::make_unique<win32::Win32Shell>();
  platform.process = std::make_unique<win32::Win32Process>();
  platform.time = std::make_unique<win32::Win32Time>();
  return platform;
}

}  // namespace tw
