// The program's resources through the platform's resource API.
#pragma once

#include "platform/resources.h"

namespace tw::win32 {

// Forwards to FindResourceA (integer id, named type), LoadResource,
// SizeofResource and LockResource. A null module is the program's own.
class Win32Resources : public IResources {
 public:
  HRSRC FindResourceA(HMODULE module, WORD id, std::string_view type) override;
  HGLOBAL LoadResource(HMODULE module, HRSRC resource) override;
  DWORD SizeofResource(HMODULE module, HRSRC resource) override;
  const void* LockResource(HGLOBAL loaded) override;
};

}  // namespace tw::win32
