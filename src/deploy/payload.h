// The files the installer carries: resource id of the compressed file, its
// final name in the target folder, and what the install sequence says when it
// cannot be installed. Rows are installed in this order.
#pragma once

#include <array>
#include <string_view>

namespace tw {

struct PayloadFile {
  int resourceId;
  std::string_view finalName;
  std::string_view failureMessage;
};

inline constexpr std::array<PayloadFile, 4> kPayload = {{
    {134, "Tarnwick.exe", "Couldn't install Tarnwick.exe!"},
    {135, "Tarnwick.hlp", "Couldn't install Tarnwick.hlp!"},
    {136, "Uninstall.exe", "Couldn't install Uninstall.exe!"},
    {137, "Tarnwick.txt", "Couldn't install Tarnwick.txt!"},
}};

// The resource type of the compressed payload files.
inline constexpr std::string_view kPayloadResourceType = "MSZ";

}  // namespace tw
