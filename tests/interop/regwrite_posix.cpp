// Writes a registry file through PosixRegistry and, beside it, the list of
// values it holds, so that a registry editor can import the file and a program
// on the other side can check what arrived.
//
//   tw_regwrite <new registry file> <expectations file>
//
// Each expectation line: key path, value name, type (decimal), data; the texts
// and the data in hex, separated by tabs.
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/registry_posix.h"
#include "platform/winconst.h"

namespace {

struct Value {
  std::string key;
  std::string name;
  tw::DWORD type;
  std::string data;
};

std::string Hex(std::string_view bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

std::vector<Value> Values() {
  const std::string top = "SOFTWARE\\TarnwickInterop\\Tarnwick";
  std::string binary;
  for (int i = 0; i < 300; ++i) binary += static_cast<char>(i * 13);
  using namespace std::string_literals;
  return {
      {top, "", tw::REG_SZ, "1700000000\0"s},
      {top, "Path", tw::REG_SZ, "C:\\Program Files\\Tarnwick\0"s},
      {top, "Quote", tw::REG_SZ, "say \"hi\" \\ end\\\0"s},
      {top, "Spaces", tw::REG_SZ, "  leading and trailing  \0"s},
      {top, "Name \"quoted\" \\ back", tw::REG_SZ, "x\0"s},
      {top, "Empty", tw::REG_SZ, "\0"s},
      {top, "Dword", tw::REG_DWORD, "\x2a\0\0\0"s},
      {top, "Binary", tw::REG_BINARY, binary},
      {top, "Expand", tw::REG_EXPAND_SZ, "%SystemRoot%\\a\0"s},
      {top, "Multi", tw::REG_MULTI_SZ, "one\0two\0\0"s},
      {top + "\\Nested Key\\Deeper", "a", tw::REG_SZ, "b\0"s},
      {"SOFTWARE\\TarnwickInterop\\App Paths\\Tarnwick.exe", "", tw::REG_SZ,
       "C:\\Program Files\\Tarnwick\\Tarnwick.exe\0"s},
  };
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tw_regwrite <new registry file> <expectations file>\n");
    return 2;
  }
  const std::filesystem::path file = argv[1];
  if (std::filesystem::exists(file)) {
    std::fprintf(stderr, "tw_regwrite: %s exists already\n", argv[1]);
    return 2;
  }
  std::FILE* expect = std::fopen(argv[2], "wb");
  if (!expect) {
    std::perror(argv[2]);
    return 2;
  }
  tw::posix::PosixRegistry registry(file);
  int failures = 0;
  for (const Value& v : Values()) {
    tw::HKEY key = nullptr;
    tw::LONG rc = registry.RegCreateKeyExA(tw::HKEY_LOCAL_MACHINE, v.key, 0, "", tw::REG_OPTION_NON_VOLATILE,
                                           tw::KEY_WRITE, &key, nullptr);
    if (rc == tw::ERROR_SUCCESS) {
      rc = registry.RegSetValueExA(key, v.name, 0, v.type,
                                   {reinterpret_cast<const tw::BYTE*>(v.data.data()), v.data.size()});
      registry.RegCloseKey(key);
    }
    if (rc != tw::ERROR_SUCCESS) {
      std::fprintf(stderr, "tw_regwrite: %s \"%s\": error %d\n", v.key.c_str(), v.name.c_str(), rc);
      ++failures;
    }
    std::fprintf(expect, "%s\t%s\t%u\t%s\n", Hex(v.key).c_str(), Hex(v.name).c_str(), v.type, Hex(v.data).c_str());
  }
  return std::fclose(expect) == 0 && failures == 0 ? 0 : 1;
}
