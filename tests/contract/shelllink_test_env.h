// What the shell-link contract tests need of a backend: a link object, an empty
// scratch folder named by a Windows path, and an independent way to read a
// saved link back (lnkinfo natively, the system's own link object under Wine).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"
#include "support/link_reader.h"

namespace tw::test {

using LinkReadBack = LinkProperties;

class ShellLinkEnv {
 public:
  // The backend of this build.
  static std::unique_ptr<ShellLinkEnv> Make();
  virtual ~ShellLinkEnv() = default;

  virtual HRESULT CreateLink(const IID& iid, void** out) = 0;
  // An empty folder, removed with the environment; no trailing backslash.
  virtual std::string Scratch() const = 0;
  // The names in a folder, "." and ".." left out, sorted.
  virtual std::vector<std::string> List(const std::string& folder) const = 0;
  virtual bool MakeFolder(const std::string& folder) = 0;
  virtual std::optional<std::vector<std::uint8_t>> ReadBytes(const std::string& file) const = 0;
  virtual std::optional<LinkReadBack> ReadLink(const std::string& file) const = 0;
};

}  // namespace tw::test
