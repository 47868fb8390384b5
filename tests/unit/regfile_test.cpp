// The REGEDIT4 file model: what the writer emits, what the parser accepts and
// what it refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/posix/regfile.h"
#include "platform/winconst.h"

namespace tw::posix {
namespace {

std::vector<BYTE> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

void ExpectSameTree(const RegKey& a, const RegKey& b, const std::string& where) {
  EXPECT_EQ(a.name, b.name) << where;
  ASSERT_EQ(a.values.size(), b.values.size()) << where;
  for (std::size_t i = 0; i < a.values.size(); ++i) {
    EXPECT_EQ(a.values[i].name, b.values[i].name) << where;
    EXPECT_EQ(a.values[i].type, b.values[i].type) << where << " value " << a.values[i].name;
    EXPECT_EQ(a.values[i].data, b.values[i].data) << where << " value " << a.values[i].name;
  }
  ASSERT_EQ(a.children.size(), b.children.size()) << where;
  for (auto ia = a.children.begin(), ib = b.children.begin(); ia != a.children.end(); ++ia, ++ib)
    ExpectSameTree(*ia->second, *ib->second, where + "\\" + ia->second->name);
}

RegKey Parse(std::string_view text) {
  RegKey root;
  RegFileError error;
  EXPECT_TRUE(ParseRegFile(text, root, error)) << "line " << error.line << ": " << error.what;
  return root;
}

TEST(RegFile, EveryKindOfValueComesBackByteForByte) {
  struct Case {
    const char* name;
    DWORD type;
    std::vector<BYTE> data;
  };
  std::vector<BYTE> longBinary(300);
  for (std::size_t i = 0; i < longBinary.size(); ++i) longBinary[i] = static_cast<BYTE>(i * 7);
  const std::vector<Case> cases = {
      {"", REG_SZ, Bytes(std::string_view("default\0", 8))},
      {"sz", REG_SZ, Bytes(std::string_view("C:\\Program Files\\Tarnwick \"2\"\0", 31))},
      {"sz without NUL", REG_SZ, Bytes("abc")},
      {"sz empty", REG_SZ, {}},
      {"sz only NUL", REG_SZ, {0}},
      {"sz inner NUL", REG_SZ, Bytes(std::string_view("a\0b\0", 4))},
      {"sz line ends", REG_SZ, Bytes(std::string_view("one\r\ntwo\0", 9))},
      {"sz two NULs", REG_SZ, Bytes(std::string_view("x\0\0", 3))},
      {"sz 8-bit", REG_SZ, Bytes(std::string_view("Z\xfcrich \xe9t\xe9\0", 11))},
      {"expand", REG_EXPAND_SZ, Bytes(std::string_view("%SystemRoot%\\a\0", 15))},
      {"multi", REG_MULTI_SZ, Bytes(std::string_view("one\0two\0\0", 9))},
      {"binary", REG_BINARY, {0x01, 0x02, 0xff}},
      {"binary empty", REG_BINARY, {}},
      {"binary long", REG_BINARY, longBinary},
      {"dword", REG_DWORD, {0x2a, 0, 0, 0x80}},
      {"dword short", REG_DWORD, {1, 2, 3}},
      {"qword", 11, {1, 0, 0, 0, 0, 0, 0, 0}},
      {"none", REG_NONE, {}},
      {"odd type", 0x12345678, {9}},
      {"name \\ \"quoted\"\r\n", REG_SZ, {'v', 0}},
      {"Name With Case", REG_SZ, {'x', 0}},
  };
  RegKey root;
  RegKey& key = root.AddChild("SOFTWARE").AddChild("Tarnwick Tests");
  for (const Case& c : cases) key.SetValue(c.name, c.type, c.data);
  key.AddChild("Empty Child");
  root.SetValue("at root", REG_SZ, {'r', 0});

  std::string text = WriteRegFile(root);
  RegKey back = Parse(text);
  ExpectSameTree(root, back, "HKLM");
  EXPECT_EQ(WriteRegFile(back), text) << "writing what was read changes nothing";
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n') {
      ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at byte " << i;
    }
}

TEST(RegFile, WritesWhatRegeditImports) {
  RegKey root;
  RegKey& key = root.AddChild("SOFTWARE").AddChild("ZO Daruzura");
  key.SetValue("", REG_SZ, Bytes(std::string_view("1700000000\0", 11)));
  key.SetValue("Path", REG_SZ, Bytes(std::string_view("C:\\Program Files\\Tarnwick\0", 26)));
  key.SetValue("Say \"hi\"", REG_SZ, Bytes(std::string_view("\"quoted\" \\ end\0", 15)));
  key.SetValue("Count", REG_DWORD, {0x2a, 0, 0, 0});
  key.SetValue("Raw", REG_SZ, Bytes("ab"));
  key.SetValue("Bin", REG_BINARY, {0x01, 0xab});
  key.AddChild("Sub");
  EXPECT_EQ(WriteRegFile(root),
            "REGEDIT4\r\n"
            "\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"
            "\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ZO Daruzura]\r\n"
            "@=\"1700000000\"\r\n"
            "\"Path\"=\"C:\\\\Program Files\\\\Tarnwick\"\r\n"
            "\"Say \\\"hi\\\"\"=\"\\\"quoted\\\" \\\\ end\"\r\n"
            "\"Count\"=dword:0000002a\r\n"
            "\"Raw\"=hex(1):61,62\r\n"
            "\"Bin\"=hex:01,ab\r\n"
            "\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ZO Daruzura\\Sub]\r\n"
            "\r\n");
  EXPECT_EQ(WriteRegFile(RegKey{}), "REGEDIT4\r\n\r\n");
}

TEST(RegFile, LongHexIsContinuedWithinEightyColumns) {
  RegKey root;
  root.AddChild("K").SetValue("v", REG_BINARY, std::vector<BYTE>(100, 0xab));
  std::string text = WriteRegFile(root);
  std::size_t start = 0, lines = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
    start = end + 2;
    ++lines;
  }
  EXPECT_GT(lines, 6u);
}

