// The platform's own file-installation service (VERSION.DLL).
#pragma once

#include "platform/fileinstall.h"

namespace tw::win32 {

// Forwards to VerInstallFileA. A source without the SZDD magic is copied as it
// is by the platform (the posix service refuses it).
class Win32FileInstall : public IFileInstall {
 public:
  DWORD VerInstallFileA(DWORD flags, std::string_view srcFileName, std::string_view destFileName,
                        std::string_view srcDir, std::string_view destDir, std::string_view curDir,
                        std::span<char> tmpFile, UINT* tmpFileLen) override;
};

}  // namespace tw::win32
