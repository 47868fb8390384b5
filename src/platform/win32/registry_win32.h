// The registry of the real machine: each call goes to the Advapi32 A function
// of the same name. Names are handed over as NUL-terminated copies, so a name
// ends at its first NUL as it does for the platform.
//
// RegSetValueExA passes exactly data.size() bytes: the platform would count one
// byte past a string that is not NUL-terminated when that byte is a NUL; we
// never let it look beyond the caller's data.
#pragma once

#include "platform/registry.h"

namespace tw::win32 {

class Win32Registry final : public IRegistry {
 public:
  Win32Registry() = default;

  LONG RegOpenKeyExA(HKEY key, std::string_view subKey, DWORD options, REGSAM sam, HKEY* result) override;
  LONG RegQueryValueExA(HKEY key, std::string_view valueName, DWORD* type, std::span<BYTE> data,
                        DWORD* cbData) override;
  LONG RegCreateKeyExA(HKEY key, std::string_view subKey, DWORD reserved, std::string_view className,
                       DWORD options, REGSAM sam, HKEY* result, DWORD* disposition) override;
  LONG RegSetValueExA(HKEY key, std::string_view valueName, DWORD reserved, DWORD type,
                      std::span<const BYTE> data) override;
  LONG RegEnumKeyExA(HKEY key, DWORD index, std::span<char> name, DWORD* cchName) override;
  LONG RegDeleteKeyA(HKEY key, std::string_view subKey) override;
  LONG RegCloseKey(HKEY key) override;
};

}  // namespace tw::win32