TEST(RegFile, AcceptsWhatImportersAccept) {
  const std::string text =
      "  REGEDIT4\n"
      "; a comment\n"
      "# another\n"
      "[hkey_local_machine\\Software\\Test\\]   ; trailing comment\n"
      "@ = \"Default value\"\n"
      "\"Spaces\"  =  \"around equals\" ; comment\n"
      "\t\"Tabbed\"=\"x\"\r\n"
      "\"DwordShort\"=dword:ff\r"
      "\"Upper\"=dword:FFFFFFFF\n"
      "\"Continued\"=hex:00,01,02,\\\n"
      "\n"
      "  ; comment between\n"
      "  03,04 ; end\n"
      "\"Q\"=hex(b):01,00,00,00,00,00,00,00\n"
      "\"N\"=hex(0):\n"
      "\"Esc\"=\"a\\tb\\nc\"\n"
      "\"Gone\"=\"soon\"\n"
      "\"GONE\"=-\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Test\\Doomed]\n"
      "\"z\"=\"z\"\n"
      "[-HKEY_LOCAL_MACHINE\\Software\\Test\\Doomed]\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TEST\\\\Sub]\n"
      "\"a\"=\"b\"";  // no final line end
  RegKey root = Parse(text);
  const RegKey* test = root.FindChild("software") ? root.FindChild("software")->FindChild("test") : nullptr;
  ASSERT_NE(test, nullptr);
  EXPECT_EQ(test->name, "Test");
  auto data = [&](std::string_view name) {
    const RegValue* v = test->FindValue(name);
    return v ? v->data : std::vector<BYTE>{0xEE};
  };
  EXPECT_EQ(data(""), Bytes(std::string_view("Default value\0", 14)));
  EXPECT_EQ(data("spaces"), Bytes(std::string_view("around equals\0", 14)));
  EXPECT_EQ(data("Tabbed"), Bytes(std::string_view("x\0", 2)));
  EXPECT_EQ(data("DwordShort"), (std::vector<BYTE>{0xff, 0, 0, 0}));
  EXPECT_EQ(data("Upper"), (std::vector<BYTE>{0xff, 0xff, 0xff, 0xff}));
  EXPECT_EQ(data("Continued"), (std::vector<BYTE>{0, 1, 2, 3, 4}));
  EXPECT_EQ(test->FindValue("Q")->type, 11u);
  EXPECT_EQ(test->FindValue("N")->type, REG_NONE);
  EXPECT_TRUE(data("N").empty());
  EXPECT_EQ(data("Esc"), Bytes(std::string_view("atb\nc\0", 6)));
  EXPECT_EQ(test->FindValue("Gone"), nullptr);
  EXPECT_EQ(test->FindChild("Doomed"), nullptr);
  ASSERT_NE(test->FindChild("sub"), nullptr);
  EXPECT_EQ(test->FindChild("sub")->FindValue("a")->data, Bytes(std::string_view("b\0", 2)));
}

