#include "platform/posix/machine.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "platform/winconst.h"

namespace fs = std::filesystem;

namespace tw::posix {

namespace {

thread_local DWORD t_lastError = 0;

// Windows-1252 bytes 0x80..0x9F; the five undefined ones map to the C1 controls
// of the same value, as the platform's table does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t AnsiToUnit(unsigned char c) {
  if (c >= 0x80 && c < 0xA0) return kCp1252High[c - 0x80];
  return c;
}

char UnitToAnsi(char32_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<char>(u);
  for (int i = 0; i < 32; ++i) {
    if (kCp1252High[i] == u) return static_cast<char>(0x80 + i);
  }
  return '?';
}

// Upper case of one code-page character, for name comparison.
unsigned char UpperAnsi(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 0x20);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
  switch (c) {
    case 0x9A: return 0x8A;  // š
    case 0x9C: return 0x8C;  // œ
    case 0x9E: return 0x8E;  // ž
    case 0xFF: return 0x9F;  // ÿ
    default: return c;
  }
}

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char UpperLetter(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 0x20) : c; }

std::vector<std::string_view> SplitBackslash(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\\', start);
    if (end == std::string_view::npos) end = text.size();
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

void AppendUtf8(std::string& out, char32_t u) {
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
}

std::string SafeUserName() {
  const char* env = std::getenv("USER");
  std::string name = env ? env : "";
  if (name.empty() || name == "." || name == ".." || !IsValidName(name) ||
      name.find_first_of("\x7f") != std::string::npos) {
    return "user";
  }
  return name;
}

[[noreturn]] void ThrowAt(const std::string& what, const fs::path& path, const std::error_code& ec) {
  throw std::runtime_error(what + " " + path.string() + ": " + ec.message());
}

void EnsureFolder(const fs::path& path) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) return;
  fs::create_directories(path, ec);
  if (ec || !fs::is_directory(path)) {
    if (!ec) ec = std::make_error_code(std::errc::not_a_directory);
    ThrowAt("cannot create the prefix folder", path, ec);
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Names and text

bool IsValidName(std::string_view name) {
  if (name.empty()) return false;
  for (char ch : name) {
    auto c = static_cast<unsigned char>(ch);
    if (c < 0x20) return false;
    switch (c) {
      case '<': case '>': case ':': case '"': case '|': case '?': case '*': case '/':
      case '\\':
        return false;
      default:
        break;
    }
  }
  return true;
}

bool NamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAnsi(static_cast<unsigned char>(a[i])) != UpperAnsi(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  std::size_t p = 0, n = 0;
  std::size_t starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || UpperAnsi(static_cast<unsigned char>(pattern[p])) ==
                                         UpperAnsi(static_cast<unsigned char>(name[n])))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  // What is left of the pattern may only be dots and stars: "*.*" matches a
  // name without a dot, "abc.*" matches "abc".
  while (p < pattern.size() && (pattern[p] == '*' || pattern[p] == '.')) ++p;
  return p == pattern.size();
}

std::u16string AnsiToWide(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char c : text) out += AnsiToUnit(static_cast<unsigned char>(c));
  return out;
}

std::string WideToAnsi(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t u = text[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      ++i;  // a pair stands for one character outside the code page
      out += '?';
      continue;
    }
    out += UnitToAnsi(u);
  }
  return out;
}

std::string AnsiToHost(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) AppendUtf8(out, AnsiToUnit(static_cast<unsigned char>(c)));
  return out;
}

std::string HostToAnsi(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    auto c = static_cast<unsigned char>(text[i]);
    char32_t u = 0;
    std::size_t len = 0;
    if (c < 0x80) {
      u = c;
      len = 1;
    } else if ((c & 0xE0) == 0xC0) {
      u = c & 0x1F;
      len = 2;
    } else if ((c & 0xF0) == 0xE0) {
      u = c & 0x0F;
      len = 3;
    } else if ((c & 0xF8) == 0xF0) {
      u = c & 0x07;
      len = 4;
    }
    bool ok = len != 0 && i + len <= text.size();
    for (std::size_t k = 1; ok && k < len; ++k) {
      auto cc = static_cast<unsigned char>(text[i + k]);
      if ((cc & 0xC0) != 0x80) ok = false;
      u = (u << 6) | (cc & 0x3F);
    }
    if (!ok) {
      // Not UTF-8: a byte the host holds as it is; show it as unreadable.
      out += '?';
      ++i;
      continue;
    }
    out += UnitToAnsi(u);
    i += len;
  }
  return out;
}

