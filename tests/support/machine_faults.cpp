#include <algorithm>
#include <cstdlib>

#include "support/machine.h"
#include "platform/winconst.h"

namespace tw::test {

namespace {

constexpr DWORD kErrorNotReady = 21;
constexpr DWORD kErrorModNotFound = 126;
constexpr DWORD kErrorProcNotFound = 127;

std::string LibraryKey(std::string_view name) {
  std::string key;
  for (char c : name) key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c;
  if (key.size() > 4 && key.compare(key.size() - 4, 4, ".dll") == 0) key.resize(key.size() - 4);
  return key;
}

// A "wb" file that accepts a limited number of bytes in all.
class ShortOutFile final : public IOutFile {
 public:
  ShortOutFile(std::unique_ptr<IOutFile> inner, std::size_t limit)
      : inner_(std::move(inner)), left_(limit) {}
  std::size_t fwrite(std::span<const BYTE> data) override {
    std::size_t n = std::min(data.size(), left_);
    std::size_t written = n ? inner_->fwrite(data.first(n)) : 0;
    left_ -= written;
    return written;
  }
  int fclose() override { return inner_->fclose(); }

 private:
  std::unique_ptr<IOutFile> inner_;
  std::size_t left_;
};

}  // namespace

// --- FaultyFiles --------------------------------------------------------------

int FaultyFiles::_getdrive() { return Forward()._getdrive(); }
int FaultyFiles::_chdrive(int drive) { return Forward()._chdrive(drive); }
DWORD FaultyFiles::GetCurrentDirectoryA(std::span<char> buffer) {
  return Forward().GetCurrentDirectoryA(buffer);
}
BOOL FaultyFiles::SetCurrentDirectoryA(std::string_view path) {
  return Forward().SetCurrentDirectoryA(path);
}
BOOL FaultyFiles::CreateDirectoryA(std::string_view path) { return Forward().CreateDirectoryA(path); }
BOOL FaultyFiles::RemoveDirectoryA(std::string_view path) { return Forward().RemoveDirectoryA(path); }
HANDLE FaultyFiles::FindFirstFileA(std::string_view pattern, WIN32_FIND_DATAA* data) {
  return Forward().FindFirstFileA(pattern, data);
}
BOOL FaultyFiles::FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) {
  return Forward().FindNextFileA(find, data);
}
BOOL FaultyFiles::FindClose(HANDLE find) { return Forward().FindClose(find); }
BOOL FaultyFiles::DeleteFileA(std::string_view path) { return Forward().DeleteFileA(path); }

BOOL FaultyFiles::MoveFileA(std::string_view from, std::string_view to) {
  if (refuseMove) return Fault(ERROR_ACCESS_DENIED);
  return Forward().MoveFileA(from, to);
}

BOOL FaultyFiles::SetFileAttributesA(std::string_view path, DWORD attributes) {
  return Forward().SetFileAttributesA(path, attributes);
}
DWORD FaultyFiles::GetFileAttributesA(std::string_view path) {
  return Forward().GetFileAttributesA(path);
}

std::unique_ptr<IOutFile> FaultyFiles::fopen_wb(std::string_view path) {
  if (refuseOpenWrite) {
    Fault(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  auto file = Forward().fopen_wb(path);
  if (file && writeLimit) return std::make_unique<ShortOutFile>(std::move(file), *writeLimit);
  return file;
}

HANDLE FaultyFiles::CreateFileA(std::string_view path, DWORD access, DWORD shareMode,
                                DWORD creation, DWORD attributes) {
  return Forward().CreateFileA(path, access, shareMode, creation, attributes);
}
BOOL FaultyFiles::SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                              const FILETIME* lastWrite) {
  return Forward().SetFileTime(file, creation, lastAccess, lastWrite);
}
BOOL FaultyFiles::GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess,
                              FILETIME* lastWrite) {
  return Forward().GetFileTime(file, creation, lastAccess, lastWrite);
}
BOOL FaultyFiles::CloseHandle(HANDLE handle) { return Forward().CloseHandle(handle); }

BOOL FaultyFiles::GetDiskFreeSpaceExA(std::string_view root, std::uint64_t* freeToCaller,
                                      std::uint64_t* total, std::uint64_t* totalFree) {
  ++freeSpaceExCalls;
  if (failFreeSpaceEx) return Fault(kErrorNotReady);
  BOOL ok = Forward().GetDiskFreeSpaceExA(root, freeToCaller, total, totalFree);
  if (ok && freeSpace && freeToCaller) *freeToCaller = *freeSpace;
  return ok;
}

