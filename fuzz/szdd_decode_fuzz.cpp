// libFuzzer target for the SZDD decoder: any input must decode or fail
// cleanly, never produce more than the header's length, and whatever decodes
// must survive a round trip through the encoder.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/szdd.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  const tw::szdd::DecodeResult result = tw::szdd::Decode(input);
  if (size >= tw::szdd::kHeaderSize) {
    const std::uint32_t length = static_cast<std::uint32_t>(data[10]) |
                                 static_cast<std::uint32_t>(data[11]) << 8 |
                                 static_cast<std::uint32_t>(data[12]) << 16 |
                                 static_cast<std::uint32_t>(data[13]) << 24;
    if (result.bytes.size() > length) std::abort();
    if (result.ok() && result.bytes.size() != length) std::abort();
  }
  if (result.ok() && result.bytes.size() <= 1024) {
    const tw::szdd::DecodeResult again = tw::szdd::Decode(tw::szdd::Encode(result.bytes));
    if (!again.ok() || again.bytes != result.bytes) std::abort();
  }
  return 0;
}
