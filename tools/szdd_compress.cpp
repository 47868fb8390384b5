// tw_szdd_compress IN OUT: writes IN compressed as an SZDD mode 'A' file, and
// checks that it expands back before it leaves OUT in place.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/szdd.h"

namespace {

bool ReadAll(const char* path, std::vector<std::uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return false;
  }
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s INPUT OUTPUT\n", argv[0]);
    return 2;
  }
  std::vector<std::uint8_t> data;
  if (!ReadAll(argv[1], data)) {
    std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
    return 1;
  }
  const std::vector<std::uint8_t> packed = tw::szdd::Encode(data);
  const tw::szdd::DecodeResult check = tw::szdd::Decode(packed);
  if (!check || check.bytes != data) {
    std::fprintf(stderr, "%s: %s does not expand back to its input\n", argv[0], argv[1]);
    return 1;
  }
  const std::string tmp = std::string(argv[2]) + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(packed.data()), static_cast<std::streamsize>(packed.size()));
    out.close();
    if (!out) {
      std::fprintf(stderr, "%s: cannot write %s\n", argv[0], tmp.c_str());
      std::remove(tmp.c_str());
      return 1;
    }
  }
  if (std::rename(tmp.c_str(), argv[2]) != 0) {
    std::fprintf(stderr, "%s: cannot rename %s to %s\n", argv[0], tmp.c_str(), argv[2]);
    std::remove(tmp.c_str());
    return 1;
  }
  return 0;
}