TEST(RegFile, RefusesDamageWithTheLineAtFault) {
  struct Case {
    const char* label;
    std::string text;
    int line;
    const char* what;
  };
  const std::string head = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n";
  const std::vector<Case> cases = {
      {"empty file", "", 1, "empty"},
      {"wrong header", "regedit4\r\n", 1, "REGEDIT4"},
      {"header with trailing blank", "REGEDIT4 \r\n", 1, "REGEDIT4"},
      {"version 5 header", "Windows Registry Editor Version 5.00\r\n", 1, "REGEDIT4"},
      {"UTF-8 mark", "\xEF\xBB\xBFREGEDIT4\r\n", 1, "byte-order"},
      {"garbage line", head + "\"a\"=\"b\"\r\nhello world\r\n", 5, "unexpected text"},
      {"binary junk", head + "\x01\x02\x03\r\n", 4, "unexpected text"},
      {"NUL byte", head + std::string("\"a\"=\"b\0c\"\r\n", 11), 4, "NUL"},
      {"unterminated string", head + "\"a\"=\"b\r\n", 4, "closing quote"},
      {"unterminated name", head + "\"a=\"b\"\r\n", 4, "'='"},
      {"truncated key line", head + "[HKEY_LOCAL_MACHINE\\Trunc", 4, "closing ]"},
      {"value before any key", "REGEDIT4\r\n\"a\"=\"b\"\r\n", 2, "outside any key"},
      {"other root", "REGEDIT4\r\n[HKEY_CURRENT_USER\\X]\r\n", 2, "HKEY_LOCAL_MACHINE"},
      {"abbreviated root", "REGEDIT4\r\n[HKLM\\X]\r\n", 2, "HKEY_LOCAL_MACHINE"},
      {"blank after [", "REGEDIT4\r\n[ HKEY_LOCAL_MACHINE\\X]\r\n", 2, "HKEY_LOCAL_MACHINE"},
      {"upper-case dword tag", head + "\"d\"=DWORD:2\r\n", 4, "unknown"},
      {"nine dword digits", head + "\"d\"=dword:100000000\r\n", 4, "1 to 8"},
      {"negative dword", head + "\"d\"=dword:-1\r\n", 4, "1 to 8"},
      {"str: form", head + "\"s\"=str:\"y\"\r\n", 4, "unknown"},
      {"bad hex byte", head + "\"h\"=hex:01,zz\r\n", 4, "bad byte"},
      {"three-digit hex byte", head + "\"h\"=hex:123\r\n", 4, "bad byte"},
      {"bad hex type", head + "\"h\"=hex(zz):01\r\n", 4, "hex(type)"},
      {"file ends mid continuation", head + "\"h\"=hex:01,\\\r\n", 5, "ends inside"},
      {"continuation of junk", head + "\"h\"=hex:01,\\\r\n  zz\r\n", 5, "continuation"},
      {"text after key", head + "[HKEY_LOCAL_MACHINE\\X] junk\r\n", 4, "after the key"},
      {"text after string", head + "\"a\"=\"b\" junk\r\n", 4, "after the string"},
      {"overlong key name", head + "[HKEY_LOCAL_MACHINE\\" + std::string(257, 'k') + "]\r\n", 4, "256"},
  };
  for (const Case& c : cases) {
    RegKey root;
    root.AddChild("left over");
    RegFileError error;
    EXPECT_FALSE(ParseRegFile(c.text, root, error)) << c.label;
    EXPECT_EQ(error.line, c.line) << c.label << ": " << error.what;
    EXPECT_NE(error.what.find(c.what), std::string::npos) << c.label << ": " << error.what;
    EXPECT_TRUE(root.children.empty()) << c.label << ": a refused file leaves no half tree";
  }
}

TEST(RegFile, NamesCompareWithoutCaseAndKeepTheirOwn) {
  RegKey root;
  bool created = false;
  RegKey& a = root.AddChild("Software", &created);
  EXPECT_TRUE(created);
  EXPECT_EQ(&root.AddChild("SOFTWARE", &created), &a);
  EXPECT_FALSE(created);
  EXPECT_EQ(a.name, "Software");
  a.SetValue("Path", REG_SZ, {'1', 0});
  a.SetValue("PATH", REG_SZ, {'2', 0});
  ASSERT_EQ(a.values.size(), 1u);
  EXPECT_EQ(a.values[0].name, "Path");
  EXPECT_EQ(a.values[0].data, (std::vector<BYTE>{'2', 0}));
  // Children are listed in the order the platform enumerates them.
  for (const char* name : {"b", "A", "c", "_u", "Z1"}) a.AddChild(name);
  std::vector<std::string> order;
  for (const auto& [name, child] : a.children) order.push_back(child->name);
  EXPECT_EQ(order, (std::vector<std::string>{"_u", "A", "b", "c", "Z1"}));
}

}  // namespace
}  // namespace tw::posix
