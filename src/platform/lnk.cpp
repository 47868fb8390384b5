#include "platform/lnk.h"

#include <algorithm>
#include <array>

namespace tw::lnk {
namespace {

constexpr std::array<std::uint8_t, 16> kShellLinkClsid = {
    0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
    0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

constexpr std::uint32_t kLinkInfoHeaderAnsi = 0x1C;
// Adds the offsets of UTF-16 copies of the base path and suffix.
constexpr std::uint32_t kLinkInfoHeaderUnicode = 0x24;
constexpr std::uint32_t kVolumeIdAndLocalBasePath = 0x01;
constexpr std::uint32_t kVolumeIdHeader = 0x10;

// Windows-1252 bytes 0x80..0x9F; the five holes map to the C1 control of the
// same value, as the platform's own conversion does.
constexpr std::array<std::uint16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::uint16_t AnsiToUtf16(unsigned char c) {
  return (c >= 0x80 && c <= 0x9F) ? kCp1252High[c - 0x80] : c;
}

class Writer {
 public:
  std::vector<std::uint8_t> bytes;

  void U16(std::uint16_t v) {
    bytes.push_back(static_cast<std::uint8_t>(v));
    bytes.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(v >> shift));
  }
  void Zeros(std::size_t n) { bytes.insert(bytes.end(), n, 0); }
  void Ansi(const std::string& s) {  // NUL-terminated
    bytes.insert(bytes.end(), s.begin(), s.end());
    bytes.push_back(0);
  }
  void Utf16(const std::string& s) {  // code page to UTF-16LE, no terminator
    for (char c : s) U16(AnsiToUtf16(static_cast<unsigned char>(c)));
  }
  void PatchU32(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
};

bool Storable(const std::string& s) {
  return s.size() <= kMaxStringChars && s.find('\0') == std::string::npos;
}

bool IsAscii(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

void WriteLinkInfo(Writer& w, const LinkProperties& p) {
  const std::size_t start = w.bytes.size();
  // Wine reads only the ANSI local base path and ignores the suffix, so the
  // whole target goes into the base path and the suffix stays empty.
  const bool unicode = !IsAscii(p.targetPath);
  const std::uint32_t headerSize = unicode ? kLinkInfoHeaderUnicode : kLinkInfoHeaderAnsi;
  const std::uint32_t volumeIdSize = kVolumeIdHeader + 1;  // empty label
  const std::uint32_t basePathOffset = headerSize + volumeIdSize;
  const auto pathBytes = static_cast<std::uint32_t>(p.targetPath.size() + 1);
  const std::uint32_t suffixOffset = basePathOffset + pathBytes;
  const std::uint32_t basePathUnicodeOffset = suffixOffset + 1;
  const std::uint32_t suffixUnicodeOffset = basePathUnicodeOffset + 2 * pathBytes;

  w.U32(0);  // LinkInfoSize, patched below
  w.U32(headerSize);
  w.U32(kVolumeIdAndLocalBasePath);
  w.U32(headerSize);  // VolumeID follows the header
  w.U32(basePathOffset);
  w.U32(0);  // no network link
  w.U32(suffixOffset);
  if (unicode) {
    w.U32(basePathUnicodeOffset);
    w.U32(suffixUnicodeOffset);
  }

  w.U32(volumeIdSize);
  w.U32(p.driveType);
  w.U32(p.driveSerial);
  w.U32(kVolumeIdHeader);  // label right after the VolumeID header
  w.Ansi("");

  w.Ansi(p.targetPath);
  w.Ansi("");  // suffix
  if (unicode) {
    w.Utf16(p.targetPath);
    w.U16(0);
    w.U16(0);  // suffix
  }
  w.PatchU32(start, static_cast<std::uint32_t>(w.bytes.size() - start));
}

void WriteString(Writer& w, const std::string& s) {
  w.U16(static_cast<std::uint16_t>(s.size()));
  w.Utf16(s);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> Build(const LinkProperties& p) {
  for (const std::string* s : {&p.targetPath, &p.description, &p.workingDirectory, &p.iconLocation}) {
    if (!Storable(*s)) return std::nullopt;
  }

  std::uint32_t flags = kIsUnicode;
  if (!p.targetPath.empty()) flags |= kHasLinkInfo;
  if (!p.description.empty()) flags |= kHasName;
  if (!p.workingDirectory.empty()) flags |= kHasWorkingDir;
  if (!p.iconLocation.empty()) flags |= kHasIconLocation;

  Writer w;
  w.bytes.reserve(kHeaderSize + 64 + 3 * p.targetPath.size() + 2 * (p.description.size() +
                                                                     p.workingDirectory.size() +
                                                                     p.iconLocation.size()) + 16);
  w.U32(kHeaderSize);
  w.bytes.insert(w.bytes.end(), kShellLinkClsid.begin(), kShellLinkClsid.end());
  w.U32(flags);
  w.U32(p.fileAttributes);
  w.Zeros(3 * 8);  // creation, access and write times: not set
  w.U32(0);        // target size
  w.U32(static_cast<std::uint32_t>(p.iconIndex));
  w.U32(p.showCommand);
  w.U16(0);  // no hot key
  w.Zeros(2 + 4 + 4);

  if (flags & kHasLinkInfo) WriteLinkInfo(w, p);
  if (flags & kHasName) WriteString(w, p.description);
  if (flags & kHasWorkingDir) WriteString(w, p.workingDirectory);
  if (flags & kHasIconLocation) WriteString(w, p.iconLocation);
  w.U32(0);  // terminal block
  return std::move(w.bytes);
}

}  // namespace tw::lnk
