// What the registry promises, run against the posix store natively and the real
// registry under Wine. Where the two differ, Windows is right.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "contract/registry_test_env.h"
#include "platform/winconst.h"

namespace tw::test {
namespace {

constexpr BYTE kSentinel = 0xAA;

std::span<const BYTE> Bytes(std::string_view s) { return {reinterpret_cast<const BYTE*>(s.data()), s.size()}; }

class RegistryContract : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = RegistryEnv::Make();
    reg_ = &env_->Registry();
    ASSERT_EQ(reg_->RegOpenKeyExA(HKEY_LOCAL_MACHINE, env_->Base(), 0, KEY_ALL_ACCESS, &base_), ERROR_SUCCESS)
        << env_->Base();
  }
  void TearDown() override {
    if (base_) reg_->RegCloseKey(base_);
    env_.reset();
  }

  HKEY Create(std::string_view path, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(reg_->RegCreateKeyExA(base_, path, 0, "Tarnwick", REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &key,
                                    disposition),
              ERROR_SUCCESS)
        << path;
    return key;
  }
  void MakeKey(std::string_view path) { reg_->RegCloseKey(Create(path)); }
  LONG Open(std::string_view path, REGSAM sam, HKEY* key) { return reg_->RegOpenKeyExA(base_, path, 0, sam, key); }
  bool Exists(std::string_view path) {
    HKEY key = nullptr;
    if (Open(path, KEY_READ, &key) != ERROR_SUCCESS) return false;
    reg_->RegCloseKey(key);
    return true;
  }
  std::string Enum(HKEY key, DWORD index, LONG* rc) {
    std::array<char, 1024> name{};
    DWORD cch = name.size();
    *rc = reg_->RegEnumKeyExA(key, index, name, &cch);
    return *rc == ERROR_SUCCESS ? std::string(name.data(), cch) : std::string();
  }

  std::unique_ptr<RegistryEnv> env_;
  IRegistry* reg_ = nullptr;
  HKEY base_ = nullptr;
};

