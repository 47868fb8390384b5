// What the resources service promises, on both backends: the payload as type
// "MSZ" 134..137 and the licence as type "TEXT" 133, found by integer id and a
// type name in any case, byte-identical to the files the build embedded.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/szdd.h"
#include "resources/payload_files.h"
#include "support/machine.h"

namespace tw {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A file of the build tree, read past the services. Under Wine the host's
// file system is drive Z:.
std::optional<Bytes> ReadBuildFile(std::string path) {
#ifdef _WIN32
  std::replace(path.begin(), path.end(), '/', '\\');
  path = "Z:" + path;
#endif
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The bytes of a resource through the four calls, as the installer makes them.
std::optional<Bytes> Load(WORD id, std::string_view type) {
  HRSRC found = Resources().FindResourceA(nullptr, id, type);
  if (!found) return std::nullopt;
  HGLOBAL loaded = Resources().LoadResource(nullptr, found);
  EXPECT_NE(loaded, nullptr);
  const DWORD size = Resources().SizeofResource(nullptr, found);
  const auto* bytes = static_cast<const std::uint8_t*>(Resources().LockResource(loaded));
  EXPECT_NE(bytes, nullptr);
  if (!bytes) return std::nullopt;
  return Bytes(bytes, bytes + size);
}

class ResourcesContract : public test::MachineTest {};

TEST_F(ResourcesContract, PayloadIsEmbeddedAsBuilt) {
  for (const auto& file : resources::payload_files::kFiles) {
    SCOPED_TRACE(file.name);
    const auto packed = ReadBuildFile(file.packed);
    const auto raw = ReadBuildFile(file.raw);
    ASSERT_TRUE(packed && raw) << "build files missing: " << file.packed;
    for (const char* type : {"MSZ", "msz", "Msz"}) {
      SCOPED_TRACE(type);
      const auto bytes = Load(static_cast<WORD>(file.id), type);
      ASSERT_TRUE(bytes.has_value());
      EXPECT_EQ(bytes->size(), packed->size());
      ASSERT_GE(bytes->size(), szdd::kHeaderSize);
      EXPECT_TRUE(std::equal(szdd::kMagic.begin(), szdd::kMagic.end(), bytes->begin()));
      EXPECT_EQ(*bytes, *packed);
      const szdd::DecodeResult expanded = szdd::Decode(*bytes);
      ASSERT_TRUE(expanded.ok()) << szdd::Describe(expanded.error);
      EXPECT_EQ(expanded.bytes, *raw);
    }
  }
}

TEST_F(ResourcesContract, LicenceTextHasItsFormat) {
  const auto source = ReadBuildFile(resources::payload_files::kLicense);
  ASSERT_TRUE(source.has_value());
  for (const char* type : {"TEXT", "Text"}) {
    SCOPED_TRACE(type);
    const auto text = Load(133, type);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, *source);
    EXPECT_EQ(text->size(), 4028u);
    std::size_t lines = 0;
    for (std::size_t i = 0; i < text->size(); ++i) {
      const std::uint8_t c = (*text)[i];
      if (c == '\r') {
        ASSERT_LT(i + 1, text->size()) << "CR at the end";
        EXPECT_EQ((*text)[i + 1], '\n') << "CR without LF at " << i;
      } else if (c == '\n') {
        EXPECT_TRUE(i > 0 && (*text)[i - 1] == '\r') << "LF without CR at " << i;
        ++lines;
      } else {
        EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "byte " << int{c} << " at " << i;
      }
    }
    EXPECT_EQ(lines, 31u);
    EXPECT_EQ(std::count(text->begin(), text->end(), '\0'), 0);
    EXPECT_EQ(std::count(text->begin(), text->end(), '\t'), 0);
    EXPECT_TRUE(text->size() >= 2 && text->end()[-2] == '\r' && text->end()[-1] == '\n');
  }
}

TEST_F(ResourcesContract, AbsentResourcesAreNull) {
  EXPECT_EQ(Resources().FindResourceA(nullptr, 138, "MSZ"), nullptr);
  EXPECT_EQ(Resources().FindResourceA(nullptr, 133, "MSZ"), nullptr) << "an id of another type";
  EXPECT_EQ(Resources().FindResourceA(nullptr, 134, "TEXT"), nullptr);
  EXPECT_EQ(Resources().FindResourceA(nullptr, 134, "MSZX"), nullptr);
  EXPECT_EQ(Resources().FindResourceA(nullptr, 134, "MS"), nullptr);
}

}  // namespace
}  // namespace tw