void SetLastError(DWORD code) { t_lastError = code; }
DWORD GetLastError() { return t_lastError; }

// ---------------------------------------------------------------------------
// The prefix

Machine::Machine(fs::path root) : root_(std::move(root)), user_(SafeUserName()) {
  if (root_.empty()) throw std::runtime_error("the prefix folder has no name");
  std::error_code ec;
  root_ = fs::absolute(root_, ec);
  if (ec) ThrowAt("cannot use the prefix folder", root_, ec);
  if (fs::exists(root_, ec) && !fs::is_directory(root_, ec)) {
    throw std::runtime_error("the prefix " + root_.string() + " is not a folder");
  }
  CreateLayout();
}

void Machine::CreateLayout() {
  EnsureFolder(root_);
  EnsureFolder(root_ / "dosdevices");
  const fs::path cLink = root_ / "dosdevices" / "c:";
  std::error_code ec;
  if (!fs::is_symlink(cLink, ec) && !fs::exists(cLink, ec)) {
    EnsureFolder(root_ / "drive_c");
    fs::create_directory_symlink("../drive_c", cLink, ec);
    if (ec) ThrowAt("cannot create the drive link", cLink, ec);
  }
  auto c = DriveRoot('C');
  if (!c) {
    throw std::runtime_error("the prefix's drive C: (" + cLink.string() +
                             ") does not lead to a folder");
  }
  for (const std::string& folder :
       {ProgramFilesDirectory(), WindowsDirectory(), DesktopDirectory(), ProgramsDirectory()}) {
    fs::path host = *c;
    for (std::string_view part : SplitBackslash(std::string_view(folder).substr(3))) {
      host /= AnsiToHost(part);
    }
    EnsureFolder(host);
  }
  // Without write access the prefix is no machine to install on: say so now
  // rather than through a puzzling failure later.
  if (::access(root_.c_str(), W_OK) != 0 || ::access(c->c_str(), W_OK) != 0) {
    throw std::runtime_error("the prefix " + root_.string() + " is read-only");
  }
}

fs::path Machine::DefaultRoot() {
  if (const char* prefix = std::getenv("TARNWICK_PREFIX"); prefix && *prefix) return prefix;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) {
    return fs::path(data) / "tarnwick" / "prefix";
  }
  const char* home = std::getenv("HOME");
  return fs::path(home && *home ? home : ".") / ".local" / "share" / "tarnwick" / "prefix";
}

std::string Machine::DesktopDirectory() const { return "C:\\users\\" + user_ + "\\Desktop"; }

std::string Machine::ProgramsDirectory() const {
  return "C:\\users\\" + user_ + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
}

void Machine::MapDrive(char letter, const fs::path& target) {
  if (!IsDriveLetter(letter)) throw std::invalid_argument("not a drive letter");
  char lower = static_cast<char>(UpperLetter(letter) + 0x20);
  fs::path link = root_ / "dosdevices" / (std::string(1, lower) + ":");
  std::error_code ec;
  fs::remove(link, ec);
  fs::create_directory_symlink(fs::absolute(target), link, ec);
  if (ec) ThrowAt("cannot map a drive at", link, ec);
}

std::optional<fs::path> Machine::DriveRoot(char letter) const {
  if (!IsDriveLetter(letter)) return std::nullopt;
  char lower = static_cast<char>(UpperLetter(letter) + 0x20);
  fs::path link = root_ / "dosdevices" / (std::string(1, lower) + ":");
  std::error_code ec;
  if (!fs::is_directory(link, ec)) return std::nullopt;
  return link;
}

bool Machine::SetCurrentDrive(int drive) {
  if (drive < 1 || drive > 26) return false;
  std::string dir = CurrentDirectoryOf(drive);
  auto host = Resolve(dir);
  std::error_code ec;
  if (!host || !fs::is_directory(*host, ec)) {
    // The remembered folder is gone: the drive's root still works.
    dir = std::string(1, static_cast<char>('A' + drive - 1)) + ":\\";
    host = Resolve(dir);
    if (!host || !fs::is_directory(*host, ec)) return false;
    currentDirs_[drive] = dir;
  }
  currentDrive_ = drive;
  return true;
}

