// SZDD, the compressed-file format of the platform's LZ expansion routines
// (COMPRESS.EXE / EXPAND.EXE), mode 'A' only.
//
// A file is a 14-byte header followed by LZSS data:
//   0  8  magic 53 5A 44 44 88 F0 27 33 ("SZDD" 88 F0 27 33)
//   8  1  mode, 'A'
//   9  1  the last character of the original name, 0 when none is stored
//  10  4  expanded length, little-endian
// The data is groups of up to eight items, each group led by a flag byte read
// from its least significant bit up: 1 = one literal byte, 0 = a two-byte
// reference into a 4096-byte ring that starts filled with spaces and is written
// from position 4080. A reference's position is byte0 | (byte1 & 0xF0) << 4,
// its length (byte1 & 0x0F) + 3.
//
// Portable: used by the posix file-installation service and by the build's
// compressor tool.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tw::szdd {

inline constexpr std::array<std::uint8_t, 8> kMagic = {0x53, 0x5A, 0x44, 0x44,
                                                       0x88, 0xF0, 0x27, 0x33};
inline constexpr std::size_t kHeaderSize = 14;
inline constexpr std::uint8_t kModeA = 'A';
inline constexpr std::size_t kWindowSize = 4096;
inline constexpr std::size_t kInitialWritePos = kWindowSize - 16;
inline constexpr std::size_t kMinMatch = 3;
inline constexpr std::size_t kMaxMatch = 18;

enum class Error {
  kNone,
  kBadMagic,         // the first bytes are not the magic
  kTruncatedHeader,  // fewer than 14 bytes, magic intact so far
  kUnsupportedMode,  // a mode other than 'A'
  kTruncatedData,    // the data ends before the header's length is reached
};

// A short English description of an error, for messages and test output.
std::string_view Describe(Error error);

struct DecodeResult {
  Error error = Error::kNone;
  // The expanded bytes when error is kNone; what could be decoded otherwise.
  std::vector<std::uint8_t> bytes;

  bool ok() const { return error == Error::kNone; }
  explicit operator bool() const { return ok(); }
};

// Expands one whole SZDD file. Decoding stops as soon as the header's length
// is reached; whatever follows is ignored (an empty file made by COMPRESS
// carries one spurious literal). Never reads or writes past a buffer, and never
// produces more than the header's length.
DecodeResult Decode(std::span<const std::uint8_t> file);

// Compresses `data` into a complete SZDD mode 'A' file (no name character
// stored). Throws std::length_error when `data` does not fit the 32-bit length.
std::vector<std::uint8_t> Encode(std::span<const std::uint8_t> data);

}  // namespace tw::szdd
