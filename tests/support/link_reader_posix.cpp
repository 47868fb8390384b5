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
  // lnkinfo prints UTF-8; the link's strings are in the code page.
  link.path = posix::HostToAnsi((*info)["Local path"]);
  link.description = posix::HostToAnsi((*info)["Description"]);
  link.workingDirectory = posix::HostToAnsi((*info)["Working directory"]);
  link.iconLocation = posix::HostToAnsi((*info)["Icon location"]);
  link.iconIndex = std::atoi((*info)["Icon index"].c_str());
  return link;
}

}  // namespace tw::test
