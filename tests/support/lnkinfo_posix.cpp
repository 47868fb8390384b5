#include "support/lnkinfo_posix.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <memory>

namespace tw::test {
namespace {

std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}

std::string Trim(std::string s) {
  const auto first = s.find_first_not_of(" \t");
  const auto last = s.find_last_not_of(" \t\r\n");
  return first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::string LnkInfo::operator[](const std::string& label) const {
  auto it = fields.find(label);
  return it == fields.end() ? "<absent>" : it->second;
}

std::optional<LnkInfo> ReadWithLnkinfo(const std::filesystem::path& file) {
  const std::string command = "lnkinfo " + ShellQuote(file.string()) + " 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return std::nullopt;
  LnkInfo info;
  std::array<char, 4096> line{};
  while (fgets(line.data(), static_cast<int>(line.size()), pipe.get())) {
    const std::string text = line.data();
    info.report += text;
    const auto colon = text.find(':');
    if (colon == std::string::npos || text.empty() || text[0] != '\t') continue;
    // Values hold colons of their own ("C:\..."): split at the first one only.
    info.fields.emplace(Trim(text.substr(0, colon)), Trim(text.substr(colon + 1)));
  }
  const int status = pclose(pipe.release());
  if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return info;
}

std::string Cp1252ToUtf8(std::string_view text) {
  static constexpr char16_t kHigh[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::string out;
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    AppendUtf8(out, (b >= 0x80 && b <= 0x9F) ? kHigh[b - 0x80] : b);
  }
  return out;
}

}  // namespace tw::test