BOOL FaultyFiles::GetDiskFreeSpaceA(std::string_view root, DWORD* sectorsPerCluster,
                                    DWORD* bytesPerSector, DWORD* freeClusters,
                                    DWORD* totalClusters) {
  ++freeSpaceCalls;
  if (failFreeSpace) return Fault(kErrorNotReady);
  BOOL ok = Forward().GetDiskFreeSpaceA(root, sectorsPerCluster, bytesPerSector, freeClusters,
                                        totalClusters);
  if (ok && freeSpace) {
    if (sectorsPerCluster) *sectorsPerCluster = 1;
    if (bytesPerSector) *bytesPerSector = 1;
    if (freeClusters) {
      *freeClusters = static_cast<DWORD>(std::min<std::uint64_t>(*freeSpace, 0xFFFFFFFFu));
    }
  }
  return ok;
}

UINT FaultyFiles::GetWindowsDirectoryA(std::span<char> buffer) {
  return Forward().GetWindowsDirectoryA(buffer);
}

DWORD FaultyFiles::GetLastError() { return faultError_ ? *faultError_ : inner_->GetLastError(); }

int FaultyFiles::MultiByteToWideChar(UINT codePage, DWORD flags, std::string_view text,
                                     std::span<WCHAR> out) {
  return Forward().MultiByteToWideChar(codePage, flags, text, out);
}

BOOL FaultyFiles::IsDBCSLeadByte(BYTE c) {
  if (leadBytes) return leadBytes->count(c) ? 1 : 0;
  return Forward().IsDBCSLeadByte(c);
}

// --- FaultyShell ----------------------------------------------------------------

HRESULT FaultyShell::CoInitialize(void* reserved) {
  ++coInitializeCalls;
  HRESULT real = inner_->CoInitialize(reserved);
  return coInitializeResult ? *coInitializeResult : real;
}

HRESULT FaultyShell::SHGetSpecialFolderLocation(HWND owner, int csidl, ItemIdListPtr* out) {
  if (failAllFolders_ || failingFolders.count(csidl)) {
    if (out) out->reset();
    return E_FAIL;
  }
  return inner_->SHGetSpecialFolderLocation(owner, csidl, out);
}

BOOL FaultyShell::SHGetPathFromIDListA(const ItemIdList* list, std::span<char> buffer) {
  if (failPathFromList) return 0;
  return inner_->SHGetPathFromIDListA(list, buffer);
}

HRESULT FaultyShell::CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context,
                                      const IID& iid, void** out) {
  if (coCreateInstanceResult) {
    if (out) *out = nullptr;
    return *coCreateInstanceResult;
  }
  return inner_->CoCreateInstance(clsid, outer, context, iid, out);
}

INT_PTR FaultyShell::ShellExecuteA(HWND owner, std::string_view verb, std::string_view file,
                                   std::string_view parameters, std::string_view directory,
                                   int showCmd) {
  return inner_->ShellExecuteA(owner, verb, file, parameters, directory, showCmd);
}

// --- FaultyProcess --------------------------------------------------------------

void FaultyProcess::FailLibrary(std::string_view name) { failingLibraries_.insert(LibraryKey(name)); }

HANDLE FaultyProcess::CreateMutexA(BOOL initialOwner, std::string_view name) {
  faultError_.reset();
  return inner_->CreateMutexA(initialOwner, name);
}
BOOL FaultyProcess::ReleaseMutex(HANDLE mutex) {
  faultError_.reset();
  return inner_->ReleaseMutex(mutex);
}
BOOL FaultyProcess::CloseHandle(HANDLE handle) {
  faultError_.reset();
  return inner_->CloseHandle(handle);
}
DWORD FaultyProcess::GetLastError() { return faultError_ ? *faultError_ : inner_->GetLastError(); }
HWND FaultyProcess::FindWindowA(std::string_view className, std::string_view title) {
  faultError_.reset();
  return inner_->FindWindowA(className, title);
}
BOOL FaultyProcess::PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  faultError_.reset();
  return inner_->PostMessageA(window, message, wParam, lParam);
}

HMODULE FaultyProcess::LoadLibraryA(std::string_view name) {
  if (failingLibraries_.count(LibraryKey(name))) {
    faultError_ = kErrorModNotFound;
    return nullptr;
  }
  faultError_.reset();
  HMODULE module = inner_->LoadLibraryA(name);
  if (module) ++loadCalls;
  return module;
}

FARPROC FaultyProcess::GetProcAddress(HMODULE module, std::string_view name) {
  if (hiddenProcs_.count(std::string(name))) {
    faultError_ = kErrorProcNotFound;
    return nullptr;
  }
  faultError_.reset();
  return inner_->GetProcAddress(module, name);
}

BOOL FaultyProcess::FreeLibrary(HMODULE module) {
  faultError_.reset();
  BOOL ok = inner_->FreeLibrary(module);
  if (ok) ++freeCalls;
  return ok;
}

void FaultyProcess::ExitProcess(UINT code) {
  inner_->ExitProcess(code);
  std::abort();  // unreachable unless the wrapped service broke its promise
}

}  // namespace tw::test
