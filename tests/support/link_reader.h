// Reads a saved shell link back with a reader that is not ours: lnkinfo
// natively, the system's own link object under Wine.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace tw::posix {
class Machine;
}

namespace tw::test {

struct LinkProperties {
  std::string path;
  std::string description;
  std::string workingDirectory;
  std::string iconLocation;
  int iconIndex = -1;
};

// `machine` resolves the Windows path natively and is unused under Wine.
// nullopt when the file is missing or the reader rejects it.
std::optional<LinkProperties> ReadLinkFile(const std::string& windowsPath,
                                           const std::shared_ptr<posix::Machine>& machine);

}  // namespace tw::test
