// The backend this build was made with, chosen once here.
#pragma once

#include "platform/platform.h"

namespace tw {

// The machine's services, without a dialog host (the entry routine or a test
// adds the host it runs with). posix: the prefix named by the environment
// variable TARNWICK_PREFIX, or the default prefix in the user's data folder,
// created on first use. win32: the real machine.
Platform MakeSystemPlatform();

}  // namespace tw
