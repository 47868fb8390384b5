// HKEY_LOCAL_MACHINE as one REGEDIT4 text file: the in-memory tree, the parser
// and the writer. No I/O here; PosixRegistry reads and replaces the file.
//
// The writer emits what regedit imports: "REGEDIT4" CRLF, a blank line, then one
// [HKEY_LOCAL_MACHINE\...] block per key (every key, so empty keys survive),
// "@=" for the default value, quoted text for a REG_SZ that ends in its only NUL,
// dword:xxxxxxxx for a four-byte REG_DWORD and hex:/hex(N): for everything else,
// so every value comes back byte for byte.
//
// The parser accepts what importers accept (CRLF, LF or CR line ends, blank
// lines, ';' and '#' comment lines, trailing comments, ",\" continuation lines,
// "[-key]" and "name"=- deletions) and refuses anything else with the line
// number, because a file we cannot read completely must never be rewritten.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"

namespace tw::posix {

// Registry names compare without regard to (ASCII) case.
bool NameEquals(std::string_view a, std::string_view b);
struct NameLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

struct RegValue {
  std::string name;  // "" is the default value
  DWORD type = 0;
  std::vector<BYTE> data;
};

struct RegKey {
  std::string name;  // as created; the root's is empty
  std::vector<RegValue> values;  // in the order they were first set
  std::map<std::string, std::unique_ptr<RegKey>, NameLess> children;  // sorted, as enumerated

  RegKey* FindChild(std::string_view child) const;
  // The child, created when missing (`created` tells which).
  RegKey& AddChild(std::string_view child, bool* created = nullptr);
  RegValue* FindValue(std::string_view value);
  const RegValue* FindValue(std::string_view value) const;
  void SetValue(std::string_view value, DWORD type, std::vector<BYTE> data);
  bool DeleteValue(std::string_view value);
};

struct RegFileError {
  int line = 0;  // 1-based; 0 when the fault is not on one line
  std::string what;
};

// Parses `text` into `root` (which is cleared first). False and `error` when the
// text is not a REGEDIT4 file this store can keep.
bool ParseRegFile(std::string_view text, RegKey& root, RegFileError& error);

// The whole tree as a REGEDIT4 file.
std::string WriteRegFile(const RegKey& root);

// The longest name of one key and of one value that the store accepts.
inline constexpr std::size_t kMaxKeyNameLength = 256;
inline constexpr std::size_t kMaxValueNameLength = 16383;

}  // namespace tw::posix