std::string Machine::CurrentDirectory() const { return CurrentDirectoryOf(currentDrive_); }

std::string Machine::CurrentDirectoryOf(int drive) const {
  if (drive < 1 || drive > 26) return {};
  if (!currentDirs_[drive].empty()) return currentDirs_[drive];
  return std::string(1, static_cast<char>('A' + drive - 1)) + ":\\";
}

bool Machine::SetCurrentDirectory(std::string_view windowsPath, DWORD* error) {
  DWORD code = 0;
  std::string full = FullPath(windowsPath);
  auto host = full.empty() ? std::nullopt : Resolve(full, &code);
  if (full.empty()) code = windowsPath.empty() ? ERROR_INVALID_PARAMETER : ERROR_INVALID_NAME;
  if (host) {
    std::error_code ec;
    auto status = fs::status(*host, ec);
    if (fs::is_directory(status)) {
      int drive = full[0] - 'A' + 1;
      currentDirs_[drive] = full;
      currentDrive_ = drive;
      return true;
    }
    if (fs::exists(status)) {
      code = ERROR_DIRECTORY;
    } else {
      std::error_code pec;
      code = fs::is_directory(host->parent_path(), pec) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    }
  }
  if (error) *error = code;
  return false;
}

std::string Machine::FullPath(std::string_view path) const {
  if (path.empty()) return {};
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') return {};  // UNC, device
  char drive = 0;
  std::string_view rest = path;
  if (path.size() >= 2 && path[1] == ':') {
    if (!IsDriveLetter(path[0])) return {};
    drive = UpperLetter(path[0]);
    rest = path.substr(2);
  }
  std::vector<std::string> parts;
  std::string base;
  if (!rest.empty() && rest[0] == '\\') {
    base = drive ? std::string(1, drive) + ":\\" : CurrentDirectory().substr(0, 3);
  } else {
    base = drive ? CurrentDirectoryOf(drive - 'A' + 1) : CurrentDirectory();
  }
  for (std::string_view part : SplitBackslash(std::string_view(base).substr(3))) {
    if (!part.empty()) parts.emplace_back(part);
  }
  std::vector<std::string_view> given = SplitBackslash(rest);
  for (std::size_t i = 0; i < given.size(); ++i) {
    std::string_view part = given[i];
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    // The platform drops trailing dots and spaces of the last name and one
    // trailing dot of the folders before it.
    if (i + 1 == given.size()) {
      while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.remove_suffix(1);
    } else if (part.back() == '.') {
      part.remove_suffix(1);
    }
    if (part.empty()) continue;
    if (!IsValidName(part)) return {};
    parts.emplace_back(part);
  }
  std::string full = base.substr(0, 3);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i) full += '\\';
    full += parts[i];
  }
  return full;
}

std::optional<fs::path> Machine::Resolve(std::string_view windowsPath) const {
  return Resolve(windowsPath, nullptr);
}

std::optional<fs::path> Machine::Resolve(std::string_view windowsPath, DWORD* error) const {
  std::string full = FullPath(windowsPath);
  if (full.empty()) {
    if (error) *error = ERROR_INVALID_NAME;
    return std::nullopt;
  }
  auto root = DriveRoot(full[0]);
  if (!root) {
    if (error) *error = ERROR_PATH_NOT_FOUND;
    return std::nullopt;
  }
  fs::path host = *root;
  bool exists = true;  // every component so far exists on disk
  for (std::string_view part : SplitBackslash(std::string_view(full).substr(3))) {
    if (part.empty()) continue;
    std::string wanted = AnsiToHost(part);
    if (exists) {
      std::error_code ec;
      if (fs::exists(fs::symlink_status(host / wanted, ec))) {
        host /= wanted;
        continue;
      }
      // Another case of the name, if any. Sorted so the choice never depends on
      // the order the host lists a folder in.
      std::vector<std::string> matches;
      for (fs::directory_iterator it(host, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (NamesEqual(HostToAnsi(name), part)) matches.push_back(std::move(name));
      }
      if (!matches.empty()) {
        std::sort(matches.begin(), matches.end());
        host /= matches.front();
        continue;
      }
      exists = false;
    }
    host /= wanted;
  }
  return host;
}

}  // namespace tw::posix
