// Registry service: keys under HKEY_LOCAL_MACHINE.
//
// Contract (both backends; Windows is the reference):
// - Key and value names compare without regard to case; a key keeps the case it
//   was created with. The default value is the one with the empty name.
// - RegOpenKeyExA: ERROR_SUCCESS and a handle, or ERROR_FILE_NOT_FOUND (2) when
//   the key is absent. A sub-key path of "" opens another handle to `key`.
// - RegQueryValueExA: `data` is the caller's buffer, its size the size given.
//   On success *cbData is the number of bytes stored. When the value does not
//   fit, ERROR_MORE_DATA (234), *cbData the size needed, and not one byte is
//   written past data.size(). A string value stored without its NUL is returned
//   as stored; where the buffer has room the platform puts a NUL after it that
//   *cbData does not count. `type` and `cbData` may be null; `data` may be
//   empty to ask for the size.
// - RegCreateKeyExA creates missing parents; `disposition` may be null.
// - RegSetValueExA stores `data` as given (for REG_SZ the caller counts the NUL).
// - RegEnumKeyExA: ERROR_SUCCESS and the child's name (NUL-terminated, *cchName
//   its length without the NUL), ERROR_NO_MORE_ITEMS (259) past the last child,
//   ERROR_MORE_DATA when the name does not fit.
// - RegDeleteKeyA refuses (ERROR_ACCESS_DENIED, as Windows does) a key that
//   still has children.
// - Every handle that was opened or created is closed with RegCloseKey.
#pragma once

#include <span>
#include <string_view>

#include "platform/types.h"

namespace tw {

class IRegistry {
 public:
  virtual ~IRegistry() = default;

  virtual LONG RegOpenKeyExA(HKEY key, std::string_view subKey, DWORD options, REGSAM sam,
                             HKEY* result) = 0;
  virtual LONG RegQueryValueExA(HKEY key, std::string_view valueName, DWORD* type,
                                std::span<BYTE> data, DWORD* cbData) = 0;
  virtual LONG RegCreateKeyExA(HKEY key, std::string_view subKey, DWORD reserved,
                               std::string_view className, DWORD options, REGSAM sam,
                               HKEY* result, DWORD* disposition) = 0;
  virtual LONG RegSetValueExA(HKEY key, std::string_view valueName, DWORD reserved, DWORD type,
                              std::span<const BYTE> data) = 0;
  virtual LONG RegEnumKeyExA(HKEY key, DWORD index, std::span<char> name, DWORD* cchName) = 0;
  virtual LONG RegDeleteKeyA(HKEY key, std::string_view subKey) = 0;
  virtual LONG RegCloseKey(HKEY key) = 0;
};

}  // namespace tw
