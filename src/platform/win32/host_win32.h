// The dialog host on the real dialog manager: each dialog is built in memory
// from its template table, message boxes and the folder browser are the
// platform's own, and WM_COMMAND, the colour requests and WM_DESTROY reach the
// dialog through IDialogEvents.
#pragma once

#include "platform/ui.h"

namespace tw::win32 {

class Win32UiHost final : public IUiHost {
 public:
  std::string ProgramPath() override;
  INT_PTR RunModal(IDialogEvents& dialog, HWND parent) override;
  HWND CreateModeless(IDialogEvents& dialog, HWND parent) override;
  BOOL DestroyWindow(HWND window) override;
  BOOL EndDialog(HWND dialog, INT_PTR result) override;
  BOOL SetWindowTitle(HWND window, std::string_view text) override;
  std::string GetWindowTitle(HWND window) override;
  BOOL SetItemText(HWND dialog, int id, std::string_view text) override;
  std::string GetItemText(HWND dialog, int id) override;
  HWND GetItem(HWND dialog, int id) override;
  int GetItemId(HWND control) override;
  BOOL ShowWindow(HWND window, int showCmd) override;
  BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) override;
  LRESULT SendMsg(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  HWND GetFocusWindow() override;
  int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption,
                     UINT type) override;
  ItemIdListPtr BrowseForFolder(HWND owner, std::string_view title, UINT flags,
                                std::span<char> displayName) override;
  int GetSystemMetrics(int index) override;
  BOOL MessageBeep(UINT type) override;
  HICON LoadIconA(int resourceId) override;
  HBRUSH CreateSolidBrush(COLORREF color) override;
  HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight,
                    DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                    DWORD outPrecision, DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily,
                    std::string_view face) override;
  BOOL DeleteObject(HANDLE object) override;
  COLORREF SetTextColor(HDC dc, COLORREF color) override;
  COLORREF SetBkColor(HDC dc, COLORREF color) override;
};

// Builds the machine's platform with this host and runs the application
// object; returns the exit code.
int RunProgram();

}  // namespace tw::win32
