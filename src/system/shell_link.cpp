// Shortcuts to installed files, on the desktop or in the program group, made
// with the shell's COM link object.
#include <array>
#include <span>
#include <string>

#include "install/install_dlg.h"
#include "platform/platform.h"
#include "platform/winconst.h"

namespace tw {

namespace {

// The desktop: the shell's answer, or the Windows directory's "Desktop" folder
// when the shell has none. The folder is not created.
std::string DesktopFolder() {
  std::array<char, MAX_PATH + 1> buffer{};
  std::string folder;
  const UINT length = Files().GetWindowsDirectoryA(std::span(buffer).first(MAX_PATH));
  if (length > 0 && length < MAX_PATH) folder.assign(buffer.data(), length);
  folder += "\\Desktop";

  ItemIdListPtr list;
  if (Shell().SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &list) == S_OK &&
      Shell().SHGetPathFromIDListA(list.get(), std::span(buffer).first(MAX_PATH))) {
    folder = buffer.data();
  }
  return folder;
}

}  // namespace

int CInstallDlg::CreateShellLink(std::string base, std::string ext, std::string linkName,
                                 int onDesktop) {
  const std::string target = m_strInstallDir + "\\" + base + ext;

  std::string folder;
  if (onDesktop) {
    folder = DesktopFolder();
  } else {
    // Creates the program group with its parents and leaves it current; what it
    // finds wrong it reports itself, and a missing folder makes the save fail.
    CreateTargetDir(g_strProgramGroupDir);
    folder = g_strProgramGroupDir;
  }

  // A link path that does not fit 260 wide characters with its NUL cannot be
  // saved; it ends up as a failed save rather than a truncated name.
  const std::string linkPath = folder + "\\" + linkName + ".lnk";
  std::array<WCHAR, MAX_PATH> widePath{};
  const bool pathFits =
      linkPath.size() < widePath.size() &&
      Files().MultiByteToWideChar(CP_ACP, 0, linkPath, widePath) > 0;

  IShellLinkA* link = nullptr;
  if (Shell().CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                               reinterpret_cast<void**>(&link)) != S_OK ||
      link == nullptr) {
    ShowError(0, "Can't create Program Files link");
    return 0;
  }
  link->SetDescription(linkName);
  link->SetIconLocation(target, 0);
  link->SetPath(target);
  link->SetWorkingDirectory(m_strInstallDir);
  link->SetShowCmd(SW_SHOWNORMAL);

  IPersistFile* file = nullptr;
  if (link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)) != S_OK ||
      file == nullptr) {
    link->Release();
    ShowError(0, "Couldn't create file interface to program links");
    return 0;
  }
  if (!pathFits || file->Save(widePath.data(), 1) != S_OK) {
    file->Release();
    link->Release();
    ShowError(0, "Can't create Program Files icon group");
    return 0;
  }
  file->Release();
  link->Release();
  return 1;
}

}  // namespace tw
