// The SZDD codec: hand-made files for the decoder's corner cases, its errors,
// and agreement with two independent implementations (libmspack and
// msexpand/mscompress from mscompress) in both directions.
#include "platform/szdd.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "resources/payload_files.h"

#if TW_HAVE_MSPACK
#include <mspack.h>
#endif

namespace tw::szdd {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes Header(std::uint32_t length, std::uint8_t mode = 'A') {
  Bytes file(kMagic.begin(), kMagic.end());
  file.push_back(mode);
  file.push_back(0);
  for (int shift = 0; shift < 32; shift += 8) {
    file.push_back(static_cast<std::uint8_t>(length >> shift));
  }
  return file;
}

Bytes File(std::uint32_t length, const Bytes& data) {
  Bytes file = Header(length);
  file.insert(file.end(), data.begin(), data.end());
  return file;
}

Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }

// A reference item: ring position and length 3..18.
Bytes Ref(unsigned position, unsigned length) {
  return {static_cast<std::uint8_t>(position & 0xFF),
          static_cast<std::uint8_t>(((position >> 4) & 0xF0) | (length - 3))};
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// 4096 literals in groups of eight, then a group whose first item is a
// reference `tail`: after them the write position is back at 4080 and the ring
// holds the literals.
Bytes FullRingThen(const Bytes& tailGroup, Bytes& literals) {
  Bytes data;
  literals.clear();
  for (int i = 0; i < 4096; ++i) {
    if (i % 8 == 0) data.push_back(0xFF);
    const auto byte = static_cast<std::uint8_t>((i * 7 + 1) % 251);
    literals.push_back(byte);
    data.push_back(byte);
  }
  data.insert(data.end(), tailGroup.begin(), tailGroup.end());
  return data;
}

struct DecodeCase {
  const char* name;
  Bytes file;
  Bytes expected;
};

TEST(SzddDecode, HandMadeFiles) {
  Bytes ring;
  const Bytes fullRingOverwriteSlot = FullRingThen(Cat({{0x00}, Ref(4080, 3)}), ring);
  Bytes afterFullRing = ring;
  afterFullRing.insert(afterFullRing.end(), ring.begin(), ring.begin() + 3);

  const std::vector<DecodeCase> cases = {
      {"literals", File(3, Cat({{0x07}, Text("abc")})), Text("abc")},
      {"length nibble 15 copies 18 bytes", File(18, Cat({{0x00}, Ref(0, 18)})), Bytes(18, ' ')},
      {"reference into the initial spaces", File(5, Cat({{0x03}, Text("xy"), Ref(100, 3)})),
       Text("xy   ")},
      // 'a' went to 4080, so 4081 is the slot about to be written: it still
      // holds a space when it is read.
      {"reference to the next write slot", File(4, Cat({{0x01}, Text("a"), Ref(4081, 3)})),
       Text("a   ")},
      {"reference to the slot about to be overwritten, ring full", File(4099, fullRingOverwriteSlot),
       afterFullRing},
      {"overlapping copy", File(8, Cat({{0x03}, Text("ab"), Ref(4080, 6)})), Text("abababab")},
      // 16 literals fill 4080..4095, two more wrap to 0 and 1; the reference
      // reads across the wrap and then the byte it has just written.
      {"wrap at 4096",
       File(23, Cat({{0xFF}, Text("ABCDEFGH"), {0xFF}, Text("IJKLMNOP"), {0x03}, Text("QR"),
                     Ref(4094, 5)})),
       Text("ABCDEFGHIJKLMNOPQROPQRO")},
      {"stops at the header's length inside a reference", File(4, Cat({{0x01}, Text("a"), Ref(0, 18)})),
       Text("a   ")},
      {"ignores what follows the header's length", File(2, Cat({{0xFF}, Text("abcdefgh"), Text("zz")})),
       Text("ab")},
      // An empty file as mscompress writes it: length 0, one spurious literal.
      {"empty file with a spurious literal", File(0, Cat({{0x01}, Text("\n")})), {}},
      {"empty file, no data", File(0, {}), {}},
  };
  for (const DecodeCase& c : cases) {
    SCOPED_TRACE(c.name);
    const DecodeResult result = Decode(c.file);
    ASSERT_TRUE(result.ok()) << Describe(result.error);
    EXPECT_EQ(result.bytes, c.expected);
  }
}

TEST(SzddDecode, Errors) {
  Bytes badMagic = File(3, Cat({{0x07}, Text("abc")}));
  badMagic[3] = 'E';
  Bytes modeB = File(3, Cat({{0x07}, Text("abc")}));
  modeB[8] = 'B';
  Bytes header13 = Header(3);
  header13.pop_back();

  const std::vector<std::pair<const char*, std::pair<Bytes, Error>>> cases = {
      {"empty input", {{}, Error::kTruncatedHeader}},
      {"plain text", {Text("hello, world, this is text"), Error::kBadMagic}},
      {"short and wrong", {Text("SZ!"), Error::kBadMagic}},
      {"bad magic", {badMagic, Error::kBadMagic}},
      {"mode B", {modeB, Error::kUnsupportedMode}},
      {"header of 13 bytes", {header13, Error::kTruncatedHeader}},
      {"header only, length 1", {Header(1), Error::kTruncatedData}},
      {"data ends in a literal group", {File(10, Cat({{0xFF}, Text("abc")})), Error::kTruncatedData}},
      {"data ends inside a reference", {File(10, Cat({{0x00}, {0x12}})), Error::kTruncatedData}},
      {"forged length of 4 GiB", {File(0xFFFFFFFFu, Cat({{0x00}, Ref(0, 18)})), Error::kTruncatedData}},
  };
  for (const auto& [name, c] : cases) {
    SCOPED_TRACE(name);
    const DecodeResult result = Decode(c.first);
    EXPECT_EQ(result.error, c.second) << Describe(result.error);
    EXPECT_FALSE(result.ok());
  }
}

// --- Differential tests ----------------------------------------------------

class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "tw-szdd-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

void WriteFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

std::optional<Bytes> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool OnPath(const char* tool) {
  const char* path = std::getenv("PATH");
  if (!path) return false;
  std::string_view rest(path);
  while (!rest.empty()) {
    const auto colon = rest.find(':');
    const fs::path dir(std::string(rest.substr(0, colon)));
    if (::access((dir / tool).c_str(), X_OK) == 0) return true;
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
  }
  return false;
}

std::string Quote(const fs::path& path) { return "'" + path.string() + "'"; }

std::optional<Bytes> Msexpand(const ScratchDir& dir, const Bytes& file) {
  WriteFile(dir / "in.szdd", file);
  const std::string command = "msexpand < " + Quote(dir / "in.szdd") + " > " + Quote(dir / "out") + " 2>/dev/null";
  if (std::system(command.c_str()) != 0) return std::nullopt;
  return ReadFile(dir / "out");
}

std::optional<Bytes> Mscompress(const ScratchDir& dir, const Bytes& data) {
  WriteFile(dir / "plain", data);
  std::error_code ec;
  fs::remove(dir / "plain_", ec);
  const std::string command = "mscompress " + Quote(dir / "plain") + " >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return std::nullopt;
  return ReadFile(dir / "plain_");
}

// msexpand does not stop at the header's length: it decodes every item the
// data holds (and a final one cut short), so only the first `length` bytes of
// its output are compared.
std::optional<Bytes> FirstBytes(std::optional<Bytes> bytes, std::size_t length) {
  if (bytes && bytes->size() > length) bytes->resize(length);
  return bytes;
}

#if TW_HAVE_MSPACK
std::optional<Bytes> Mspack(const ScratchDir& dir, const Bytes& file) {
  WriteFile(dir / "mspack.szdd", file);
  msszdd_decompressor* d = mspack_create_szdd_decompressor(nullptr);
  if (!d) return std::nullopt;
  std::optional<Bytes> out;
  const std::string in = (dir / "mspack.szdd").string();
  const std::string target = (dir / "mspack.out").string();
  if (msszddd_header* h = d->open(d, const_cast<char*>(in.c_str()))) {
    if (d->extract(d, h, const_cast<char*>(target.c_str())) == MSPACK_ERR_OK) {
      out = ReadFile(target);
    }
    d->close(d, h);
  }
  mspack_destroy_szdd_decompressor(d);
  return out;
}
#endif

struct Input {
  std::string name;
  Bytes bytes;
};

std::vector<Input> Inputs() {
  std::mt19937 rng(20070310);
  auto random = [&](std::size_t n, unsigned alphabet) {
    Bytes b(n);
    for (auto& x : b) x = static_cast<std::uint8_t>(rng() % alphabet);
    return b;
  };
  std::vector<Input> inputs = {
      {"empty", {}},
      {"one byte", {0x41}},
      {"random 4095", random(4095, 256)},
      {"random 4096", random(4096, 256)},
      {"random 4097", random(4097, 256)},
      {"random small alphabet 70000", random(70000, 4)},
      {"zeros 10000", Bytes(10000, 0)},
      {"spaces 5000", Bytes(5000, ' ')},
      {"spaces then text", Text("                    leading spaces, then words, then words again")},
  };
  std::string text;
  for (int i = 0; i < 400; ++i) text += "Line " + std::to_string(i * 37 % 101) + ": the quick brown fox\r\n";
  inputs.push_back({"text", Text(text)});
  for (const auto& file : resources::payload_files::kFiles) {
    if (auto bytes = ReadFile(file.raw)) inputs.push_back({file.name, *bytes});
  }
  if (auto bytes = ReadFile(resources::payload_files::kLicense)) inputs.push_back({"licence", *bytes});
  return inputs;
}

TEST(SzddDifferential, OurFilesExpandEverywhere) {
  ScratchDir dir;
  const bool haveMsexpand = OnPath("msexpand");
  for (const Input& input : Inputs()) {
    SCOPED_TRACE(input.name);
    const Bytes file = Encode(input.bytes);
    const DecodeResult ours = Decode(file);
    ASSERT_TRUE(ours.ok()) << Describe(ours.error);
    EXPECT_EQ(ours.bytes, input.bytes);
    if (haveMsexpand) {
      EXPECT_EQ(Msexpand(dir, file), input.bytes);
    }
#if TW_HAVE_MSPACK
    if (!input.bytes.empty()) {  // libmspack refuses a file of length 0
      EXPECT_EQ(Mspack(dir, file), input.bytes);
    }
#endif
  }
  if (!haveMsexpand) GTEST_SKIP() << "msexpand not on PATH: only libmspack compared";
}

TEST(SzddDifferential, MscompressFilesDecodeTheSame) {
  if (!OnPath("mscompress") || !OnPath("msexpand")) GTEST_SKIP() << "mscompress/msexpand not on PATH";
  ScratchDir dir;
  for (const Input& input : Inputs()) {
    SCOPED_TRACE(input.name);
    const std::optional<Bytes> file = Mscompress(dir, input.bytes);
    ASSERT_TRUE(file.has_value());
    const DecodeResult ours = Decode(*file);
    ASSERT_TRUE(ours.ok()) << Describe(ours.error);
    EXPECT_EQ(FirstBytes(Msexpand(dir, *file), ours.bytes.size()), ours.bytes);
#if TW_HAVE_MSPACK
    if (!input.bytes.empty()) {
      EXPECT_EQ(Mspack(dir, *file), ours.bytes);
    }
#endif
    // mscompress itself loses the bytes of a file shorter than 17 bytes (all
    // three decoders agree on what it wrote): only longer inputs round-trip.
    if (input.bytes.size() >= 17) {
      EXPECT_EQ(ours.bytes, input.bytes);
    }
  }
}

// Random data streams exercise what no encoder writes: references to slots
// never written, long overlaps, arbitrary positions. The header's length is
// set to what the stream yields, then the three decoders must agree.
TEST(SzddDifferential, RandomStreamsDecodeTheSame) {
  ScratchDir dir;
  const bool haveMsexpand = OnPath("msexpand");
  std::mt19937 rng(1033);
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    Bytes data(1 + rng() % 3000);
    for (auto& x : data) x = static_cast<std::uint8_t>(rng());
    const DecodeResult probe = Decode(File(0xFFFFFFFFu, data));
    ASSERT_EQ(probe.error, Error::kTruncatedData);
    if (probe.bytes.empty()) continue;
    const Bytes file = File(static_cast<std::uint32_t>(probe.bytes.size()), data);
    const DecodeResult ours = Decode(file);
    ASSERT_TRUE(ours.ok());
    EXPECT_EQ(ours.bytes, probe.bytes);
    if (haveMsexpand) {
      EXPECT_EQ(FirstBytes(Msexpand(dir, file), ours.bytes.size()), ours.bytes);
    }
#if TW_HAVE_MSPACK
    EXPECT_EQ(Mspack(dir, file), ours.bytes);
#endif
  }
}

TEST(SzddEncode, HeaderAndRatio) {
  const Bytes text = Text(std::string(3000, 'x') + "tail");
  const Bytes file = Encode(text);
  ASSERT_GE(file.size(), kHeaderSize);
  EXPECT_TRUE(std::equal(kMagic.begin(), kMagic.end(), file.begin()));
  EXPECT_EQ(file[8], 'A');
  EXPECT_EQ(file[9], 0);
  EXPECT_EQ(file[10] | file[11] << 8 | file[12] << 16 | file[13] << 24, 3004);
  // A run compresses to references of 18: far below the input.
  EXPECT_LT(file.size(), 400u);
}

}  // namespace
}  // namespace tw::szdd
