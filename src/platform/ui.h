// The dialog host: runs dialogs from their templates and shows boxes.
// Implemented by the win32 host, the terminal host and the scripted test host.
// (The framework helper fleshes this out; see framework/.)
#pragma once

#include "platform/shell.h"
#include "platform/types.h"

namespace tw {

class IUiHost {
 public:
  virtual ~IUiHost() = default;
};

}  // namespace tw
