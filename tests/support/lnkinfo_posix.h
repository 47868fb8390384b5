// Reads a .lnk file back with lnkinfo (liblnk), a reader independent of ours.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tw::test {

struct LnkInfo {
  // Each "Label : value" line of lnkinfo's report, keyed by label ("Local path",
  // "Description", "Working directory", "Icon location", "Icon index", "Drive
  // type", ...). Values are as printed: UTF-8.
  std::map<std::string, std::string> fields;
  std::string report;  // the whole output, for failure messages

  // The value of `label`, or "<absent>" when lnkinfo printed no such line.
  std::string operator[](const std::string& label) const;
};

// nullopt when lnkinfo cannot be run or rejects the file.
std::optional<LnkInfo> ReadWithLnkinfo(const std::filesystem::path& file);

// Windows-1252 text as UTF-8, to compare with lnkinfo's output.
std::string Cp1252ToUtf8(std::string_view text);

}  // namespace tw::test
