// The posix backend's machine: a Windows-style prefix on the host file system,
// shared by every posix service of one Platform.
//
// Layout of a prefix folder:
//   drive_c/                      C: (Program Files, Windows, users\...)
//   dosdevices/c: -> ../drive_c   one link per drive letter; a letter without a
//                                 link is a drive that cannot be made current
//   system.reg                    HKEY_LOCAL_MACHINE, REGEDIT4
// A new prefix gets what a fresh machine has: C:\Program Files, C:\Windows,
// the Desktop and the Start Menu's Programs folder (where Wine puts them, under
// C:\users\<user>: Desktop, and AppData\Roaming\Microsoft\Windows\Start Menu\Programs),
// and "ProgramFilesDir" (seeded by the backend factory through the registry
// service when system.reg does not exist yet).
//
// Text: Windows paths are in the system code page, Windows-1252. Host file
// names are UTF-8, so a name like "Café" looks the same on both sides.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/types.h"

namespace tw::posix {

class Machine {
 public:
  // Opens the prefix at `root`, creating whatever part of the fresh-machine
  // layout is missing. Throws std::runtime_error naming the path when it cannot
  // (the caller reports it; the installer's logic never sees it).
  explicit Machine(std::filesystem::path root);

  // The default prefix: $TARNWICK_PREFIX, else $XDG_DATA_HOME/tarnwick/prefix,
  // else $HOME/.local/share/tarnwick/prefix.
  static std::filesystem::path DefaultRoot();

  const std::filesystem::path& Root() const { return root_; }
  std::filesystem::path RegistryFile() const { return root_ / "system.reg"; }

  // The folders of a fresh machine, as Windows paths without a trailing
  // backslash.
  const std::string& UserName() const { return user_; }
  std::string WindowsDirectory() const { return "C:\\Windows"; }
  std::string ProgramFilesDirectory() const { return "C:\\Program Files"; }
  std::string DesktopDirectory() const;
  std::string ProgramsDirectory() const;

  // Maps drive letter `letter` (A-Z, either case) to a host folder by a link
  // in dosdevices (tests use it for D:, E:). Throws std::invalid_argument for
  // a character that is not a letter, std::runtime_error when the link cannot
  // be made.
  void MapDrive(char letter, const std::filesystem::path& target);
  // The host folder of a drive (the dosdevices link itself), or nullopt when
  // the letter maps nowhere or its target is not a folder.
  std::optional<std::filesystem::path> DriveRoot(char letter) const;

  // Current drive (1 = A ... 26 = Z) and each drive's own current directory,
  // as a Windows path ("C:\\Users"). A fresh machine starts on C:\.
  int CurrentDrive() const { return currentDrive_; }
  // Fails for a number outside 1..26 or an unmapped drive. A drive whose
  // remembered directory has been removed comes back at its root.
  bool SetCurrentDrive(int drive);
  std::string CurrentDirectory() const;             // of the current drive
  std::string CurrentDirectoryOf(int drive) const;  // "D:\\" when never set
  // Makes an existing folder current (its drive becomes the current drive and
  // remembers it). On failure returns false and sets *error (if given) to the
  // platform's code.
  bool SetCurrentDirectory(std::string_view windowsPath, DWORD* error = nullptr);

  // A Windows path (absolute "D:\\x", drive-relative "D:x", rooted "\\x" or
  // relative "x\\y") made absolute against the current drive and directories,
  // with "." and ".." applied, doubled backslashes collapsed and trailing dots
  // and spaces dropped as the platform drops them. No trailing backslash except
  // for a root ("D:\\"). The drive letter comes out upper-case. Empty when the
  // path is empty or invalid: a UNC path, a drive designator that is not a
  // letter, or a name holding '/', a control character or one of <>:"|?*.
  // Pure text: it does not look at the disk.
  std::string FullPath(std::string_view windowsPath) const;

  // The host path of a Windows path. Existing components are matched without
  // regard to case; components that do not exist keep the case given. nullopt
  // when the drive maps nowhere or a name is invalid; the overload with `error`
  // tells which (ERROR_PATH_NOT_FOUND or ERROR_INVALID_NAME).
  std::optional<std::filesystem::path> Resolve(std::string_view windowsPath) const;
  std::optional<std::filesystem::path> Resolve(std::string_view windowsPath, DWORD* error) const;

 private:
  void CreateLayout();

  std::filesystem::path root_;
  std::string user_;
  int currentDrive_ = 3;
  std::array<std::string, 27> currentDirs_{};  // index = drive number
};

// True when `name` is a valid single file name for the platform (no '\\', '/',
// control characters or <>:"|?*; not empty).
bool IsValidName(std::string_view name);

// Windows-style wildcard match of a file name, case-insensitive: '*' matches
// any run, '?' one character, and a pattern ending in ".*" also matches a name
// without a dot ("*.*" matches every name).
bool WildcardMatch(std::string_view pattern, std::string_view name);

// Case-insensitive equality of two names in the system code page.
bool NamesEqual(std::string_view a, std::string_view b);

// Conversions between the system code page (Windows-1252), UTF-16 and the
// host's UTF-8. What the code page cannot hold becomes '?', as on the platform.
std::u16string AnsiToWide(std::string_view text);
std::string WideToAnsi(std::u16string_view text);
std::string AnsiToHost(std::string_view text);
std::string HostToAnsi(std::string_view text);

// The calling thread's last-error value, shared by every posix service.
void SetLastError(DWORD code);
DWORD GetLastError();

}  // namespace tw::posix
