// The test machine: a gtest fixture that gives each test a machine with its
// services installed as the current Platform, and decorators that inject one
// fault into a service.
//
// Natively each test gets a fresh prefix in a temporary folder, with D: and E:
// mapped to fresh temporary folders and Q: mapped nowhere. Under Wine it is
// the real machine: the test runner maps D: and E: to scratch folders (links in
// $WINEPREFIX/dosdevices) and leaves Q: unmapped. Either way each test gets its
// own empty folders D:\t<unique> and E:\t<unique>, removed after the test, and
// the current drive and directory, COM and the previous Platform are restored.
//
//   class InstallTest : public tw::test::MachineTest {};
//   TEST_F(InstallTest, RefusedRename) {
//     auto& files = Decorate<tw::test::FaultyFiles>(&tw::Platform::files);
//     files.refuseMove = true;
//     ... tw::Files().MoveFileA(ScratchD() + "\\a", ScratchD() + "\\b") fails ...
//   }
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace tw::posix {
class Machine;
}

namespace tw::test {

class MachineTest : public ::testing::Test {
 protected:
  MachineTest();
  ~MachineTest() override;
  void SetUp() override;
  void TearDown() override;

  Platform& platform() { return platform_; }

  // This test's empty scratch folders, "D:\\t<unique>" and "E:\\t<unique>".
  const std::string& ScratchD() const { return scratchD_; }
  const std::string& ScratchE() const { return scratchE_; }
  // A drive letter that maps nowhere.
  static constexpr char kUnmappedDrive = 'Q';

  // Replaces one service of the installed platform with decorator D around
  // it and returns the decorator, which stays valid for the test:
  //   auto& shell = Decorate<FaultyShell>(&Platform::shell);
  template <typename D, typename S>
  D& Decorate(std::unique_ptr<S> Platform::*slot) {
    auto decorator = std::make_unique<D>(std::move(platform_.*slot));
    D& ref = *decorator;
    platform_.*slot = std::move(decorator);
    return ref;
  }

  // The bytes of a file, read past the services (nullopt when it cannot be
  // read), so a test can check what a service wrote.
  std::optional<std::string> ReadFileBytes(const std::string& windowsPath) const;

  // The posix machine under the platform; null under Wine.
  std::shared_ptr<posix::Machine> PosixMachine() const;

 private:
  struct Backend;  // what each backend keeps for the test
  std::unique_ptr<Backend> backend_;
  Platform platform_;
  Platform* previous_ = nullptr;
  bool installed_ = false;
  std::string scratchD_;
  std::string scratchE_;
};

// Files and drives with faults: a chosen free-space figure or a failing
// free-space query, a refused rename, a refused or shortened "wb" file.
// Everything else is forwarded. After a fault GetLastError gives its code
// until the next forwarded call.
class FaultyFiles final : public IFiles {
 public:
  explicit FaultyFiles(std::unique_ptr<IFiles> inner) : inner_(std::move(inner)) {}

  // GetDiskFreeSpaceExA's free bytes for the caller. The older query then
  // reports one-byte sectors, one sector a cluster and this many clusters
  // (capped at 0xFFFFFFFF).
  std::optional<std::uint64_t> freeSpace;
  bool failFreeSpaceEx = false;  // GetDiskFreeSpaceExA fails
  bool failFreeSpace = false;    // GetDiskFreeSpaceA fails
  bool refuseMove = false;       // MoveFileA fails with ERROR_ACCESS_DENIED
  bool refuseOpenWrite = false;  // fopen_wb gives null
  // Total bytes each file from fopen_wb accepts before its writes come up
  // short.
  std::optional<std::size_t> writeLimit;
  // The lead bytes of a double-byte code page in place of the machine's own.
  std::optional<std::set<BYTE>> leadBytes;

  int freeSpaceExCalls = 0;
  int freeSpaceCalls = 0;

