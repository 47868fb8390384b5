#include "platform/posix/regfile.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace tw::posix {

namespace {

constexpr DWORD kRegSz = 1;
constexpr DWORD kRegBinary = 3;
constexpr DWORD kRegDword = 4;
constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE";

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One line of the file at a time, with its number, continuation lines included.
class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text) {}

  bool Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    std::size_t end = text_.find_first_of("\r\n", pos_);
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(pos_, end - pos_);
    pos_ = end;
    if (pos_ < text_.size()) {
      if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
      ++pos_;
    }
    ++number_;
    return true;
  }
  int Number() const { return number_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  int number_ = 0;
};

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

// What may follow a complete item on its line: blanks and a ';' comment.
bool OnlyCommentLeft(std::string_view rest) {
  rest = TrimLeft(rest);
  return rest.empty() || rest.front() == ';';
}

class Parser {
 public:
  Parser(std::string_view text, RegKey& root, RegFileError& error)
      : lines_(text), root_(root), error_(error) {}

  bool Run() {
    std::string_view line;
    if (!lines_.Next(line)) return Fail(1, "the file is empty (expected the REGEDIT4 header)");
    if (line.starts_with("\xEF\xBB\xBF") || line.starts_with("\xFF\xFE"))
      return Fail(1, "the file starts with a byte-order mark; only a plain REGEDIT4 file is kept here");
    if (TrimLeft(line) != "REGEDIT4") return Fail(1, "the first line is not the REGEDIT4 header");
    while (lines_.Next(line)) {
      std::string_view s = TrimLeft(line);
      if (s.empty() || s.front() == ';' || s.front() == '#') continue;
      bool ok = false;
      if (s.front() == '[') {
        ok = KeyLine(s);
      } else if (s.front() == '@' || s.front() == '"') {
        ok = ValueLine(s);
      } else {
        ok = Fail("unexpected text (not a key, a value or a comment)");
      }
      if (!ok) return false;
    }
    return true;
  }

 private:
  bool Fail(int line, std::string what) {
    error_.line = line;
    error_.what = std::move(what);
    return false;
  }
  bool Fail(std::string what) { return Fail(lines_.Number(), std::move(what)); }

  bool KeyLine(std::string_view s) {
    s.remove_prefix(1);
    bool remove = false;
    if (!s.empty() && s.front() == '-') {
      remove = true;
      s.remove_prefix(1);
    }
    std::size_t close = s.rfind(']');
    if (close == std::string_view::npos) return Fail("key line without its closing ]");
    if (!OnlyCommentLeft(s.substr(close + 1))) return Fail("unexpected text after the key name");
    std::string_view path = s.substr(0, close);

    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
      std::size_t end = path.find('\\', start);
      if (end == std::string_view::npos) end = path.size();
      if (end > start) parts.push_back(path.substr(start, end - start));
      start = end + 1;
    }
    if (parts.empty() || !NameEquals(parts.front(), kRoot))
      return Fail("key outside HKEY_LOCAL_MACHINE (only that root is kept in this file)");
    for (std::string_view part : parts)
      if (part.size() > kMaxKeyNameLength) return Fail("key name longer than 256 characters");

