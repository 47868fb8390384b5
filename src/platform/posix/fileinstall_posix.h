// The posix file-installation service: a forced install that expands an SZDD
// file into the destination folder of the prefix.
#pragma once

#include <memory>

#include "platform/fileinstall.h"
#include "platform/posix/machine.h"

namespace tw::posix {

// VerInstallFileA resolves srcDir\src and destDir\dest through the machine
// (relative folders against its current directories), expands the source,
// writes the result to a temporary file beside the destination, flushes it to
// disk and renames it over the destination. Result 0, or:
//   VIF_CANNOTREADSRC  the source is missing, unreadable, not SZDD, of a mode
//                      other than 'A', or its data ends before its length
//   VIF_CANNOTCREATE   the temporary file cannot be created or written
//   VIF_OUTOFSPACE     the disk (or quota) is full
//   VIF_CANNOTRENAME   the temporary file cannot replace the destination
// A failure never leaves a file under the destination name that was not
// there before, and never a temporary file. Versions are not compared: every
// install is forced. The temporary-name buffer and its length are left alone.
class PosixFileInstall : public IFileInstall {
 public:
  explicit PosixFileInstall(std::shared_ptr<Machine> machine);

  DWORD VerInstallFileA(DWORD flags, std::string_view srcFileName, std::string_view destFileName,
                        std::string_view srcDir, std::string_view destDir, std::string_view curDir,
                        std::span<char> tmpFile, UINT* tmpFileLen) override;

 private:
  std::shared_ptr<Machine> machine_;
};

}  // namespace tw::posix
