// The dialog host in a text terminal (curses). Each dialog is drawn from its
// template table as a box with its caption in the top border; one dialog unit
// is a quarter of a character across and an eighth of a line down. Modeless
// windows (the splash) lie behind the modal ones; message boxes and the folder
// browser are centred boxes on top.
//
// Keys: Tab / Shift-Tab (and Up / Down outside a text field) move the focus
// among the tab-stop controls; Enter clicks the focused push button, else the
// default one (IDOK when there is none); Space clicks the focused button;
// Escape is IDCANCEL; Alt+letter (Escape then the letter) clicks the button
// whose label marks that letter with '&', and so does the bare letter while
// the focus is not in a text field. In a text field: printable keys,
// Backspace, Delete, Left, Right, Home, End. A multi-line field scrolls with
// Up, Down, Page Up and Page Down (Page Up / Down scroll it from anywhere).
//
// Screen metrics: the terminal's size at 8 pixels per column and 16 per line
// (80 x 25 reports 640 x 400), so a pixel is half a dialog unit either way.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace tw::terminal {

class TerminalUiHost final : public IUiHost {
 public:
  // `programName`: the program file's name; the host presents it as a file in
  // C:\ ("TarnwickSetup" becomes "C:\\TarnwickSetup.exe").
  explicit TerminalUiHost(std::string programName = "TarnwickSetup");
  ~TerminalUiHost() override;
  TerminalUiHost(const TerminalUiHost&) = delete;
  TerminalUiHost& operator=(const TerminalUiHost&) = delete;

  // Takes over the terminal. False, with the reason in *error, when standard
  // input or output is not a terminal or curses cannot start on it. The
  // terminal is given back when the host goes or the process exits.
  bool Start(std::string* error);

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

  struct Control;
  struct Window;
  struct Key;
  struct Style;

 private:
  struct Font {
    int weight;
    bool underline;
  };
  struct DcState {
    std::optional<COLORREF> text, background;
  };

  Window* Find(HWND window) const;
  Control* FindControl(Window& window, int id) const;
  std::uintptr_t NewHandle();
  Window* Open(IDialogEvents& dialog, HWND parent, bool modal);
  void Close(Window& window);
  void Sweep();
  Window* TopModal() const;

  // Drawing.
  void Redraw();
  void DrawWindow(Window& window, bool active);
  void DrawControl(Window& window, Control& control, int originCol, int originRow,
                   const Style& dialogStyle, bool active);
  Style AskColours(Window& window, HWND target, unsigned kind, const Style& fallback);
  void SetCursorFor(Window& window);

  // Input.
  Key ReadKey();
  void Dispatch(Window& window, const Key& key);
  void Focus(Window& window, int index);
  void Click(Window& window, Control& control);

  std::string programName_;
  bool started_ = false;
  std::vector<std::unique_ptr<Window>> windows_;
  std::vector<std::function<void()>> overlays_;  // boxes drawn above the windows
  std::map<HANDLE, COLORREF> brushes_;
  std::map<HANDLE, Font> fonts_;
  std::map<HDC, DcState> dcs_;
  std::uintptr_t nextHandle_ = 0x1000;
  int cursorRow_ = -1, cursorCol_ = -1;
};

}  // namespace tw::terminal
