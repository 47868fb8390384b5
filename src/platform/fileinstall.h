// File-installation service: VerInstallFileA's forced install of an SZDD file.
//
// VerInstallFileA(VIFF_FORCEINSTALL, "XK.MSZ", "XK.XXX", dir, dir, dir, tmp,
// tmpLen) expands dir\XK.MSZ into dir\XK.XXX, replacing a file of that name.
// Result 0 on success, VIF_* failure bits otherwise. The posix backend fails
// (never crashes, never leaves a partial destination) on a bad header, a mode
// other than 'A' or data that ends before the stored length; the platform's own
// service may instead copy a file without the magic as it is.
#pragma once

#include <span>
#include <string_view>

#include "platform/types.h"

namespace tw {

class IFileInstall {
 public:
  virtual ~IFileInstall() = default;
  virtual DWORD VerInstallFileA(DWORD flags, std::string_view srcFileName,
                                std::string_view destFileName, std::string_view srcDir,
                                std::string_view destDir, std::string_view curDir,
                                std::span<char> tmpFile, UINT* tmpFileLen) = 0;
};

}  // namespace tw
