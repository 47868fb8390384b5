// The posix backend's machine: a Windows-style prefix on the host file system,
// shared by every posix service of one Platform.
//
// Layout of a prefix folder:
//   drive_c/                      C: (Program Files, Windows, users\...)
//   dosdevices/c: -> ../drive_c   one link per drive letter; a letter without a
//                                 link is a drive that cannot be made current
//   system.reg                    HKEY_LOCAL_MACHINE, REGEDIT4
// A new prefix gets what a fresh machine has: C:\Program Files, C:\Windows,
// the Desktop and the Start Menu's Programs folder, and "ProgramFilesDir".
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tw::posix {

class Machine {
 public:
  // Opens the prefix at `root`, creating the fresh-machine layout when it is
  // missing. Throws std::runtime_error with a clear message when it cannot
  // (the caller reports it; the installer's logic never sees it).
  explicit Machine(std::filesystem::path root);

  // The default prefix: $TARNWICK_PREFIX, else $XDG_DATA_HOME/tarnwick/prefix,
  // else ~/.local/share/tarnwick/prefix.
  static std::filesystem::path DefaultRoot();

  const std::filesystem::path& Root() const { return root_; }
  std::filesystem::path RegistryFile() const { return root_ / "system.reg"; }

  // Maps drive letter `letter` (A-Z, either case) to a host folder by a link
  // in dosdevices (tests use it for D:, E:).
  void MapDrive(char letter, const std::filesystem::path& target);
  // The host folder of a drive, or nullopt when the letter maps nowhere.
  std::optional<std::filesystem::path> DriveRoot(char letter) const;

  // Current drive (1 = A ... 26 = Z) and each drive's own current directory,
  // as a Windows path ("C:\\Users"). A fresh machine starts on C:\.
  int CurrentDrive() const { return currentDrive_; }
  bool SetCurrentDrive(int drive);
  std::string CurrentDirectory() const;            // of the current drive
  std::string CurrentDirectoryOf(int drive) const;  // "D:\\" when never set
  bool SetCurrentDirectory(std::string_view windowsPath);

  // A Windows path (absolute "D:\\x", drive-relative "D:x", rooted "\\x" or
  // relative "x\\y") made absolute against the current drive and directories,
  // with "." and ".." applied. Empty when it cannot be (unmapped drive, invalid
  // name: one holding / or a character the platform refuses).
  std::string FullPath(std::string_view windowsPath) const;

  // The host path of a Windows path. Existing components are matched without
  // regard to case; components that do not exist keep the case given. nullopt
  // when the drive maps nowhere or a name is invalid.
  std::optional<std::filesystem::path> Resolve(std::string_view windowsPath) const;

 private:
  std::filesystem::path root_;
  int currentDrive_ = 3;
  std::array<std::string, 27> currentDirs_{};  // index = drive number
};

}  // namespace tw::posix
