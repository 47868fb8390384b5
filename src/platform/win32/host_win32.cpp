#include <windows.h>
#include <shlobj.h>

#include "platform/win32/host_win32.h"

#include <string>
#include <vector>

#include "resources/templates.h"

namespace {

using tw::IDialogEvents;
using tw::ItemIdList;
namespace res = tw::res;

// The platform's handle types and ours are distinct pointer types.
template <typename To, typename From>
To Cast(From handle) {
  return reinterpret_cast<To>(handle);
}

std::string Nul(std::string_view text) { return std::string(text); }

// The shell's item-id list, freed with the shell's allocator.
class ShellItemIdList final : public ItemIdList {
 public:
  explicit ShellItemIdList(LPITEMIDLIST pidl) : pidl_(pidl) {}
  ~ShellItemIdList() override { CoTaskMemFree(pidl_); }
  BOOL GetPath(std::span<char> buffer) const override {
    char path[MAX_PATH] = {};
    if (!SHGetPathFromIDListA(pidl_, path)) return 0;
    const std::size_t length = std::char_traits<char>::length(path);
    if (length + 1 > buffer.size()) return 0;
    std::copy(path, path + length + 1, buffer.begin());
    return 1;
  }
  LPITEMIDLIST Get() const { return pidl_; }

 private:
  LPITEMIDLIST pidl_;
};

IDialogEvents* EventsOf(HWND window) {
  return reinterpret_cast<IDialogEvents*>(GetWindowLongPtrA(window, DWLP_USER));
}

void CentreOnWorkArea(HWND window) {
  RECT work{};
  RECT frame{};
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) || !GetWindowRect(window, &frame)) {
    return;
  }
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(window, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* events = reinterpret_cast<IDialogEvents*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(events));
    const res::DialogTemplate* tmpl = res::FindDialogTemplate(events->TemplateId());
    if (tmpl && (tmpl->style & res::kStyleCaption) == res::kStyleCaption) CentreOnWorkArea(window);
    events->Attach(Cast<tw::HWND>(window));
    return events->HandleInitDialog();
  }
  IDialogEvents* events = EventsOf(window);
  if (!events) return FALSE;
  switch (message) {
    case WM_COMMAND:
      events->HandleCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
      HWND control = message == WM_CTLCOLORDLG ? window : reinterpret_cast<HWND>(lParam);
      tw::HBRUSH brush = events->HandleCtlColor(Cast<tw::HDC>(wParam), Cast<tw::HWND>(control),
                                                message - WM_CTLCOLORMSGBOX);
      return reinterpret_cast<INT_PTR>(brush);
    }
    case WM_DESTROY:
      events->HandleDestroy();
      return FALSE;
    case WM_NCDESTROY:
      SetWindowLongPtrA(window, DWLP_USER, 0);
      events->Attach(nullptr);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

namespace tw::win32 {

std::string Win32UiHost::ProgramPath() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) return std::string(path.data(), n);
    path.resize(path.size() * 2);
  }
}

INT_PTR Win32UiHost::RunModal(IDialogEvents& dialog, tw::HWND parent) {
  const res::DialogTemplate* tmpl = res::FindDialogTemplate(dialog.TemplateId());
  if (!tmpl) return -1;
  const std::vector<std::uint8_t> bytes = res::BuildDialogTemplateEx(*tmpl);
  return DialogBoxIndirectParamA(GetModuleHandleA(nullptr),
                                 reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()),
                                 Cast<::HWND>(parent), DialogProc,
                                 reinterpret_cast<LPARAM>(&dialog));
}

tw::HWND Win32UiHost::CreateModeless(IDialogEvents& dialog, tw::HWND parent) {
  const res::DialogTemplate* tmpl = res::FindDialogTemplate(dialog.TemplateId());
  if (!tmpl) return nullptr;
  const std::vector<std::uint8_t> bytes = res::BuildDialogTemplateEx(*tmpl);
  return Cast<tw::HWND>(CreateDialogIndirectParamA(
      GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()),
      Cast<::HWND>(parent), DialogProc, reinterpret_cast<LPARAM>(&dialog)));
}

tw::BOOL Win32UiHost::DestroyWindow(tw::HWND window) {
  return ::DestroyWindow(Cast<::HWND>(window));
}

tw::BOOL Win32UiHost::EndDialog(tw::HWND dialog, INT_PTR result) {
  return ::EndDialog(Cast<::HWND>(dialog), result);
}

tw::BOOL Win32UiHost::SetWindowTitle(tw::HWND window, std::string_view text) {
  return SetWindowTextA(Cast<::HWND>(window), Nul(text).c_str());
}

