#include "platform/szdd.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace tw::szdd {

namespace {

constexpr std::size_t kRingMask = kWindowSize - 1;

std::uint32_t ReadLength(std::span<const std::uint8_t> file) {
  return static_cast<std::uint32_t>(file[10]) | static_cast<std::uint32_t>(file[11]) << 8 |
         static_cast<std::uint32_t>(file[12]) << 16 | static_cast<std::uint32_t>(file[13]) << 24;
}

// The most a data stream of `n` bytes can expand to: a flag byte and eight
// references of 18 bytes each per 17 input bytes. Keeps a forged length from
// reserving gigabytes up front.
std::size_t MaxExpansion(std::size_t n) { return (n / 17 + 1) * 8 * kMaxMatch; }

}  // namespace

std::string_view Describe(Error error) {
  switch (error) {
    case Error::kNone:
      return "no error";
    case Error::kBadMagic:
      return "not an SZDD file (bad magic)";
    case Error::kTruncatedHeader:
      return "SZDD header truncated (fewer than 14 bytes)";
    case Error::kUnsupportedMode:
      return "unsupported SZDD compression mode (only 'A' is known)";
    case Error::kTruncatedData:
      return "SZDD data ends before the stored length";
  }
  return "unknown SZDD error";
}

DecodeResult Decode(std::span<const std::uint8_t> file) {
  DecodeResult result;
  const std::size_t magicBytes = std::min(file.size(), kMagic.size());
  if (!std::equal(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(magicBytes),
                  kMagic.begin())) {
    result.error = Error::kBadMagic;
    return result;
  }
  if (file.size() < kHeaderSize) {
    result.error = Error::kTruncatedHeader;
    return result;
  }
  if (file[8] != kModeA) {
    result.error = Error::kUnsupportedMode;
    return result;
  }

  const std::size_t length = ReadLength(file);
  const std::span<const std::uint8_t> data = file.subspan(kHeaderSize);
  std::vector<std::uint8_t>& out = result.bytes;
  out.reserve(std::min(length, MaxExpansion(data.size())));

  std::array<std::uint8_t, kWindowSize> ring;
  ring.fill(' ');
  std::size_t writePos = kInitialWritePos;
  std::size_t in = 0;

  auto emit = [&](std::uint8_t byte) {
    out.push_back(byte);
    ring[writePos] = byte;
    writePos = (writePos + 1) & kRingMask;
  };

  while (out.size() < length) {
    if (in >= data.size()) {
      result.error = Error::kTruncatedData;
      return result;
    }
    const std::uint8_t flags = data[in++];
    for (int bit = 0; bit < 8 && out.size() < length; ++bit) {
      if (flags & (1u << bit)) {
        if (in >= data.size()) {
          result.error = Error::kTruncatedData;
          return result;
        }
        emit(data[in++]);
      } else {
        if (data.size() - in < 2) {
          result.error = Error::kTruncatedData;
          return result;
        }
        const std::uint8_t lo = data[in];
        const std::uint8_t hi = data[in + 1];
        in += 2;
        const std::size_t from = static_cast<std::size_t>(lo) | (static_cast<std::size_t>(hi & 0xF0) << 4);
        const std::size_t count = static_cast<std::size_t>(hi & 0x0F) + kMinMatch;
        // One byte at a time: a reference may overlap the bytes it produces,
        // including the slot about to be overwritten.
        for (std::size_t k = 0; k < count && out.size() < length; ++k) {
          emit(ring[(from + k) & kRingMask]);
        }
      }
    }
  }
  return result;
}

namespace {

// The encoder works on a virtual stream: kPrefix spaces standing for the ring's
// initial contents just before the write position, then the data. Stream index
// x lives in ring slot (x - kPrefix + kInitialWritePos) mod 4096. kMaxMatch
// spaces are enough to give any reference into the initial spaces.
constexpr std::size_t kPrefix = kMaxMatch;
constexpr int kHashBits = 13;
constexpr std::size_t kMaxChain = 1024;

std::uint32_t Hash3(const std::uint8_t* p) {
  const std::uint32_t v = static_cast<std::uint32_t>(p[0]) << 16 |
                          static_cast<std::uint32_t>(p[1]) << 8 | p[2];
  return (v * 2654435761u) >> (32 - kHashBits);
}

struct Match {
  std::uint16_t length = 0;  // 0 when no match of at least kMinMatch
  std::uint32_t from = 0;    // stream index
};

}  // namespace