TEST_F(RegistryContract, CreateMakesMissingParentsAndOpenFindsThem) {
  HKEY absent = nullptr;
  EXPECT_EQ(Open("Tarnwick", KEY_READ, &absent), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Open("Missing\\Deeper", KEY_READ, &absent), ERROR_FILE_NOT_FOUND);

  DWORD disposition = 0;
  HKEY key = Create("ZO Daruzura\\Tarnwick\\2.11b", &disposition);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  EXPECT_EQ(reg_->RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_TRUE(Exists("ZO Daruzura"));
  EXPECT_TRUE(Exists("ZO Daruzura\\Tarnwick"));
  EXPECT_TRUE(Exists("ZO Daruzura\\Tarnwick\\2.11b\\"));  // a trailing backslash is accepted

  key = Create("zo daruzura\\TARNWICK\\2.11B", &disposition);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  reg_->RegCloseKey(key);

  HKEY again = nullptr;
  ASSERT_EQ(Open("", KEY_READ, &again), ERROR_SUCCESS) << "\"\" opens the key itself";
  LONG rc = 0;
  EXPECT_EQ(Enum(again, 0, &rc), "ZO Daruzura");
  EXPECT_NE(again, base_);
  reg_->RegCloseKey(again);
}

TEST_F(RegistryContract, NamesMatchInAnyCaseAndKeysKeepTheirOwn) {
  HKEY key = Create("App Paths\\Tarnwick.exe");
  ASSERT_EQ(reg_->RegSetValueExA(key, "Path", 0, REG_SZ, Bytes(std::string_view("C:\\T\0", 5))), ERROR_SUCCESS);
  ASSERT_EQ(reg_->RegSetValueExA(key, "PATH", 0, REG_SZ, Bytes(std::string_view("C:\\U\0", 5))), ERROR_SUCCESS);
  reg_->RegCloseKey(key);

  HKEY other = nullptr;
  ASSERT_EQ(Open("APP PATHS\\tarnwick.EXE", KEY_READ, &other), ERROR_SUCCESS);
  std::array<BYTE, 16> buf{};
  DWORD cb = buf.size();
  EXPECT_EQ(reg_->RegQueryValueExA(other, "path", nullptr, buf, &cb), ERROR_SUCCESS);
  EXPECT_STREQ(reinterpret_cast<char*>(buf.data()), "C:\\U") << "one value, whatever the case";
  reg_->RegCloseKey(other);

  HKEY parent = nullptr;
  ASSERT_EQ(Open("app paths", KEY_READ, &parent), ERROR_SUCCESS);
  LONG rc = 0;
  EXPECT_EQ(Enum(parent, 0, &rc), "Tarnwick.exe");
  EXPECT_EQ(Enum(parent, 1, &rc), "");
  EXPECT_EQ(rc, ERROR_NO_MORE_ITEMS);
  reg_->RegCloseKey(parent);
}

TEST_F(RegistryContract, QueryNeverWritesPastTheBufferItIsGiven) {
  const std::string text(300, 'x');  // 301 bytes with its NUL: longer than the installer's 260
  ASSERT_EQ(reg_->RegSetValueExA(base_, "Long", 0, REG_SZ, Bytes(std::string_view(text.c_str(), 301))),
            ERROR_SUCCESS);
  ASSERT_EQ(reg_->RegSetValueExA(base_, "Path", 0, REG_SZ, Bytes(std::string_view("abc\0", 4))), ERROR_SUCCESS);
  struct Case {
    const char* name;
    std::size_t size;
    LONG rc;
    DWORD cb;
  };
  for (const Case& c : {Case{"Long", 260, ERROR_MORE_DATA, 301}, Case{"Path", 3, ERROR_MORE_DATA, 4},
                        Case{"Path", 4, ERROR_SUCCESS, 4}, Case{"Path", 5, ERROR_SUCCESS, 4},
                        Case{"Long", 301, ERROR_SUCCESS, 301}}) {
    SCOPED_TRACE(std::string(c.name) + " into " + std::to_string(c.size) + " bytes");
    std::vector<BYTE> buf(c.size + 64, kSentinel);
    DWORD cb = 12345, type = 99;
    EXPECT_EQ(reg_->RegQueryValueExA(base_, c.name, &type, std::span(buf).first(c.size), &cb), c.rc);
    EXPECT_EQ(cb, c.cb);
    EXPECT_EQ(type, REG_SZ);
    for (std::size_t i = c.size; i < buf.size(); ++i) {
      ASSERT_EQ(buf[i], kSentinel) << "byte " << i;
    }
    if (c.rc == ERROR_SUCCESS) {
      EXPECT_EQ(buf[c.cb - 1], 0);
    }
  }
  DWORD cb = 0, type = 0;
  EXPECT_EQ(reg_->RegQueryValueExA(base_, "Long", &type, {}, &cb), ERROR_SUCCESS) << "an empty buffer asks the size";
  EXPECT_EQ(cb, 301u);
  EXPECT_EQ(reg_->RegQueryValueExA(base_, "Long", nullptr, {}, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(reg_->RegQueryValueExA(base_, "Absent", nullptr, {}, &cb), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryContract, AStringStoredWithoutItsNulComesBackAsStored) {
  const char bytes[] = "abcX";  // the byte after the three counted ones is not a NUL
  ASSERT_EQ(reg_->RegSetValueExA(base_, "NoNul", 0, REG_SZ, Bytes(std::string_view(bytes, 3))), ERROR_SUCCESS);
  // Nor may the registry look past the data when that byte is a NUL.
  ASSERT_EQ(reg_->RegSetValueExA(base_, "NulAfter", 0, REG_SZ, Bytes(std::string_view("abc\0", 3))), ERROR_SUCCESS);
  for (const char* name : {"NoNul", "NulAfter"}) {
    SCOPED_TRACE(name);
    DWORD cb = 0;
    EXPECT_EQ(reg_->RegQueryValueExA(base_, name, nullptr, {}, &cb), ERROR_SUCCESS);
    EXPECT_EQ(cb, 3u);

    std::array<BYTE, 8> exact;
    exact.fill(kSentinel);
    cb = 3;
    EXPECT_EQ(reg_->RegQueryValueExA(base_, name, nullptr, std::span(exact).first(3), &cb), ERROR_SUCCESS);
    EXPECT_EQ(cb, 3u);
    EXPECT_EQ(std::memcmp(exact.data(), "abc", 3), 0);
    EXPECT_EQ(exact[3], kSentinel) << "no room: no terminator";

    std::array<BYTE, 8> roomy;
    roomy.fill(kSentinel);
    EXPECT_EQ(reg_->RegQueryValueExA(base_, name, nullptr, std::span(roomy).first(6), &cb), ERROR_SUCCESS);
    EXPECT_EQ(cb, 3u) << "the terminator is not counted";
    EXPECT_EQ(std::memcmp(roomy.data(), "abc", 4), 0) << "a terminator where there is room";
    EXPECT_EQ(roomy[4], kSentinel);
  }
  std::array<BYTE, 8> binary;
  binary.fill(kSentinel);
  ASSERT_EQ(reg_->RegSetValueExA(base_, "Bin", 0, REG_BINARY, Bytes("abc")), ERROR_SUCCESS);
  DWORD cb = 0;
  EXPECT_EQ(reg_->RegQueryValueExA(base_, "Bin", nullptr, binary, &cb), ERROR_SUCCESS);
  EXPECT_EQ(binary[3], kSentinel) << "only strings get a terminator";
}

TEST_F(RegistryContract, TypesAndTheDefaultValueAreKept) {
  DWORD cb = 0;
  EXPECT_EQ(reg_->RegQueryValueExA(base_, "", nullptr, {}, &cb), ERROR_FILE_NOT_FOUND) << "no default value yet";
  struct Case {
    const char* name;
    DWORD type;
    std::string_view data;
  };
  const Case cases[] = {
      {"", REG_SZ, std::string_view("1700000000\0", 11)},
      {"Dword", REG_DWORD, std::string_view("\x2a\0\0\0", 4)},
      {"Binary", REG_BINARY, std::string_view("\x01\x02\xff\0\x7f", 5)},
      {"Expand", REG_EXPAND_SZ, std::string_view("%SystemRoot%\\a\0", 15)},
      {"Multi", REG_MULTI_SZ, std::string_view("one\0two\0\0", 9)},
      {"Empty", REG_SZ, std::string_view("\0", 1)},
      {"a\\b", REG_SZ, std::string_view("backslash in a value name\0", 26)},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(reg_->RegSetValueExA(base_, c.name, 0, c.type, Bytes(c.data)), ERROR_SUCCESS);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("value \"") + c.name + "\"");
    std::array<BYTE, 64> buf;
    buf.fill(kSentinel);
    DWORD type = 99;
    cb = 0;
    ASSERT_EQ(reg_->RegQueryValueExA(base_, c.name, &type, buf, &cb), ERROR_SUCCESS);
    EXPECT_EQ(type, c.type);
    ASSERT_EQ(cb, c.data.size());
    EXPECT_EQ(std::string_view(reinterpret_cast<char*>(buf.data()), cb), c.data);
  }
  EXPECT_FALSE(Exists("a")) << "a value name may hold a backslash; it makes no key";
  cb = 0;
  EXPECT_EQ(reg_->RegQueryValueExA(base_, "A\\B", nullptr, {}, &cb), ERROR_SUCCESS);
}

TEST_F(RegistryContract, AKeyWithChildrenCannotBeDeleted) {
  MakeKey("Uninstall\\Tarnwick 1.10\\Inner");
  HKEY parent = nullptr;
  ASSERT_EQ(Open("Uninstall", KEY_WRITE, &parent), ERROR_SUCCESS);
  EXPECT_EQ(reg_->RegDeleteKeyA(parent, "Tarnwick 1.10"), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(Exists("Uninstall\\Tarnwick 1.10\\Inner"));
  EXPECT_EQ(reg_->RegDeleteKeyA(parent, "TARNWICK 1.10\\inner"), ERROR_SUCCESS);
  EXPECT_EQ(reg_->RegDeleteKeyA(parent, "tarnwick 1.10"), ERROR_SUCCESS);
  EXPECT_FALSE(Exists("Uninstall\\Tarnwick 1.10"));
  EXPECT_EQ(reg_->RegDeleteKeyA(parent, "Tarnwick 1.10"), ERROR_FILE_NOT_FOUND);
  reg_->RegCloseKey(parent);
}

TEST_F(RegistryContract, IndexZeroNamesAChildUntilNoneIsLeft) {
  const std::set<std::string> made = {"1.10", "1.11", "1.12", "2.11b"};
  for (const std::string& name : made) MakeKey("Tarnwick\\" + name);
  HKEY parent = nullptr;
  ASSERT_EQ(Open("Tarnwick", KEY_WRITE, &parent), ERROR_SUCCESS);
  HKEY lister = nullptr;
  ASSERT_EQ(Open("Tarnwick", DELETE | KEY_ENUMERATE_SUB_KEYS, &lister), ERROR_SUCCESS);
  std::set<std::string> seen;
  LONG rc = ERROR_SUCCESS;
  for (int round = 0; round < 10; ++round) {
    std::string name = Enum(lister, 0, &rc);
    if (rc != ERROR_SUCCESS) break;
    EXPECT_TRUE(seen.insert(name).second) << name << " named twice";
    ASSERT_EQ(reg_->RegDeleteKeyA(parent, name), ERROR_SUCCESS) << name;
  }
  EXPECT_EQ(rc, ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(seen, made);
  reg_->RegCloseKey(lister);
  reg_->RegCloseKey(parent);
}

TEST_F(RegistryContract, EnumerationNeedsRoomForTheNameAndItsNul) {
  MakeKey("Parent\\Child");
  HKEY parent = nullptr;
  ASSERT_EQ(Open("Parent", KEY_READ, &parent), ERROR_SUCCESS);
  for (DWORD room : {4u, 5u, 6u}) {
    SCOPED_TRACE("room for " + std::to_string(room));
    std::array<char, 8> name;
    name.fill('Z');
    DWORD cch = room;
    LONG rc = reg_->RegEnumKeyExA(parent, 0, std::span(name).first(room), &cch);
    if (room <= 5) {
      EXPECT_EQ(rc, ERROR_MORE_DATA);
    } else {
      EXPECT_EQ(rc, ERROR_SUCCESS);
      EXPECT_EQ(cch, 5u);
      EXPECT_STREQ(name.data(), "Child");
    }
    for (std::size_t i = room; i < name.size(); ++i) {
      EXPECT_EQ(name[i], 'Z') << "byte " << i;
    }
  }
  reg_->RegCloseKey(parent);
}

TEST_F(RegistryContract, AHandleOfADeletedKeyFailsUntilClosed) {
  HKEY doomed = Create("Doomed");
  ASSERT_EQ(reg_->RegSetValueExA(doomed, "v", 0, REG_SZ, Bytes(std::string_view("x\0", 2))), ERROR_SUCCESS);
  // DeleteKeyTree deletes a key while its own handle is still open.
  ASSERT_EQ(reg_->RegDeleteKeyA(base_, "Doomed"), ERROR_SUCCESS);
  MakeKey("Doomed");  // a new key of the same name is another key
  DWORD cb = 0;
  EXPECT_EQ(reg_->RegQueryValueExA(doomed, "v", nullptr, {}, &cb), ERROR_KEY_DELETED);
  EXPECT_EQ(reg_->RegSetValueExA(doomed, "v", 0, REG_SZ, Bytes(std::string_view("y\0", 2))), ERROR_KEY_DELETED);
  LONG rc = 0;
  Enum(doomed, 0, &rc);
  EXPECT_EQ(rc, ERROR_KEY_DELETED);
  HKEY child = nullptr;
  EXPECT_EQ(reg_->RegOpenKeyExA(doomed, "", 0, KEY_READ, &child), ERROR_KEY_DELETED);
  EXPECT_EQ(reg_->RegCloseKey(doomed), ERROR_SUCCESS);
  EXPECT_EQ(reg_->RegCloseKey(doomed), ERROR_INVALID_HANDLE);
  EXPECT_EQ(reg_->RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
  EXPECT_EQ(reg_->RegQueryValueExA(base_, "v", nullptr, {}, &cb), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryContract, EachHandleHasOnlyTheAccessItAskedFor) {
  MakeKey("Keys\\Child");
  ASSERT_EQ(reg_->RegSetValueExA(base_, "v", 0, REG_SZ, Bytes(std::string_view("x\0", 2))), ERROR_SUCCESS);
  HKEY reader = nullptr, writer = nullptr, emptier = nullptr;
  ASSERT_EQ(Open("", KEY_READ, &reader), ERROR_SUCCESS);
  ASSERT_EQ(Open("", KEY_WRITE, &writer), ERROR_SUCCESS);
  ASSERT_EQ(Open("Keys", DELETE | KEY_ENUMERATE_SUB_KEYS, &emptier), ERROR_SUCCESS);
  DWORD cb = 0;
  LONG rc = 0;
  EXPECT_EQ(reg_->RegSetValueExA(reader, "w", 0, REG_SZ, Bytes(std::string_view("x\0", 2))), ERROR_ACCESS_DENIED);
  EXPECT_EQ(reg_->RegQueryValueExA(writer, "v", nullptr, {}, &cb), ERROR_ACCESS_DENIED);
  Enum(writer, 0, &rc);
  EXPECT_EQ(rc, ERROR_ACCESS_DENIED);
  EXPECT_EQ(reg_->RegQueryValueExA(emptier, "v", nullptr, {}, &cb), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Enum(emptier, 0, &rc), "Child");
  EXPECT_EQ(reg_->RegDeleteKeyA(writer, "Keys\\Child"), ERROR_SUCCESS);
  EXPECT_EQ(reg_->RegSetValueExA(writer, "w", 0, REG_SZ, Bytes(std::string_view("x\0", 2))), ERROR_SUCCESS);
  EXPECT_EQ(reg_->RegQueryValueExA(reader, "w", nullptr, {}, &cb), ERROR_SUCCESS);
  for (HKEY key : {reader, writer, emptier}) {
    EXPECT_EQ(reg_->RegCloseKey(key), ERROR_SUCCESS);
  }
}

TEST_F(RegistryContract, OverlongAndMalformedPathsAreRefused) {
  const std::string path300 = "Deep\\" + std::string(295, 'k');
  const std::string name257(257, 'n');
  struct Case {
    std::string path;
    LONG rc;
  };
  for (const Case& c : {Case{path300, ERROR_MORE_DATA}, Case{name257, ERROR_INVALID_PARAMETER},
                        Case{"\\Leading", ERROR_BAD_PATHNAME}}) {
    SCOPED_TRACE(c.path.substr(0, 20) + "... (" + std::to_string(c.path.size()) + " characters)");
    HKEY key = nullptr;
    EXPECT_EQ(reg_->RegCreateKeyExA(base_, c.path, 0, "", 0, KEY_ALL_ACCESS, &key, nullptr), c.rc);
    EXPECT_EQ(Open(c.path, KEY_READ, &key), c.rc);
    EXPECT_EQ(reg_->RegDeleteKeyA(base_, c.path), c.rc);
  }
  EXPECT_FALSE(Exists("Deep"));
  EXPECT_FALSE(Exists(name257.substr(0, 256)));
  MakeKey(std::string(256, 'k'));  // the longest name accepted
  EXPECT_TRUE(Exists(std::string(256, 'K')));
  EXPECT_EQ(reg_->RegSetValueExA(base_, std::string(16384, 'v'), 0, REG_SZ, Bytes(std::string_view("x\0", 2))),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(reg_->RegSetValueExA(base_, std::string(16383, 'v'), 0, REG_SZ, Bytes(std::string_view("x\0", 2))),
            ERROR_SUCCESS);
}

TEST_F(RegistryContract, AnotherRegistrySeesTheChanges) {
  HKEY key = Create("Shared");
  ASSERT_EQ(reg_->RegSetValueExA(key, "Who", 0, REG_SZ, Bytes(std::string_view("first\0", 6))), ERROR_SUCCESS);
  auto other = env_->Another();
  HKEY seen = nullptr;
  ASSERT_EQ(other->RegOpenKeyExA(HKEY_LOCAL_MACHINE, env_->Base() + "\\shared", 0, KEY_ALL_ACCESS, &seen),
            ERROR_SUCCESS);
  std::array<BYTE, 16> buf{};
  DWORD cb = 0;
  EXPECT_EQ(other->RegQueryValueExA(seen, "who", nullptr, buf, &cb), ERROR_SUCCESS);
  EXPECT_STREQ(reinterpret_cast<char*>(buf.data()), "first");
  ASSERT_EQ(other->RegSetValueExA(seen, "Who", 0, REG_SZ, Bytes(std::string_view("second\0", 7))), ERROR_SUCCESS);
  other->RegCloseKey(seen);
  EXPECT_EQ(reg_->RegQueryValueExA(key, "Who", nullptr, buf, &cb), ERROR_SUCCESS);
  EXPECT_STREQ(reinterpret_cast<char*>(buf.data()), "second");
  reg_->RegCloseKey(key);
}

}  // namespace
}  // namespace tw::test
