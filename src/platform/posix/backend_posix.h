// The posix backend's factory for a given machine (tests make one per case).
#pragma once

#include <memory>

#include "platform/platform.h"
#include "platform/posix/machine.h"

namespace tw {

// Every service of the posix backend on `machine`, without a dialog host. A
// prefix whose registry file does not exist yet gets the fresh machine's
// values (SeedFreshMachine).
Platform MakePosixPlatform(std::shared_ptr<posix::Machine> machine);

// The registry values a fresh machine has: "ProgramFilesDir" =
// "C:\Program Files" (REG_SZ with its NUL) under
// HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion.
void SeedFreshMachine(IRegistry& registry);

}  // namespace tw
