// The test machine under Wine: the real machine, with the runner's scratch
// drives D: and E:.
#include <windows.h>

#include <atomic>
#include <string>

#include "platform/backend.h"
#include "platform/win32/shell_win32.h"
#include "support/machine.h"

namespace tw::test {

namespace {

bool IsFolder(const std::string& path) {
  ::DWORD a = ::GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Removes a folder and everything in it, read-only files included.
void RemoveTree(const std::string& folder) {
  ::WIN32_FIND_DATAA data;
  ::HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        ::DeleteFileA(path.c_str());
      }
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
  }
  ::RemoveDirectoryA(folder.c_str());
}

}  // namespace

struct MachineTest::Backend {
  std::string savedDirectory;
};

MachineTest::MachineTest() = default;
MachineTest::~MachineTest() = default;

void MachineTest::SetUp() {
  backend_ = std::make_unique<Backend>();
  char current[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, current);
  backend_->savedDirectory = current;
  for (const char* drive : {"D:\\", "E:\\"}) {
    ASSERT_TRUE(IsFolder(drive)) << drive
                                 << " is missing: the test runner maps D: and E: to scratch "
                                    "folders ($WINEPREFIX/dosdevices/d: and e:)";
  }
  ASSERT_FALSE(IsFolder("Q:\\")) << "Q: must map nowhere";
  static std::atomic<int> counter{0};
  // Appended piece by piece: GCC 12 warns wrongly (-Wrestrict) about
  // operator+ on a literal and a temporary here.
  std::string unique = "t";
  unique.append(std::to_string(::GetCurrentProcessId())).append("_").append(std::to_string(++counter));
  scratchD_.assign("D:\\").append(unique);
  scratchE_.assign("E:\\").append(unique);
  RemoveTree(scratchD_);
  RemoveTree(scratchE_);
  ASSERT_TRUE(::CreateDirectoryA(scratchD_.c_str(), nullptr)) << scratchD_;
  ASSERT_TRUE(::CreateDirectoryA(scratchE_.c_str(), nullptr)) << scratchE_;
  win32::Win32Shell::UninitializeCom();
  platform_ = MakeSystemPlatform();
  previous_ = InstallPlatform(&platform_);
  installed_ = true;
}

void MachineTest::TearDown() {
  if (installed_) InstallPlatform(previous_);
  installed_ = false;
  platform_ = Platform();
  win32::Win32Shell::UninitializeCom();
  if (backend_) {
    // Leave the scratch folders before removing them, and forget what each
    // drive remembered.
    ::SetCurrentDirectoryA(backend_->savedDirectory.c_str());
    for (const char* name : {"=C:", "=D:", "=E:"}) ::SetEnvironmentVariableA(name, nullptr);
  }
  if (!scratchD_.empty()) RemoveTree(scratchD_);
  if (!scratchE_.empty()) RemoveTree(scratchE_);
  backend_.reset();
}

std::optional<std::string> MachineTest::ReadFileBytes(const std::string& windowsPath) const {
  ::HANDLE file = ::CreateFileA(windowsPath.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char chunk[65536];
  ::DWORD got = 0;
  bool ok = true;
  while ((ok = ::ReadFile(file, chunk, sizeof chunk, &got, nullptr)) && got > 0) {
    bytes.append(chunk, got);
  }
  ::CloseHandle(file);
  if (!ok) return std::nullopt;
  return bytes;
}

std::shared_ptr<posix::Machine> MachineTest::PosixMachine() const { return nullptr; }

}  // namespace tw::test
