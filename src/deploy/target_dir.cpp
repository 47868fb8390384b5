// Validating and creating the target folder. The operation works through the
// process's current drive and directory and returns with the target folder
// current, because the payload extraction writes every file by bare name.
#include <cstdint>
#include <string>

#include "install/install_dlg.h"
#include "platform/platform.h"
#include "platform/winconst.h"

namespace tw {

namespace {

constexpr std::uint64_t kRequiredFreeBytes = 500000;

// The drive number the platform's _chdrive expects: the letter upper-cased
// minus 64. Anything that is not a letter stays as it is and so yields a
// number no drive has.
int DriveNumber(char designator) {
  auto c = static_cast<unsigned char>(designator);
  if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
  return static_cast<int>(c) - 64;
}

// Free space available to the caller on `drive` ("D:"), through the newer
// query when the kernel has it and the older one otherwise. False when it
// cannot be measured at all.
bool MeasureFreeSpace(const std::string& drive, bool* enough) {
  HMODULE kernel = Process().LoadLibraryA("Kernel32.dll");
  if (!kernel) return false;
  bool measured = false;
  if (Process().GetProcAddress(kernel, "GetDiskFreeSpaceExA")) {
    std::uint64_t freeToCaller = 0;
    std::uint64_t total = 0;
    std::uint64_t totalFree = 0;
    if (Files().GetDiskFreeSpaceExA(drive, &freeToCaller, &total, &totalFree)) {
      measured = true;
      *enough = freeToCaller >= kRequiredFreeBytes;
    }
  } else {
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    if (Files().GetDiskFreeSpaceA(drive, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                                  nullptr)) {
      measured = true;
      // In 64 bits: the 32-bit product wraps on large drives and would call a
      // roomy drive full.
      const std::uint64_t bytes = std::uint64_t{sectorsPerCluster} * bytesPerSector * freeClusters;
      *enough = bytes >= kRequiredFreeBytes;
    }
  }
  Process().FreeLibrary(kernel);
  return measured;
}

// The first backslash of `text` that is a character of its own: the second
// byte of a double-byte character may have the backslash's value.
std::size_t FindSeparator(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<BYTE>(text[i]);
    if (c == '\\') return i;
    if (Files().IsDBCSLeadByte(c)) ++i;
  }
  return std::string::npos;
}

}  // namespace

int CInstallDlg::CreateTargetDir(std::string targetPath) {
  if (targetPath.size() < 2 || targetPath[1] != ':') {
    ShowError(0, "Please specify a valid disk drive and path");
    return 0;
  }
  const std::string drive = targetPath.substr(0, 2);
  if (Files()._chdrive(DriveNumber(targetPath[0])) != 0) {
    ShowError(0, "Can't access drive " + drive);
    return 0;
  }
  if (targetPath.size() < 3 || targetPath[2] != '\\') {
    ShowError(0, "Please specify a valid disk drive and path");
    return 0;
  }
  Files().SetCurrentDirectoryA("\\");

  bool enough = false;
  if (!MeasureFreeSpace(drive, &enough)) {
    const int answer = MessageBox("Cannot determine the amount of free space on drive " + drive +
                                      "\r\nDo you want to procede with the installation anyway?",
                                  "WARNING", MB_YESNO | MB_ICONQUESTION);
    if (answer == IDNO) return 0;
    enough = true;
  }
  if (!enough) {
    ShowError(0, "Insufficient disk space on drive " + drive);
    return 0;
  }

  // Walk down from the root one name at a time, creating each folder (an
  // existing one is no error) and entering it. An empty name (a doubled or
  // trailing backslash, or the root alone) cannot be entered and ends the walk.
  std::string remainder = targetPath.substr(2) + "\\";
  for (;;) {
    if (!remainder.empty() && remainder.front() == '\\') remainder.erase(0, 1);
    const std::size_t separator = FindSeparator(remainder);
    if (separator == std::string::npos) return 1;
    const std::string name = remainder.substr(0, separator);
    Files().CreateDirectoryA(name);
    if (!Files().SetCurrentDirectoryA(name)) {
      ShowError(0, "Error creating directory " + targetPath);
      return 0;
    }
    remainder.erase(0, separator);
  }
}

}  // namespace tw
