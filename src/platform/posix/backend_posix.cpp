#include "platform/backend.h"
#include "platform/ui.h"

namespace tw {

Platform MakeSystemPlatform() {
  Platform platform;
  return platform;
}

}  // namespace tw