    if (remove) {
      current_ = nullptr;
      if (parts.size() == 1) return Fail("the whole of HKEY_LOCAL_MACHINE cannot be deleted");
      RegKey* parent = &root_;
      for (std::size_t i = 1; parent && i + 1 < parts.size(); ++i) parent = parent->FindChild(parts[i]);
      if (parent) {
        auto it = parent->children.find(parts.back());
        if (it != parent->children.end()) parent->children.erase(it);
      }
      return true;
    }
    RegKey* key = &root_;
    for (std::size_t i = 1; i < parts.size(); ++i) key = &key->AddChild(parts[i]);
    current_ = key;
    return true;
  }

  // A quoted string starting at s[0] == '"'. On success `s` is what follows it.
  bool Quoted(std::string_view& s, std::string& out) {
    out.clear();
    std::size_t i = 1;
    while (i < s.size()) {
      char c = s[i];
      if (c == '"') {
        s.remove_prefix(i + 1);
        return true;
      }
      if (c == '\\') {
        if (i + 1 >= s.size()) break;
        char e = s[i + 1];
        switch (e) {
          case 'n': out += '\n'; break;
          case 'r': out += '\r'; break;
          case '0': out += '\0'; break;
          default: out += e; break;  // \\ and \" and, as importers do, any other
        }
        i += 2;
        continue;
      }
      out += c;
      ++i;
    }
    return Fail("string without its closing quote");
  }

  bool ValueLine(std::string_view s) {
    std::string name;
    if (s.front() == '@') {
      s.remove_prefix(1);
    } else if (!Quoted(s, name)) {
      return false;
    }
    if (name.find('\0') != std::string::npos) return Fail("value name holding a NUL");
    if (name.size() > kMaxValueNameLength) return Fail("value name longer than 16383 characters");
    s = TrimLeft(s);
    if (s.empty() || s.front() != '=') return Fail("value without '='");
    s = TrimLeft(s.substr(1));
    if (!current_) return Fail("value outside any key");

    if (!s.empty() && s.front() == '"') {
      std::string text;
      if (!Quoted(s, text)) return false;
      if (!OnlyCommentLeft(s)) return Fail("unexpected text after the string");
      std::vector<BYTE> data(text.begin(), text.end());
      data.push_back(0);
      current_->SetValue(name, kRegSz, std::move(data));
      return true;
    }
    if (!s.empty() && s.front() == '-') {
      if (!OnlyCommentLeft(s.substr(1))) return Fail("unexpected text after '-'");
      current_->DeleteValue(name);
      return true;
    }
    if (s.starts_with("dword:")) {
      s.remove_prefix(6);
      DWORD v = 0;
      std::size_t n = 0;
      while (n < s.size() && HexDigit(s[n]) >= 0) {
        v = (v << 4) | static_cast<DWORD>(HexDigit(s[n]));
        ++n;
      }
      if (n == 0 || n > 8) return Fail("dword value needs 1 to 8 hex digits");
      if (!OnlyCommentLeft(s.substr(n))) return Fail("unexpected text after the dword value");
      std::vector<BYTE> data = {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8),
                                static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 24)};
      current_->SetValue(name, kRegDword, std::move(data));
      return true;
    }
    if (s.starts_with("hex")) {
      s.remove_prefix(3);
      DWORD type = kRegBinary;
      if (!s.empty() && s.front() == '(') {
        std::size_t close = s.find(')');
        if (close == std::string_view::npos || close == 1 || close > 9)
          return Fail("hex(type) needs 1 to 8 hex digits");
        type = 0;
        for (std::size_t i = 1; i < close; ++i) {
          int d = HexDigit(s[i]);
          if (d < 0) return Fail("hex(type) needs 1 to 8 hex digits");
          type = (type << 4) | static_cast<DWORD>(d);
        }
        s.remove_prefix(close + 1);
      }
      if (s.empty() || s.front() != ':') return Fail("hex value without ':'");
      s.remove_prefix(1);
      std::vector<BYTE> data;
      if (!HexList(s, data)) return false;
      current_->SetValue(name, type, std::move(data));
      return true;
    }
    return Fail("unknown kind of value data");
  }

  // Comma-separated bytes, continued on following lines after ",\".
  bool HexList(std::string_view s, std::vector<BYTE>& data) {
    for (;;) {
      s = TrimLeft(s);
      if (s.empty() || s.front() == ';') return true;
      int hi = HexDigit(s.front());
      if (hi < 0) return Fail("bad byte in hex data");
      unsigned byte = static_cast<unsigned>(hi);
      s.remove_prefix(1);
      if (!s.empty() && HexDigit(s.front()) >= 0) {
        byte = byte * 16 + static_cast<unsigned>(HexDigit(s.front()));
        s.remove_prefix(1);
      }
      data.push_back(static_cast<BYTE>(byte));
      s = TrimLeft(s);
      if (s.empty() || s.front() == ';') return true;
      if (s.front() != ',') return Fail("bad byte in hex data");
      s = TrimLeft(s.substr(1));
      if (!s.empty() && s.front() == '\\') {
        if (!TrimLeft(s.substr(1)).empty()) return Fail("unexpected text after the continuation mark");
        if (!Continuation(s)) return false;
      }
    }
  }

  bool Continuation(std::string_view& s) {
    std::string_view line;
    while (lines_.Next(line)) {
      std::string_view t = TrimLeft(line);
      if (t.empty() || t.front() == ';') continue;
      if (HexDigit(t.front()) < 0) return Fail("continuation line does not start with a hex byte");
      s = t;
      return true;
    }
    return Fail(lines_.Number() + 1, "the file ends inside a continued hex value");
  }

  Lines lines_;
  RegKey& root_;
  RegFileError& error_;
  RegKey* current_ = nullptr;
};

bool IsTextType(DWORD type) { return type == kRegSz; }

