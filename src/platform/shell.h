// Shell service: COM initialisation, special folders, item-id lists, the COM
// shell-link object and ShellExecute. The folder browser belongs to the dialog
// host (ui.h), because it is a window.
//
// Contract:
// - CoInitialize: S_OK the first time on a thread, S_FALSE after.
// - SHGetSpecialFolderLocation(CSIDL_PROGRAMS or CSIDL_DESKTOP): S_OK and an
//   item-id list; SHGetPathFromIDListA writes the folder's file-system path
//   (never ending in a backslash, except a drive root) and a NUL into a 260-byte
//   buffer and returns non-zero, or returns 0 when the list has no file-system
//   path or the path does not fit.
// - CoCreateInstance(CLSID_ShellLink, ..., IID_IShellLinkA): S_OK and a link
//   object whose QueryInterface(IID_IPersistFile) gives the saver. Save writes
//   the .lnk file at the given full path (overwriting one that is there) and
//   returns S_OK, or a failure HRESULT when the folder does not exist or the
//   platform refuses the name; a half-written file is never left behind.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/types.h"

namespace tw {

// An item-id list, owned by whoever received it.
class ItemIdList {
 public:
  virtual ~ItemIdList() = default;
  // The file-system path with a NUL, or 0 when there is none or it does not fit.
  virtual BOOL GetPath(std::span<char> buffer) const = 0;
};
using ItemIdListPtr = std::unique_ptr<ItemIdList>;

// An item-id list that stands for a plain path (used by hosts without a shell).
class PathItemIdList final : public ItemIdList {
 public:
  // hasPath false: a virtual folder with no file-system path.
  explicit PathItemIdList(std::string path, bool hasPath = true)
      : path_(std::move(path)), hasPath_(hasPath) {}
  BOOL GetPath(std::span<char> buffer) const override {
    if (!hasPath_ || path_.size() + 1 > buffer.size()) return 0;
    path_.copy(buffer.data(), path_.size());
    buffer[path_.size()] = '\0';
    return 1;
  }

 private:
  std::string path_;
  bool hasPath_;
};

// COM interfaces, reduced to what the installer calls. Lifetime by reference
// count, as in COM: Release the last reference and the object is gone.
class IUnknown {
 public:
  virtual HRESULT QueryInterface(const IID& iid, void** out) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

class IShellLinkA : public IUnknown {
 public:
  virtual HRESULT SetDescription(std::string_view text) = 0;
  virtual HRESULT SetIconLocation(std::string_view path, int index) = 0;
  virtual HRESULT SetPath(std::string_view path) = 0;
  virtual HRESULT SetWorkingDirectory(std::string_view path) = 0;
  virtual HRESULT SetShowCmd(int showCmd) = 0;

 protected:
  ~IShellLinkA() = default;
};

class IPersistFile : public IUnknown {
 public:
  // `path` is NUL-terminated.
  virtual HRESULT Save(const WCHAR* path, BOOL remember) = 0;

 protected:
  ~IPersistFile() = default;
};

inline constexpr CLSID CLSID_ShellLink = {0x00021401, 0x0000, 0x0000,
                                          {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IShellLinkA = {0x000214EE, 0x0000, 0x0000,
                                        {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IPersistFile = {0x0000010B, 0x0000, 0x0000,
                                         {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000,
                                     {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class IShell {
 public:
  virtual ~IShell() = default;

  virtual HRESULT CoInitialize(void* reserved) = 0;
  virtual HRESULT SHGetSpecialFolderLocation(HWND owner, int csidl, ItemIdListPtr* out) = 0;
  virtual BOOL SHGetPathFromIDListA(const ItemIdList* list, std::span<char> buffer) = 0;
  virtual HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context,
                                   const IID& iid, void** out) = 0;
  // Result > 32 on success, as the platform's.
  virtual INT_PTR ShellExecuteA(HWND owner, std::string_view verb, std::string_view file,
                                std::string_view parameters, std::string_view directory,
                                int showCmd) = 0;
};

}  // namespace tw
