// The resources built into a native program: a table generated at build time
// (type, integer id, bytes), the posix counterpart of the resource section of
// a Windows executable.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tw::resources {

struct Entry {
  std::string_view type;  // a named type, e.g. "MSZ" or "TEXT"
  int id = 0;
  std::span<const std::uint8_t> bytes;
};

// Every built-in resource, in the order the build lists them.
std::span<const Entry> Builtins();

// The bytes of resource `id` of type `type` (type names compare without
// regard to case); nullopt when there is none.
std::optional<std::span<const std::uint8_t>> FindBuiltin(std::string_view type, int id);

// Type names compare as the platform compares them: ASCII, without case.
bool SameTypeName(std::string_view a, std::string_view b);

}  // namespace tw::resources
