// What the registry contract tests need of a backend: the registry, a second
// one on the same store (as another process has it), and an empty key of the
// test's own under HKEY_LOCAL_MACHINE, removed with the environment.
#pragma once

#include <memory>
#include <string>

#include "platform/registry.h"

namespace tw::test {

class RegistryEnv {
 public:
  // The backend of this build: natively a PosixRegistry on a file of its own,
  // under Wine the real registry below HKLM\SOFTWARE\TarnwickTests.
  static std::unique_ptr<RegistryEnv> Make();
  virtual ~RegistryEnv() = default;

  virtual IRegistry& Registry() = 0;
  virtual std::unique_ptr<IRegistry> Another() = 0;
  // The path of the test's key below HKEY_LOCAL_MACHINE.
  virtual const std::string& Base() const = 0;
};

}  // namespace tw::test
