// What the shell service promises, on both backends (Wine's shell32 and ole32
// in the win64 build).
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/winconst.h"
#include "support/machine.h"

namespace tw {
namespace {

class ShellContract : public test::MachineTest {};

TEST_F(ShellContract, CoInitializeCountsPerThread) {
  EXPECT_EQ(Shell().CoInitialize(nullptr), S_OK);
  EXPECT_EQ(Shell().CoInitialize(nullptr), S_FALSE);
  EXPECT_EQ(Shell().CoInitialize(nullptr), S_FALSE);
}

TEST_F(ShellContract, LinkObjectNeedsCom) {
  void* object = nullptr;
  EXPECT_NE(Shell().CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                     &object),
            S_OK);
  EXPECT_EQ(object, nullptr);
  ASSERT_EQ(Shell().CoInitialize(nullptr), S_OK);
  ASSERT_EQ(Shell().CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                     &object),
            S_OK);
  ASSERT_NE(object, nullptr);
  static_cast<IShellLinkA*>(object)->Release();
}

TEST_F(ShellContract, SpecialFoldersAreExistingAbsolutePaths) {
  struct Case {
    int csidl;
    const char* lastName;
  } cases[] = {{CSIDL_PROGRAMS, "\\Programs"}, {CSIDL_DESKTOP, "\\Desktop"}};
  for (const auto& c : cases) {
    ItemIdListPtr list;
    ASSERT_EQ(Shell().SHGetSpecialFolderLocation(nullptr, c.csidl, &list), S_OK) << c.csidl;
    ASSERT_NE(list, nullptr);
    std::array<char, MAX_PATH + 1> buffer;
    buffer.fill('#');
    ASSERT_TRUE(Shell().SHGetPathFromIDListA(list.get(), std::span<char>(buffer.data(), MAX_PATH)));
    const std::string path(buffer.data());
    EXPECT_EQ(buffer[MAX_PATH], '#');
    ASSERT_GT(path.size(), 3u) << path;
    EXPECT_TRUE(path[0] >= 'A' && path[0] <= 'Z') << path;
    EXPECT_EQ(path.substr(1, 2), ":\\") << path;
    EXPECT_NE(path.back(), '\\') << path;
    EXPECT_EQ(path.compare(path.size() - std::strlen(c.lastName), std::string::npos, c.lastName), 0)
        << path;
    EXPECT_NE(Files().GetFileAttributesA(path) & FILE_ATTRIBUTE_DIRECTORY, 0u) << path;
    EXPECT_NE(Files().GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES) << path;
  }
}

TEST_F(ShellContract, UnknownSpecialFolderFails) {
  ItemIdListPtr list;
  EXPECT_NE(Shell().SHGetSpecialFolderLocation(nullptr, 0x7F, &list), S_OK);
  EXPECT_EQ(list, nullptr);
}

}  // namespace
}  // namespace tw
