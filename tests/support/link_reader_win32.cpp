#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <string>

#include "support/link_reader.h"

namespace tw::test {

std::optional<LinkProperties> ReadLinkFile(const std::string& windowsPath,
                                           const std::shared_ptr<posix::Machine>&) {
  ::IShellLinkA* link = nullptr;
  if (FAILED(::CoCreateInstance(::CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                ::IID_IShellLinkA, reinterpret_cast<void**>(&link)))) {
    return std::nullopt;
  }
  std::optional<LinkProperties> result;
  ::IPersistFile* persist = nullptr;
  if (SUCCEEDED(link->QueryInterface(::IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
    const std::wstring wide(windowsPath.begin(), windowsPath.end());  // the tests' paths are ASCII
    if (SUCCEEDED(persist->Load(wide.c_str(), STGM_READ))) {
      char buffer[MAX_PATH] = {};
      LinkProperties back;
      if (SUCCEEDED(link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH))) back.path = buffer;
      if (SUCCEEDED(link->GetDescription(buffer, MAX_PATH))) back.description = buffer;
      if (SUCCEEDED(link->GetWorkingDirectory(buffer, MAX_PATH))) back.workingDirectory = buffer;
      int index = -1;
      if (SUCCEEDED(link->GetIconLocation(buffer, MAX_PATH, &index))) {
        back.iconLocation = buffer;
        back.iconIndex = index;
      }
      result = back;
    }
    persist->Release();
  }
  link->Release();
  return result;
}

}  // namespace tw::test
