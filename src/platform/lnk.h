// Our own writer of shell-link (.lnk) files, for hosts without a Windows shell.
//
// The file it builds is the small layout that both the Windows shell family
// (Wine included) and liblnk read: the 76-byte header, link information with
// the whole target in the local base path (no item-id list), the description,
// working directory and icon location as UTF-16 strings, and the terminal
// block. Strings come in the system code page, Windows-1252.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tw::lnk {

inline constexpr std::uint32_t kHeaderSize = 0x4C;

// LinkFlags bits written by Build.
inline constexpr std::uint32_t kHasLinkInfo = 0x02;
inline constexpr std::uint32_t kHasName = 0x04;
inline constexpr std::uint32_t kHasWorkingDir = 0x10;
inline constexpr std::uint32_t kHasIconLocation = 0x40;
inline constexpr std::uint32_t kIsUnicode = 0x80;

// VolumeID drive types.
inline constexpr std::uint32_t kDriveFixed = 3;

struct LinkProperties {
  // Absolute target path ("C:\\Program Files\\Tarnwick\\Tarnwick.exe"). Empty:
  // no link information is written.
  std::string targetPath;
  // Each string is written only when it is not empty.
  std::string description;
  std::string workingDirectory;
  std::string iconLocation;
  std::int32_t iconIndex = 0;
  // 1 normal, 3 maximised, 7 minimised without activation.
  std::uint32_t showCommand = 1;
  std::uint32_t fileAttributes = 0x20;  // FILE_ATTRIBUTE_ARCHIVE
  std::uint32_t driveType = kDriveFixed;
  std::uint32_t driveSerial = 0;
};

// Longest string the format can hold (its count is 16 bits).
inline constexpr std::size_t kMaxStringChars = 0xFFFF;

// The bytes of the .lnk file, or nullopt when a property cannot be stored: a
// string holding a NUL or longer than kMaxStringChars.
std::optional<std::vector<std::uint8_t>> Build(const LinkProperties& properties);

}  // namespace tw::lnk
