// Resources of the program's own module: named types ("MSZ", "TEXT") and
// integer ids. Type names compare without regard to case.
#pragma once

#include <string_view>

#include "platform/types.h"

namespace tw {

class IResources {
 public:
  virtual ~IResources() = default;
  // module null means the program's own executable. Null when absent.
  virtual HRSRC FindResourceA(HMODULE module, WORD id, std::string_view type) = 0;
  virtual HGLOBAL LoadResource(HMODULE module, HRSRC resource) = 0;
  virtual DWORD SizeofResource(HMODULE module, HRSRC resource) = 0;
  virtual const void* LockResource(HGLOBAL loaded) = 0;
};

}  // namespace tw
