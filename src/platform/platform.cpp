#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>

#include "platform/ui.h"

namespace tw {

Platform::Platform() = default;
Platform::Platform(Platform&&) noexcept = default;
Platform& Platform::operator=(Platform&&) noexcept = default;
Platform::~Platform() = default;

namespace {
Platform* g_platform = nullptr;

template <typename T>
T& Require(const std::unique_ptr<T>& service, const char* name) {
  if (!service) {
    // A missing service is a wiring fault of the build, never a user's error.
    std::fprintf(stderr, "tarnwick: the %s service is not installed\n", name);
    std::abort();
  }
  return *service;
}
}  // namespace

Platform* InstallPlatform(Platform* platform) {
  Platform* previous = g_platform;
  g_platform = platform;
  return previous;
}

Platform& CurrentPlatform() {
  if (!g_platform) {
    std::fprintf(stderr, "tarnwick: no platform installed\n");
    std::abort();
  }
  return *g_platform;
}

IRegistry& Registry() { return Require(CurrentPlatform().registry, "registry"); }
IFiles& Files() { return Require(CurrentPlatform().files, "files"); }
IShell& Shell() { return Require(CurrentPlatform().shell, "shell"); }
IFileInstall& FileInstall() { return Require(CurrentPlatform().fileInstall, "file installation"); }
IResources& Resources() { return Require(CurrentPlatform().resources, "resources"); }
IProcess& Process() { return Require(CurrentPlatform().process, "process"); }
ITime& Time() { return Require(CurrentPlatform().time, "time"); }
IUiHost& Ui() { return Require(CurrentPlatform().ui, "dialog host"); }

}  // namespace tw