std::string Win32UiHost::GetWindowTitle(tw::HWND window) {
  ::HWND w = Cast<::HWND>(window);
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(w)) + 1, '\0');
  const int n = GetWindowTextA(w, text.data(), static_cast<int>(text.size()));
  text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return text;
}

tw::BOOL Win32UiHost::SetItemText(tw::HWND dialog, int id, std::string_view text) {
  return SetDlgItemTextA(Cast<::HWND>(dialog), id, Nul(text).c_str());
}

std::string Win32UiHost::GetItemText(tw::HWND dialog, int id) {
  ::HWND item = GetDlgItem(Cast<::HWND>(dialog), id);
  if (!item) return {};
  return GetWindowTitle(Cast<tw::HWND>(item));
}

tw::HWND Win32UiHost::GetItem(tw::HWND dialog, int id) {
  return Cast<tw::HWND>(GetDlgItem(Cast<::HWND>(dialog), id));
}

int Win32UiHost::GetItemId(tw::HWND control) { return GetDlgCtrlID(Cast<::HWND>(control)); }

tw::BOOL Win32UiHost::ShowWindow(tw::HWND window, int showCmd) {
  return ::ShowWindow(Cast<::HWND>(window), showCmd);
}

tw::BOOL Win32UiHost::MoveWindow(tw::HWND window, int x, int y, int width, int height,
                                 tw::BOOL repaint) {
  return ::MoveWindow(Cast<::HWND>(window), x, y, width, height, repaint);
}

tw::LRESULT Win32UiHost::SendMsg(tw::HWND window, tw::UINT message, tw::WPARAM wParam,
                                 tw::LPARAM lParam) {
  return SendMessageA(Cast<::HWND>(window), message, wParam, lParam);
}

tw::HWND Win32UiHost::GetFocusWindow() { return Cast<tw::HWND>(GetFocus()); }

int Win32UiHost::ShowMessageBox(tw::HWND owner, std::string_view text, std::string_view caption,
                                tw::UINT type) {
  return MessageBoxA(Cast<::HWND>(owner), Nul(text).c_str(), Nul(caption).c_str(), type);
}

ItemIdListPtr Win32UiHost::BrowseForFolder(tw::HWND owner, std::string_view title, tw::UINT flags,
                                           std::span<char> displayName) {
  // The browser writes up to MAX_PATH bytes into its display-name buffer.
  char name[MAX_PATH] = {};
  const std::string text(title);
  BROWSEINFOA info{};
  info.hwndOwner = Cast<::HWND>(owner);
  info.pidlRoot = nullptr;
  info.pszDisplayName = name;
  info.lpszTitle = text.c_str();
  info.ulFlags = flags;
  LPITEMIDLIST pidl = SHBrowseForFolderA(&info);
  if (!displayName.empty()) {
    const std::size_t n = std::min(std::char_traits<char>::length(name), displayName.size() - 1);
    std::copy(name, name + n, displayName.begin());
    displayName[n] = '\0';
  }
  if (!pidl) return nullptr;
  return std::make_unique<ShellItemIdList>(pidl);
}

int Win32UiHost::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

tw::BOOL Win32UiHost::MessageBeep(tw::UINT type) { return ::MessageBeep(type); }

tw::HICON Win32UiHost::LoadIconA(int resourceId) {
  return Cast<tw::HICON>(::LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId)));
}

tw::HBRUSH Win32UiHost::CreateSolidBrush(tw::COLORREF color) {
  return Cast<tw::HBRUSH>(::CreateSolidBrush(color));
}

tw::HFONT Win32UiHost::CreateFontA(int height, int width, int escapement, int orientation,
                                   int weight, tw::DWORD italic, tw::DWORD underline,
                                   tw::DWORD strikeOut, tw::DWORD charSet, tw::DWORD outPrecision,
                                   tw::DWORD clipPrecision, tw::DWORD quality,
                                   tw::DWORD pitchAndFamily, std::string_view face) {
  return Cast<tw::HFONT>(::CreateFontA(height, width, escapement, orientation, weight, italic,
                                       underline, strikeOut, charSet, outPrecision, clipPrecision,
                                       quality, pitchAndFamily, Nul(face).c_str()));
}

tw::BOOL Win32UiHost::DeleteObject(tw::HANDLE object) {
  return ::DeleteObject(static_cast<::HGDIOBJ>(object));
}

tw::COLORREF Win32UiHost::SetTextColor(tw::HDC dc, tw::COLORREF color) {
  return ::SetTextColor(Cast<::HDC>(dc), color);
}

tw::COLORREF Win32UiHost::SetBkColor(tw::HDC dc, tw::COLORREF color) {
  return ::SetBkColor(Cast<::HDC>(dc), color);
}

}  // namespace tw::win32
