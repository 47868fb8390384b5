// The system's own shell-link object, from the command line:
//   tw_lnk_probe write LINK TARGET DESCRIPTION WORKDIR ICON
//       sets the five properties as the installer does and saves LINK
//   tw_lnk_probe read LINK
//       loads LINK and prints path=, description=, workdir=, icon=, index=
// Exit 0 on success; a failing call is printed with its HRESULT.
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::wstring Wide(const char* text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring out(n > 0 ? n : 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), n);
  out.resize(std::wcslen(out.c_str()));
  return out;
}

bool Check(const char* what, HRESULT hr) {
  if (SUCCEEDED(hr)) return true;
  std::printf("%s 0x%08lx\n", what, static_cast<unsigned long>(hr));
  return false;
}

int Write(IShellLinkA* link, IPersistFile* persist, char** argv) {
  // argv: LINK TARGET DESCRIPTION WORKDIR ICON
  link->SetDescription(argv[2]);
  link->SetIconLocation(argv[4], 0);
  link->SetPath(argv[1]);
  link->SetWorkingDirectory(argv[3]);
  link->SetShowCmd(SW_SHOWNORMAL);
  return Check("Save", persist->Save(Wide(argv[0]).c_str(), TRUE)) ? 0 : 1;
}

int Read(IShellLinkA* link, IPersistFile* persist, const char* file) {
  if (!Check("Load", persist->Load(Wide(file).c_str(), STGM_READ))) return 1;
  char buffer[MAX_PATH];
  int index = -1;
  bool ok = true;
  buffer[0] = '\0';
  ok &= Check("GetPath", link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH));
  std::printf("path=%s\n", buffer);
  buffer[0] = '\0';
  ok &= Check("GetDescription", link->GetDescription(buffer, MAX_PATH));
  std::printf("description=%s\n", buffer);
  buffer[0] = '\0';
  ok &= Check("GetWorkingDirectory", link->GetWorkingDirectory(buffer, MAX_PATH));
  std::printf("workdir=%s\n", buffer);
  buffer[0] = '\0';
  ok &= Check("GetIconLocation", link->GetIconLocation(buffer, MAX_PATH, &index));
  std::printf("icon=%s\nindex=%d\n", buffer, index);
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const bool write = argc == 7 && std::strcmp(argv[1], "write") == 0;
  const bool read = argc == 3 && std::strcmp(argv[1], "read") == 0;
  if (!write && !read) {
    std::fprintf(stderr, "usage: %s write LINK TARGET DESCRIPTION WORKDIR ICON | read LINK\n", argv[0]);
    return 2;
  }
  if (!Check("CoInitialize", CoInitialize(nullptr))) return 1;
  IShellLinkA* link = nullptr;
  int result = 1;
  if (Check("CoCreateInstance", CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* persist = nullptr;
    if (Check("QueryInterface", link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
      result = write ? Write(link, persist, argv + 2) : Read(link, persist, argv[2]);
      persist->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return result;
}
