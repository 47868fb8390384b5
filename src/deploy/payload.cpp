// Turning one payload resource into an installed file: the compressed bytes go
// to "XK.MSZ", the file-installation service expands them to "XK.XXX", which
// replaces the final name and gets the release's fixed timestamp.
#include "deploy/payload.h"

#include <array>
#include <span>
#include <string>

#include "install/install_dlg.h"
#include "platform/platform.h"
#include "platform/winconst.h"

namespace tw {

namespace {

constexpr std::string_view kCompressedTemp = "XK.MSZ";
constexpr std::string_view kExpandedTemp = "XK.XXX";

void RemoveTemporary(std::string_view name) {
  Files().SetFileAttributesA(name, FILE_ATTRIBUTE_NORMAL);
  Files().DeleteFileA(name);
}

// 2007-03-10 02:11:02.000 local time, converted with the bias in force now.
void StampReleaseTime(HANDLE file) {
  SYSTEMTIME time;
  Time().GetLocalTime(&time);
  time.wYear = 2007;
  time.wMonth = 3;
  time.wDay = 10;
  time.wHour = 2;
  time.wMinute = 11;
  time.wSecond = 2;
  time.wMilliseconds = 0;
  FILETIME local;
  FILETIME utc;
  Time().SystemTimeToFileTime(&time, &local);
  Time().LocalFileTimeToFileTime(&local, &utc);
  Files().SetFileTime(file, &utc, &utc, &utc);
}

}  // namespace

int CInstallDlg::InstallPayloadFile(int resourceId, std::string finalName) {
  std::array<char, MAX_PATH> currentDir{};
  const DWORD length = Files().GetCurrentDirectoryA(currentDir);
  if (length == 0 || length >= currentDir.size()) {
    ShowError(0, "Can't retrieve current directory");
    return 0;
  }
  const std::string_view folder(currentDir.data(), length);

  const HRSRC resource =
      Resources().FindResourceA(nullptr, static_cast<WORD>(resourceId & 0xFFFF), kPayloadResourceType);
  const HGLOBAL loaded = resource ? Resources().LoadResource(nullptr, resource) : nullptr;
  if (!loaded) {
    ShowError(0, "Setup file appears to be corrupted!");
    return 0;
  }
  const DWORD size = Resources().SizeofResource(nullptr, resource);
  const auto* bytes = static_cast<const BYTE*>(Resources().LockResource(loaded));
  if (!bytes || size == 0) {
    ShowError(0, "Setup file is corrupted!");
    return 0;
  }

  auto out = Files().fopen_wb(kCompressedTemp);
  if (!out) {
    ShowError(0, "Can't overwrite temporary file \"XK.MSZ\"");
    return 0;
  }
  if (out->fwrite(std::span<const BYTE>(bytes, size)) < size) {
    out->fclose();
    ShowError(0, "Insufficient space, or disk error");
    return 0;
  }
  out->fclose();

  // A leftover expansion from an earlier run must never be taken for this one.
  RemoveTemporary(kExpandedTemp);

  std::array<char, MAX_PATH> tempName{};
  UINT tempNameLength = static_cast<UINT>(tempName.size());
  const DWORD expanded =
      FileInstall().VerInstallFileA(VIFF_FORCEINSTALL, kCompressedTemp, kExpandedTemp, folder,
                                    folder, folder, tempName, &tempNameLength);
  if (expanded != 0) {
    // Nothing usable came out: keep whatever the user had under the final name
    // and leave no temporary file behind.
    ShowError(0, "Can't expand installation file " + finalName);
    RemoveTemporary(kCompressedTemp);
    RemoveTemporary(kExpandedTemp);
    return 0;
  }

  Files().DeleteFileA(kCompressedTemp);
  Files().SetFileAttributesA(finalName, FILE_ATTRIBUTE_NORMAL);
  Files().DeleteFileA(finalName);
  if (!Files().MoveFileA(kExpandedTemp, finalName)) {
    ShowError(0, "Can't rename installation file " + finalName);
    return 0;
  }

  const HANDLE file = Files().CreateFileA(finalName, GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  if (file == INVALID_HANDLE_VALUE || file == nullptr) return 1;
  StampReleaseTime(file);
  Files().CloseHandle(file);
  return 1;
}

}  // namespace tw
