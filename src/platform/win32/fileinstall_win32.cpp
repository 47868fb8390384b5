#include "platform/win32/fileinstall_win32.h"

#include <windows.h>

#include <string>

namespace tw::win32 {

DWORD Win32FileInstall::VerInstallFileA(DWORD flags, std::string_view srcFileName,
                                        std::string_view destFileName, std::string_view srcDir,
                                        std::string_view destDir, std::string_view curDir,
                                        std::span<char> tmpFile, UINT* tmpFileLen) {
  // The platform wants NUL-terminated strings.
  const std::string src(srcFileName);
  const std::string dest(destFileName);
  const std::string srcFolder(srcDir);
  const std::string destFolder(destDir);
  const std::string curFolder(curDir);
  // Never let the platform write past the caller's buffer.
  ::UINT length = tmpFileLen ? *tmpFileLen : 0;
  if (length > tmpFile.size()) {
    length = static_cast<::UINT>(tmpFile.size());
  }
  const ::DWORD result = ::VerInstallFileA(flags, src.c_str(), dest.c_str(), srcFolder.c_str(),
                                           destFolder.c_str(), curFolder.c_str(),
                                           tmpFile.empty() ? nullptr : tmpFile.data(), &length);
  if (tmpFileLen) {
    *tmpFileLen = length;
  }
  return result;
}

}  // namespace tw::win32
