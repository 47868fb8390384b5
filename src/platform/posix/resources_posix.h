// The posix resources service: the program's resources from a table in memory
// (by default the build's built-in table).
#pragma once

#include <vector>

#include "platform/resources.h"
#include "resources/builtin.h"

namespace tw::posix {

// HRSRC and HGLOBAL are opaque pointers to the table's entries; both are valid
// as long as the service lives. There is one module, the program's own: the
// module argument is not looked at. Type names compare without regard to case.
class PosixResources : public IResources {
 public:
  // The program's built-in resources.
  PosixResources();
  // Exactly these resources (tests remove one, or make one empty). The bytes
  // must outlive the service.
  explicit PosixResources(std::vector<resources::Entry> table);

  HRSRC FindResourceA(HMODULE module, WORD id, std::string_view type) override;
  HGLOBAL LoadResource(HMODULE module, HRSRC resource) override;
  DWORD SizeofResource(HMODULE module, HRSRC resource) override;
  const void* LockResource(HGLOBAL loaded) override;

 private:
  const resources::Entry* Lookup(const void* handle) const;

  std::vector<resources::Entry> table_;
};

}  // namespace tw::posix
