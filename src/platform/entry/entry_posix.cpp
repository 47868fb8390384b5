#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "platform/backend.h"
#include "platform/framework/app.h"
#include "platform/terminal/terminal_host.h"

int main(int argc, char** argv) {
  tw::Platform platform;
  try {
    platform = tw::MakeSystemPlatform();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Tarnwick Setup: cannot prepare the machine: %s\n", e.what());
    return 1;
  }
  auto host = std::make_unique<tw::terminal::TerminalUiHost>(argc > 0 && argv[0] ? argv[0] : "");
  std::string problem;
  if (!host->Start(&problem)) {
    std::fprintf(stderr, "Tarnwick Setup: %s\n", problem.c_str());
    return 1;
  }
  platform.ui = std::move(host);
  tw::InstallPlatform(&platform);
  const int code = tw::RunApplication();
  tw::InstallPlatform(nullptr);
  return code;
}