  int _getdrive() override;
  int _chdrive(int drive) override;
  DWORD GetCurrentDirectoryA(std::span<char> buffer) override;
  BOOL SetCurrentDirectoryA(std::string_view path) override;
  BOOL CreateDirectoryA(std::string_view path) override;
  BOOL RemoveDirectoryA(std::string_view path) override;
  HANDLE FindFirstFileA(std::string_view pattern, WIN32_FIND_DATAA* data) override;
  BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) override;
  BOOL FindClose(HANDLE find) override;
  BOOL DeleteFileA(std::string_view path) override;
  BOOL MoveFileA(std::string_view from, std::string_view to) override;
  BOOL SetFileAttributesA(std::string_view path, DWORD attributes) override;
  DWORD GetFileAttributesA(std::string_view path) override;
  std::unique_ptr<IOutFile> fopen_wb(std::string_view path) override;
  HANDLE CreateFileA(std::string_view path, DWORD access, DWORD shareMode, DWORD creation,
                     DWORD attributes) override;
  BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                   const FILETIME* lastWrite) override;
  BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess,
                   FILETIME* lastWrite) override;
  BOOL CloseHandle(HANDLE handle) override;
  BOOL GetDiskFreeSpaceExA(std::string_view root, std::uint64_t* freeToCaller, std::uint64_t* total,
                           std::uint64_t* totalFree) override;
  BOOL GetDiskFreeSpaceA(std::string_view root, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                         DWORD* freeClusters, DWORD* totalClusters) override;
  UINT GetWindowsDirectoryA(std::span<char> buffer) override;
  DWORD GetLastError() override;
  int MultiByteToWideChar(UINT codePage, DWORD flags, std::string_view text,
                          std::span<WCHAR> out) override;
  BOOL IsDBCSLeadByte(BYTE c) override;

 private:
  IFiles& Forward() {
    faultError_.reset();
    return *inner_;
  }
  BOOL Fault(DWORD code) {
    faultError_ = code;
    return 0;
  }
  std::unique_ptr<IFiles> inner_;
  std::optional<DWORD> faultError_;
};

// The shell with faults: CoInitialize's result, failing special folders, an
// item list without a path, a failing CoCreateInstance.
class FaultyShell final : public IShell {
 public:
  explicit FaultyShell(std::unique_ptr<IShell> inner) : inner_(std::move(inner)) {}

  // CoInitialize still initialises COM through the wrapped shell (so COM is
  // as the program left it), then returns this.
  std::optional<HRESULT> coInitializeResult;
  std::set<int> failingFolders;  // CSIDLs whose lookup fails with E_FAIL
  void FailAllFolders() { failAllFolders_ = true; }
  bool failPathFromList = false;  // SHGetPathFromIDListA returns 0
  std::optional<HRESULT> coCreateInstanceResult;

  int coInitializeCalls = 0;

  HRESULT CoInitialize(void* reserved) override;
  HRESULT SHGetSpecialFolderLocation(HWND owner, int csidl, ItemIdListPtr* out) override;
  BOOL SHGetPathFromIDListA(const ItemIdList* list, std::span<char> buffer) override;
  HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context, const IID& iid,
                           void** out) override;
  INT_PTR ShellExecuteA(HWND owner, std::string_view verb, std::string_view file,
                        std::string_view parameters, std::string_view directory,
                        int showCmd) override;

 private:
  std::unique_ptr<IShell> inner_;
  bool failAllFolders_ = false;
};

// Processes with faults: libraries that do not load, entry points that are
// missing. Names of libraries compare without case and without ".dll".
class FaultyProcess final : public IProcess {
 public:
  explicit FaultyProcess(std::unique_ptr<IProcess> inner) : inner_(std::move(inner)) {}

  void FailLibrary(std::string_view name);     // LoadLibraryA gives null
  void HideProc(std::string_view name) { hiddenProcs_.emplace(name); }  // GetProcAddress null

  int loadCalls = 0;  // successful LoadLibraryA
  int freeCalls = 0;  // successful FreeLibrary

  HANDLE CreateMutexA(BOOL initialOwner, std::string_view name) override;
  BOOL ReleaseMutex(HANDLE mutex) override;
  BOOL CloseHandle(HANDLE handle) override;
  DWORD GetLastError() override;
  HWND FindWindowA(std::string_view className, std::string_view title) override;
  BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  HMODULE LoadLibraryA(std::string_view name) override;
  FARPROC GetProcAddress(HMODULE module, std::string_view name) override;
  BOOL FreeLibrary(HMODULE module) override;
  [[noreturn]] void ExitProcess(UINT code) override;

 private:
  std::unique_ptr<IProcess> inner_;
  std::set<std::string> failingLibraries_;
  std::set<std::string> hiddenProcs_;
  std::optional<DWORD> faultError_;
};

}  // namespace tw::test
