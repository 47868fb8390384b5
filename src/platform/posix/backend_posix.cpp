#include "platform/backend.h"

#include <memory>
#include <string_view>

#include "platform/posix/backend_posix.h"
#include "platform/posix/fileinstall_posix.h"
#include "platform/posix/files_posix.h"
#include "platform/posix/machine.h"
#include "platform/posix/process_posix.h"
#include "platform/posix/registry_posix.h"
#include "platform/posix/resources_posix.h"
#include "platform/posix/shell_posix.h"
#include "platform/posix/time_posix.h"
#include "platform/ui.h"
#include "platform/winconst.h"

namespace tw {

void SeedFreshMachine(IRegistry& registry) {
  HKEY key = nullptr;
  if (registry.RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                               "", REG_OPTION_NON_VOLATILE, KEY_WRITE, &key,
                               nullptr) != ERROR_SUCCESS) {
    return;
  }
  static constexpr std::string_view kProgramFiles{"C:\\Program Files", sizeof("C:\\Program Files")};
  registry.RegSetValueExA(key, "ProgramFilesDir", 0, REG_SZ,
                          {reinterpret_cast<const BYTE*>(kProgramFiles.data()), kProgramFiles.size()});
  registry.RegCloseKey(key);
}

Platform MakePosixPlatform(std::shared_ptr<posix::Machine> machine) {
  Platform platform;
  std::error_code ec;
  const bool freshRegistry = !std::filesystem::exists(machine->RegistryFile(), ec);
  platform.registry = std::make_unique<posix::PosixRegistry>(machine->RegistryFile());
  if (platform.registry && freshRegistry) SeedFreshMachine(*platform.registry);
  platform.files = std::make_unique<posix::PosixFiles>(machine);
  platform.shell = std::make_unique<posix::PosixShell>(machine);
  platform.fileInstall = std::make_unique<posix::PosixFileInstall>(machine);
  platform.resources = std::make_unique<posix::PosixResources>();
  platform.process = std::make_unique<posix::PosixProcess>(machine);
  platform.time = std::make_unique<posix::PosixTime>();
  return platform;
}

Platform MakeSystemPlatform() {
  return MakePosixPlatform(std::make_shared<posix::Machine>(posix::Machine::DefaultRoot()));
}

}  // namespace tw
