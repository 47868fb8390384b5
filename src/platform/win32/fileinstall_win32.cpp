#include "platform/win32/fileinstall_win32.h"

#include <windows.h>

#include <string>

namespace tw::win32 {

DWORD Win32FileInstall::VerInstallFileA(DWORD flags, std::string_view srcFileName,
                                        std::string_view destFileName, std::string_view srcDir,
                                        std::string_view destDir, std::string_view curDir,
                                        std::span<char> tmpFile, UINT* tmpFileLen) {
  // The platform wants NUL-terminated strings, declared writable (it does not
  // write them).
  std::string src(srcFileName);
  std::string dest(destFileName);
  std::string srcFolder(srcDir);
  std::string destFolder(destDir);
  std::string curFolder(curDir);
  // Never let the platform write past the caller's buffer.
  ::UINT length = tmpFileLen ? *tmpFileLen : 0;
  if (length > tmpFile.size()) {
    length = static_cast<::UINT>(tmpFile.size());
  }
  const ::DWORD result = ::VerInstallFileA(flags, src.data(), dest.data(), srcFolder.data(),
                                           destFolder.data(), curFolder.data(),
                                           tmpFile.empty() ? nullptr : tmpFile.data(), &length);
  if (tmpFileLen) {
    *tmpFileLen = length;
  }
  return result;
}

}  // namespace tw::win32
