// The registry of a posix prefix: HKEY_LOCAL_MACHINE kept in one REGEDIT4 file.
//
// Every change is a read-modify-write of the whole file under an exclusive
// flock on "<file>.lock" beside it: a new file is written in the same folder,
// flushed, synced and renamed over the old one, so readers (which take no lock)
// always see a complete file, and two registries (or processes) on one file see
// each other's changes at their next call. A missing file is an empty registry;
// a file that cannot be parsed makes every call fail with ERROR_BADDB, is
// reported once on stderr with its name and line, and is never rewritten.
//
// Results follow Windows (as Wine 8 gives them): access masks are checked for
// query (KEY_QUERY_VALUE), set (KEY_SET_VALUE) and enumeration
// (KEY_ENUMERATE_SUB_KEYS); a handle whose key was deleted answers
// ERROR_KEY_DELETED until it is closed; a sub-key path longer than 260
// characters gives ERROR_MORE_DATA, a key name longer than 256 characters
// ERROR_INVALID_PARAMETER and a path starting with '\' ERROR_BAD_PATHNAME.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/posix/regfile.h"
#include "platform/registry.h"

namespace tw::posix {

class PosixRegistry final : public IRegistry {
 public:
  explicit PosixRegistry(std::filesystem::path file);
  ~PosixRegistry() override;
  PosixRegistry(const PosixRegistry&) = delete;
  PosixRegistry& operator=(const PosixRegistry&) = delete;

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

  const std::filesystem::path& File() const { return file_; }

 private:
  using KeyPath = std::vector<std::string>;
  struct Handle {
    KeyPath path;  // from HKEY_LOCAL_MACHINE, in the key's own case
    REGSAM sam = 0;
    bool deleted = false;
  };

  // The handle's key path and access, or the error for a bad or stale handle.
  LONG Lookup(HKEY key, KeyPath& path, REGSAM& sam) const;
  HKEY NewHandle(KeyPath path, REGSAM sam);
  // Brings tree_ up to date with the file. 0, or the error to return.
  LONG Load();
  // Runs `change` on an up-to-date tree under the file lock and writes the
  // result when it changed the file. `change` returns 0 or an error; on an
  // error nothing is written.
  template <typename Change>
  LONG Modify(Change&& change);
  LONG ReadFile(std::string& bytes, bool& exists);
  LONG ParseInto(const std::string& bytes, bool exists);
  LONG WriteFile(const std::string& bytes);
  void Report(const std::string& message);
  RegKey* Find(const KeyPath& path);

  std::filesystem::path file_;
  std::filesystem::path lock_;
  std::mutex mutex_;
  std::map<std::uintptr_t, Handle> handles_;
  std::uintptr_t nextHandle_ = 0x100;
  RegKey tree_;
  std::string loaded_;       // the bytes tree_ was parsed from
  bool loadedValid_ = false;  // tree_ matches loaded_ (and loaded_ parsed)
  bool loadedExists_ = false;
  std::string lastReport_;
};

}  // namespace tw::posix
