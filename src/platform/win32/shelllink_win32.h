// The shell-link object of the win32 backend: the system's own (CLSID_ShellLink),
// seen through tw::IShellLinkA and tw::IPersistFile. The adapter forwards every
// call to the real interfaces; QueryInterface for IID_IPersistFile obtains the
// real IPersistFile, and the last Release releases every real interface held.
#pragma once

#include "platform/shell.h"
#include "platform/types.h"

namespace tw::win32 {

// CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA)
// wrapped in the adapter; returns its `iid` interface (IID_IShellLinkA,
// IID_IPersistFile or IID_IUnknown) in *out. The system's failure result when
// the object cannot be made (COM not initialised, for one), E_NOINTERFACE and a
// null *out for any other interface.
HRESULT CreateShellLinkObject(const IID& iid, void** out);

}  // namespace tw::win32