std::vector<std::uint8_t> Encode(std::span<const std::uint8_t> data) {
  if (data.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("SZDD cannot store a file of 4 GiB or more");
  }
  std::vector<std::uint8_t> stream(kPrefix + data.size(), ' ');
  std::copy(data.begin(), data.end(), stream.begin() + kPrefix);
  const std::size_t n = stream.size();

  // Longest match at every data position, by hash chains over the window.
  std::vector<std::int64_t> head(std::size_t{1} << kHashBits, -1);
  std::vector<std::int64_t> prev(n, -1);
  std::vector<Match> best(n);
  for (std::size_t x = 0; x < n; ++x) {
    if (x + kMinMatch > n) {
      break;
    }
    const std::uint32_t h = Hash3(&stream[x]);
    if (x >= kPrefix) {
      const std::size_t limit = std::min(kMaxMatch, n - x);
      const std::int64_t oldest = static_cast<std::int64_t>(x) - static_cast<std::int64_t>(kWindowSize);
      std::size_t chain = 0;
      for (std::int64_t j = head[h]; j >= 0 && j >= oldest && chain < kMaxChain; j = prev[j], ++chain) {
        const auto from = static_cast<std::size_t>(j);
        std::size_t len = 0;
        // The source may run into the bytes being produced: the decoder
        // copies one byte at a time, so this is what it will see.
        while (len < limit && stream[from + len] == stream[x + len]) {
          ++len;
        }
        if (len >= kMinMatch && len > best[x].length) {
          best[x].length = static_cast<std::uint16_t>(len);
          best[x].from = static_cast<std::uint32_t>(from);
          if (len == limit) {
            break;
          }
        }
      }
    }
    prev[x] = head[h];
    head[h] = static_cast<std::int64_t>(x);
  }

  // Cheapest parse: a literal costs 9 bits (flag + byte), a reference 17.
  // Every length up to the longest match at a position is available from the
  // same source, so this is optimal for the matches found.
  std::vector<std::uint64_t> cost(n + 1, 0);
  std::vector<std::uint16_t> take(n + 1, 1);
  for (std::size_t i = n; i-- > kPrefix;) {
    cost[i] = 9 + cost[i + 1];
    take[i] = 1;
    for (std::size_t len = kMinMatch; len <= best[i].length; ++len) {
      const std::uint64_t c = 17 + cost[i + len];
      if (c <= cost[i]) {
        cost[i] = c;
        take[i] = static_cast<std::uint16_t>(len);
      }
    }
  }

  std::vector<std::uint8_t> out(kMagic.begin(), kMagic.end());
  const auto length = static_cast<std::uint32_t>(data.size());
  out.push_back(kModeA);
  out.push_back(0);
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<std::uint8_t>(length >> shift));
  }
  out.reserve(out.size() + data.size() + data.size() / 8 + 2);

  std::size_t flagAt = 0;
  int item = 8;
  for (std::size_t i = kPrefix; i < n;) {
    if (item == 8) {
      flagAt = out.size();
      out.push_back(0);
      item = 0;
    }
    if (take[i] == 1) {
      out[flagAt] = static_cast<std::uint8_t>(out[flagAt] | (1u << item));
      out.push_back(stream[i]);
      ++i;
    } else {
      const std::size_t slot = (best[i].from + kInitialWritePos - kPrefix) & kRingMask;
      out.push_back(static_cast<std::uint8_t>(slot & 0xFF));
      out.push_back(static_cast<std::uint8_t>(((slot >> 4) & 0xF0) | (take[i] - kMinMatch)));
      i += take[i];
    }
    ++item;
  }
  return out;
}

}  // namespace tw::szdd
