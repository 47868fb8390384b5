#include <cstdlib>

#include "platform/posix/machine.h"
#include "support/link_reader.h"
#include "support/lnkinfo_posix.h"

namespace tw::test {

std::optional<LinkProperties> ReadLinkFile(const std::string& windowsPath,
                                           const std::shared_ptr<posix::Machine>& machine) {
  if (!machine) return std::nullopt;
  const auto host = machine->Resolve(windowsPath);
  if (!host) return std::nullopt;
  const auto info = ReadWithLnkinfo(*host);
  if (!info) return std::nullopt;
  LinkProperties link;
  link.path = (*info)["Local path"];
  link.description = (*info)["Description"];
  link.workingDirectory = (*info)["Working directory"];
  link.iconLocation = (*info)["Icon location"];
  link.iconIndex = std::atoi((*info)["Icon index"].c_str());
  return link;
}

}  // namespace tw::test
