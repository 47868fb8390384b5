// The shell-link object of the posix backend: what CoCreateInstance gives for
// CLSID_ShellLink. It keeps the properties the setters were given and, on
// IPersistFile::Save, writes a real .lnk file (platform/lnk.h) at a Windows
// path of the machine.
//
// Save's results follow the Windows shell's, which come from creating the file:
//   S_OK                      the link is in place (an existing file replaced)
//   0x80070003 path not found the folder or drive does not exist, an empty
//                             path, or one of 260 characters or more
//   0x8007007B invalid name   a name holding a character the platform refuses
//                             (<>:"|?* '/', control characters) or one the code
//                             page cannot hold
//   0x80070005 access denied  the path names a folder or a read-only file
//   E_INVALIDARG              no path, or a property too long for the format
// A half-written file is never left: the link is written next to its final
// name and renamed into place.
#pragma once

#include <memory>

#include "platform/shell.h"
#include "platform/types.h"

namespace tw::posix {

class Machine;

// Creates a link object and returns its `iid` interface (IID_IShellLinkA,
// IID_IPersistFile or IID_IUnknown) in *out with one reference; E_NOINTERFACE
// and a null *out for any other interface.
HRESULT CreateShellLinkObject(std::shared_ptr<Machine> machine, const IID& iid, void** out);

}  // namespace tw::posix
