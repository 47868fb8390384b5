// Writes one shell link through the posix backend, as the installer does:
//   tw_lnk_write_posix PREFIX LINK TARGET DESCRIPTION WORKDIR ICON
// PREFIX is the machine's folder, LINK a Windows path in it. Exit 0 when Save
// gave S_OK; otherwise the HRESULT is printed.
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "platform/posix/machine.h"
#include "platform/posix/shelllink_posix.h"
#include "platform/winconst.h"

int main(int argc, char** argv) {
  if (argc != 7) {
    std::fprintf(stderr, "usage: %s PREFIX LINK TARGET DESCRIPTION WORKDIR ICON\n", argv[0]);
    return 2;
  }
  try {
    auto machine = std::make_shared<tw::posix::Machine>(argv[1]);
    tw::IShellLinkA* link = nullptr;
    tw::HRESULT hr = tw::posix::CreateShellLinkObject(machine, tw::IID_IShellLinkA, reinterpret_cast<void**>(&link));
    if (hr != tw::S_OK) {
      std::printf("CoCreateInstance 0x%08x\n", static_cast<unsigned>(hr));
      return 1;
    }
    link->SetDescription(argv[4]);
    link->SetIconLocation(argv[6], 0);
    link->SetPath(argv[3]);
    link->SetWorkingDirectory(argv[5]);
    link->SetShowCmd(tw::SW_SHOWNORMAL);
    tw::IPersistFile* persist = nullptr;
    hr = link->QueryInterface(tw::IID_IPersistFile, reinterpret_cast<void**>(&persist));
    if (hr == tw::S_OK) {
      const tw::WideString wide = tw::posix::AnsiToWide(argv[2]);
      hr = persist->Save(wide.c_str(), tw::TRUE);
      persist->Release();
    }
    link->Release();
    if (hr != tw::S_OK) {
      std::printf("Save 0x%08x\n", static_cast<unsigned>(hr));
      return 1;
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 2;
  }
}
