// The dialog host: runs dialogs from their templates, shows boxes and the folder
// browser, and carries the few window and drawing operations the dialogs use.
// Implemented by the win32 host, the terminal host and the scripted test host.
//
// The names here are deliberately not those of the platform's API where the
// platform's header makes them macros (SetWindowText, MessageBox, SendMessage...),
// so that a host may include <windows.h> beside this header.
//
// Contract:
// - RunModal creates the dialog from the template table of
//   dialog.TemplateId(), calls dialog.Attach(window), then HandleInitDialog();
//   a non-zero result lets the host focus the first tab-stop control. It then
//   serves the dialog until EndDialog is called (also from inside
//   HandleInitDialog: the dialog is then never shown) and returns that result;
//   -1 when the template is unknown or the window cannot be made. The window is
//   destroyed before RunModal returns: HandleDestroy(), then Attach(nullptr).
// - CreateModeless does the same up to HandleInitDialog and returns the window
//   (null on failure); DestroyWindow ends it later.
// - Commands: WM_COMMAND reaches HandleCommand(id, code). Enter is a click of the
//   default push button (IDOK when there is none), Escape and the close box are
//   IDCANCEL with code 0.
// - SetItemText on an edit control fires its EN_CHANGE synchronously, as the
//   platform does.
// - ShowMessageBox returns the button pressed (IDOK, IDYES, IDNO, ...).
// - BrowseForFolder returns null when the user cancels; otherwise the chosen
//   item and, in displayName, the item's display name (NUL-terminated,
//   truncated to the buffer).
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/shell.h"
#include "platform/types.h"

namespace tw {

// What the host calls on a dialog. Implemented by the framework's CDialog.
class IDialogEvents {
 public:
  virtual int TemplateId() const = 0;
  // The window exists (before initialisation), or is gone (null).
  virtual void Attach(HWND window) = 0;
  virtual BOOL HandleInitDialog() = 0;
  virtual void HandleCommand(int id, UINT code) = 0;
  // A colour request (kind: CTLCOLOR_DLG, CTLCOLOR_STATIC, ...). Null: the
  // host's default colours.
  virtual HBRUSH HandleCtlColor(HDC dc, HWND control, UINT kind) = 0;
  virtual void HandleDestroy() = 0;

 protected:
  ~IDialogEvents() = default;
};

class IUiHost {
 public:
  virtual ~IUiHost() = default;

  // The program file's full path, e.g. "C:\\Temp\\TarnwickSetup.exe".
  virtual std::string ProgramPath() = 0;

  // Dialogs.
  virtual INT_PTR RunModal(IDialogEvents& dialog, HWND parent) = 0;
  virtual HWND CreateModeless(IDialogEvents& dialog, HWND parent) = 0;
  virtual BOOL DestroyWindow(HWND window) = 0;
  virtual BOOL EndDialog(HWND dialog, INT_PTR result) = 0;

  // Windows and controls.
  virtual BOOL SetWindowTitle(HWND window, std::string_view text) = 0;
  virtual std::string GetWindowTitle(HWND window) = 0;
  virtual BOOL SetItemText(HWND dialog, int id, std::string_view text) = 0;
  virtual std::string GetItemText(HWND dialog, int id) = 0;
  virtual HWND GetItem(HWND dialog, int id) = 0;
  virtual int GetItemId(HWND control) = 0;
  virtual BOOL ShowWindow(HWND window, int showCmd) = 0;
  virtual BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) = 0;
  virtual LRESULT SendMsg(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  virtual HWND GetFocusWindow() = 0;

  // Boxes and the folder browser, owned by `owner` (may be null).
  virtual int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption,
                             UINT type) = 0;
  virtual ItemIdListPtr BrowseForFolder(HWND owner, std::string_view title, UINT flags,
                                        std::span<char> displayName) = 0;

  // USER and GDI odds and ends.
  virtual int GetSystemMetrics(int index) = 0;
  virtual BOOL MessageBeep(UINT type) = 0;
  virtual HICON LoadIconA(int resourceId) = 0;
  virtual HBRUSH CreateSolidBrush(COLORREF color) = 0;
  virtual HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight,
                            DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                            DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                            DWORD pitchAndFamily, std::string_view face) = 0;
  virtual BOOL DeleteObject(HANDLE object) = 0;
  virtual COLORREF SetTextColor(HDC dc, COLORREF color) = 0;
  virtual COLORREF SetBkColor(HDC dc, COLORREF color) = 0;
};

}  // namespace tw
