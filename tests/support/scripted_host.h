// A scripted user in front of the dialog host: it plays a list of user actions
// into whichever modal dialog waits for input, answers boxes and the folder
// browser from its script, and records what the user would have seen.
//
//   auto host = std::make_unique<ScriptedHost>();
//   host->Type(1002, "D:\\Apps\\Tarnwick").Click(1004);
//   host->Answer("ERROR", IDOK);
//   ... run the dialog ...
//   EXPECT_THAT(host->Transcript(), ElementsAre("open 102", "caption: ...", ...));
//
// Transcript lines, in order:
//   open 102                      a dialog was created from template 102
//   caption: TEXT                 a window's caption changed
//   status: TEXT                  the text of control 1000 changed
//   box CAPTION [0x30]: TEXT      a message box (type in hex)
//   browse [0x1]: TITLE           the folder browser (flags in hex)
//   hide 102 / show 102           a dialog was hidden or shown again
//   end 102: RESULT               a dialog ended with EndDialog
//   destroy 129                   a window was destroyed while still up
//
// Failures (reported with ADD_FAILURE): a box or browser with no answer left in
// the script (the box answers its "no" button: IDOK, IDCANCEL or IDNO), an
// action for a control the dialog does not have, a dialog waiting for input
// with no action left (it is ended with -1), and answers or actions left unused
// when the host is destroyed or Finish() is called.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace tw::test {

class ScriptedHost : public IUiHost {
 public:
  ScriptedHost();
  ~ScriptedHost() override;

  // ---- the script: user actions, played in order into the waiting dialog
  // Replaces the control's text (the edit box then sends EN_CHANGE) and focuses it.
  ScriptedHost& Type(int controlId, std::string text);
  // A click on a button: BN_CLICKED, and the button takes the focus.
  ScriptedHost& Click(int controlId);
  // Enter: a click of the focused push button, else of the default push button,
  // else IDOK.
  ScriptedHost& PressEnter();
  // Escape, and the close box: IDCANCEL.
  ScriptedHost& PressEscape();
  ScriptedHost& CloseBox();
  // Runs `check` at this point while the dialog waits (to look at its state).
  ScriptedHost& Then(std::function<void()> check);
  // The next action applies only to a dialog of this template (else: failure).
  ScriptedHost& In(int templateId);

  // ---- answers to boxes, matched by caption (and a part of the text when given)
  ScriptedHost& Answer(std::string caption, int button);
  ScriptedHost& Answer(std::string caption, std::string textPart, int button);

  // ---- answers to the folder browser, in order
  ScriptedHost& BrowseTo(std::string path);
  ScriptedHost& BrowseCancel();
  // A choice with no file-system path (a virtual folder).
  ScriptedHost& BrowseToVirtual(std::string name);

  // ---- the machine as the host shows it
  ScriptedHost& ScreenSize(int width, int height);
  ScriptedHost& ProgramFile(std::string path);

  // ---- what happened
  const std::vector<std::string>& Transcript() const { return transcript_; }
  // The boxes alone, as transcript lines.
  std::vector<std::string> Boxes() const;
  // The control id that has the focus in the topmost open dialog (0: none).
  int FocusedId() const;
  // The text of a control of the topmost open dialog with this template.
  std::string ControlText(int templateId, int controlId) const;
  // The owner passed with the last folder browser.
  HWND LastBrowseOwner() const { return lastBrowseOwner_; }
  // Reports unused actions and answers now (and not again at destruction).
  void Finish();

  // ---- IUiHost
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

  // What the drawing calls were asked for, for the dialogs that paint.
  struct FontRequest {
    int height, width, weight;
    DWORD italic, underline, charSet, outPrecision, quality, pitchAndFamily;
    std::string face;
  };
  struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
  };
  const std::vector<FontRequest>& Fonts() const { return fonts_; }
  std::vector<std::string> Beeps() const { return beeps_; }
  // Where MoveWindow put a window (the dialog: id 0) of the topmost open dialog
  // with this template; nothing when it was never moved.
  std::optional<Geometry> Placement(int templateId, int controlId) const;
  // Handles still alive among those CreateSolidBrush/CreateFontA gave out.
  int LiveGdiObjects() const;
  // The font a control was given with WM_SETFONT (null: none).
  HFONT ControlFont(int templateId, int controlId) const;
  // Asks the dialog with this template for its colours, as painting would.
  struct Colours {
    HBRUSH brush = nullptr;
    std::optional<COLORREF> text, background;
  };
  Colours PaintRequest(int templateId, int controlId, UINT kind);

 private:
  struct Action;
  struct BoxAnswer;
  struct BrowseAnswer;
  struct Control;
  struct Window;

  Window* Find(HWND window) const;
  Window* TopModal() const;
  Window* Newest(int templateId) const;
  Control* FindControl(Window& window, int id) const;
  HWND NewHandle();
  Window* Open(IDialogEvents& dialog, HWND parent, bool modal);
  void Close(Window& window);
  void Play(Window& window, Action& action);
  void Record(std::string line) { transcript_.push_back(std::move(line)); }

  std::vector<Action> actions_;
  std::size_t nextAction_ = 0;
  std::optional<int> pendingIn_;
  std::vector<BoxAnswer> boxAnswers_;
  std::vector<BrowseAnswer> browseAnswers_;
  std::size_t nextBrowse_ = 0;
  std::vector<std::unique_ptr<Window>> windows_;
  std::vector<Window*> modalStack_;
  std::vector<std::string> transcript_;
  std::vector<std::string> beeps_;
  std::vector<FontRequest> fonts_;
  std::map<HANDLE, bool> gdiObjects_;  // handle -> alive
  std::map<HDC, Colours> dcState_;
  std::uintptr_t nextHandle_ = 0x1000;
  HWND lastBrowseOwner_ = nullptr;
  int screenWidth_ = 1024;
  int screenHeight_ = 768;
  std::string programPath_ = "C:\\Temp\\TarnwickSetup.exe";
  bool finished_ = false;
};

}  // namespace tw::test