// A REG_SZ goes out as quoted text only when that reads back identically: one
// NUL, at the end, and no bytes a line cannot hold.
bool FitsQuoted(const RegValue& value) {
  if (!IsTextType(value.type) || value.data.empty() || value.data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < value.data.size(); ++i) {
    BYTE b = value.data[i];
    if (b < 0x20 && b != '\t') return false;
    if (b == 0x7F) return false;
  }
  return true;
}

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c; break;
    }
  }
  out += '"';
}

void AppendHex(std::string& out, const std::vector<BYTE>& data, std::size_t lineStart) {
  static const char kDigits[] = "0123456789abcdef";
  for (std::size_t i = 0; i < data.size(); ++i) {
    out += kDigits[data[i] >> 4];
    out += kDigits[data[i] & 15];
    if (i + 1 < data.size()) {
      out += ',';
      if (out.size() - lineStart >= 76) {
        out += "\\\r\n  ";
        lineStart = out.size() - 2;
      }
    }
  }
}

void AppendValue(std::string& out, const RegValue& value) {
  std::size_t lineStart = out.size();
  if (value.name.empty()) {
    out += '@';
  } else {
    AppendQuoted(out, value.name);
  }
  out += '=';
  if (FitsQuoted(value)) {
    AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1));
  } else if (value.type == kRegDword && value.data.size() == 4) {
    char buf[16];
    DWORD v = static_cast<DWORD>(value.data[0]) | static_cast<DWORD>(value.data[1]) << 8 |
              static_cast<DWORD>(value.data[2]) << 16 | static_cast<DWORD>(value.data[3]) << 24;
    std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<unsigned>(v));
    out += buf;
  } else {
    if (value.type == kRegBinary) {
      out += "hex:";
    } else {
      char buf[24];
      std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(value.type));
      out += buf;
    }
    AppendHex(out, value.data, lineStart);
  }
  out += "\r\n";
}

void AppendKey(std::string& out, const RegKey& key, const std::string& path, bool isRoot) {
  if (!isRoot || !key.values.empty()) {
    out += '[';
    out += path;
    out += "]\r\n";
    for (const RegValue& value : key.values) AppendValue(out, value);
    out += "\r\n";
  }
  for (const auto& [name, child] : key.children) AppendKey(out, *child, path + "\\" + child->name, false);
}

}  // namespace

bool NameEquals(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Fold(x) == Fold(y); });
}

bool NameLess::operator()(std::string_view a, std::string_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(Fold(x)) < static_cast<unsigned char>(Fold(y));
  });
}

RegKey* RegKey::FindChild(std::string_view child) const {
  auto it = children.find(child);
  return it == children.end() ? nullptr : it->second.get();
}

RegKey& RegKey::AddChild(std::string_view child, bool* created) {
  auto it = children.find(child);
  if (created) *created = it == children.end();
  if (it != children.end()) return *it->second;
  auto key = std::make_unique<RegKey>();
  key->name = std::string(child);
  RegKey& result = *key;
  children.emplace(key->name, std::move(key));
  return result;
}

RegValue* RegKey::FindValue(std::string_view value) {
  for (RegValue& v : values)
    if (NameEquals(v.name, value)) return &v;
  return nullptr;
}

const RegValue* RegKey::FindValue(std::string_view value) const {
  return const_cast<RegKey*>(this)->FindValue(value);
}

void RegKey::SetValue(std::string_view value, DWORD type, std::vector<BYTE> data) {
  if (RegValue* existing = FindValue(value)) {
    existing->type = type;
    existing->data = std::move(data);
    return;
  }
  values.push_back(RegValue{std::string(value), type, std::move(data)});
}

bool RegKey::DeleteValue(std::string_view value) {
  auto it = std::find_if(values.begin(), values.end(), [&](const RegValue& v) { return NameEquals(v.name, value); });
  if (it == values.end()) return false;
  values.erase(it);
  return true;
}

bool ParseRegFile(std::string_view text, RegKey& root, RegFileError& error) {
  root = RegKey{};
  std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos) {
    int line = 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(nul), '\n'));
    error.line = line;
    error.what = "NUL byte in the file";
    root = RegKey{};
    return false;
  }
  Parser parser(text, root, error);
  if (!parser.Run()) {
    root = RegKey{};
    return false;
  }
  return true;
}

std::string WriteRegFile(const RegKey& root) {
  std::string out = "REGEDIT4\r\n\r\n";
  AppendKey(out, root, std::string(kRoot), true);
  return out;
}

}  // namespace tw::posix
