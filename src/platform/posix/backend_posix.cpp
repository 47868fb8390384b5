#include "platform/backend.h"

#include <memory>

#include "platform/posix/fileinstall_posix.h"
#include "platform/posix/machine.h"
#include "platform/posix/resources_posix.h"
#include "platform/ui.h"

namespace tw {

Platform MakeSystemPlatform() {
  Platform platform;
  auto machine = std::make_shared<posix::Machine>(posix::Machine::DefaultRoot());
  platform.fileInstall = std::make_unique<posix::PosixFileInstall>(machine);
  platform.resources = std::make_unique<posix::PosixResources>();
  return platform;
}

}  // namespace tw
