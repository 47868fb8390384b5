// The read-back half of tests/interop/registry_regedit.sh: after regedit has
// imported a file that the posix registry wrote, every value listed in the
// file named by TW_REGEDIT_EXPECT must read back through the win32 registry
// with its type and bytes. Skipped when the variable is not set.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/registry_win32.h"
#include "platform/winconst.h"

namespace tw::test {
namespace {

std::string Unhex(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

TEST(RegistryInterop, ValuesImportedByRegeditReadBack) {
  const char* list = std::getenv("TW_REGEDIT_EXPECT");
  if (!list) GTEST_SKIP() << "TW_REGEDIT_EXPECT names no expectations (run tests/interop/registry_regedit.sh)";
  std::ifstream in(list);
  ASSERT_TRUE(in) << list;
  win32::Win32Registry registry;
  std::string line;
  int checked = 0;
  while (std::getline(in, line)) {
    // Tab-separated; the name and the data may be empty.
    std::istringstream fields(line);
    std::string key, name, type, data;
    std::getline(fields, key, '\t');
    std::getline(fields, name, '\t');
    std::getline(fields, type, '\t');
    std::getline(fields, data, '\t');
    ASSERT_FALSE(key.empty() || type.empty()) << line;
    key = Unhex(key);
    name = Unhex(name);
    data = Unhex(data);
    SCOPED_TRACE(key + " \"" + name + "\"");
    HKEY handle = nullptr;
    ASSERT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle), ERROR_SUCCESS);
    std::vector<BYTE> buf(data.size() + 16, 0xAA);
    DWORD got = 99;
    DWORD cb = 0;
    EXPECT_EQ(registry.RegQueryValueExA(handle, name, &got, buf, &cb), ERROR_SUCCESS);
    EXPECT_EQ(got, static_cast<DWORD>(std::stoul(type)));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf.data()), cb), data);
    registry.RegCloseKey(handle);
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

}  // namespace
}  // namespace tw::test
