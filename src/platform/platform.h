// The machine as the installer sees it: one object per service, chosen once.
//
// The entry routine (or a test) builds a Platform from a backend factory and
// installs it; the installer's logic reaches every service through the
// accessors below and never names a backend. Tests wrap a backend's service in
// a decorator that injects one fault and install the result.
#pragma once

#include <memory>

#include "platform/fileinstall.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/resources.h"
#include "platform/shell.h"
#include "platform/timesvc.h"

namespace tw {

class IUiHost;  // ui.h: the dialog host (win32, terminal or scripted)

struct Platform {
  std::unique_ptr<IRegistry> registry;
  std::unique_ptr<IFiles> files;
  std::unique_ptr<IShell> shell;
  std::unique_ptr<IFileInstall> fileInstall;
  std::unique_ptr<IResources> resources;
  std::unique_ptr<IProcess> process;
  std::unique_ptr<ITime> time;
  std::unique_ptr<IUiHost> ui;

  Platform();
  Platform(Platform&&) noexcept;
  Platform& operator=(Platform&&) noexcept;
  ~Platform();
};

// The platform in use. Installing one returns the previous (tests restore it).
Platform* InstallPlatform(Platform* platform);
Platform& CurrentPlatform();

IRegistry& Registry();
IFiles& Files();
IShell& Shell();
IFileInstall& FileInstall();
IResources& Resources();
IProcess& Process();
ITime& Time();
IUiHost& Ui();

}  // namespace tw
