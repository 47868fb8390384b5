#include "resources/builtin.h"

#include <algorithm>

namespace tw::resources {

bool SameTypeName(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

std::optional<std::span<const std::uint8_t>> FindBuiltin(std::string_view type, int id) {
  for (const Entry& entry : Builtins()) {
    if (entry.id == id && SameTypeName(entry.type, type)) {
      return entry.bytes;
    }
  }
  return std::nullopt;
}

}  // namespace tw::resources
