// Registering the installed product: a product key stamped with the time of
// installation, the App Paths entry and the uninstall entry.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "install/install_dlg.h"
#include "platform/platform.h"
#include "platform/winconst.h"

namespace tw {

namespace {

struct NamedText {
  std::string_view name;  // empty: the key's default value
  std::string text;
};

// Opens the key for writing, creating it (with its parents) only when it
// cannot be opened, and writes the values in order. Registry failures are not
// the user's concern: a key that can be neither opened nor created is skipped.
void WriteKey(const std::string& path, std::initializer_list<NamedText> values) {
  HKEY key = nullptr;
  if (Registry().RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_WRITE, &key) != ERROR_SUCCESS) {
    key = nullptr;
    if (Registry().RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, "Tarnwick", REG_OPTION_NON_VOLATILE,
                                   KEY_WRITE, &key, nullptr) != ERROR_SUCCESS) {
      return;
    }
  }
  for (const NamedText& value : values) {
    // The stored string carries its NUL, and the whole text is written: a long
    // folder is never cut short.
    std::string buffer = value.text;
    buffer.push_back('\0');
    Registry().RegSetValueExA(
        key, value.name, 0, REG_SZ,
        std::span<const BYTE>(reinterpret_cast<const BYTE*>(buffer.data()), buffer.size()));
  }
  Registry().RegCloseKey(key);
}

}  // namespace

int CInstallDlg::UpdateRegistry() {
  const auto installedAt = static_cast<std::uint32_t>(Time().time());

  WriteKey(std::string("SOFTWARE\\ZO Daruzura\\Tarnwick\\") + "2.11b",
           {{"", std::to_string(installedAt)}});
  WriteKey(std::string("SOFTWARE\\Microsoft\\Windows\\") + "CurrentVersion\\App Paths\\Tarnwick.exe",
           {{"", m_strInstallDir + "\\" + "Tarnwick.exe"}, {"Path", m_strInstallDir}});
  WriteKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwick",
           {{"DisplayName", "Tarnwick 2.11b"}, {"UninstallString", m_strInstallDir + "\\Uninstall.exe"}});
  return 1;
}

}  // namespace tw
