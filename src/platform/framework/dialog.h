// The framework's windows and dialogs: CWnd, CDialog, CFont, dialog data
// exchange and the command table. Everything that touches the screen goes
// through the dialog host (platform/ui.h), so the same dialog runs on the real
// dialog manager, the terminal and the scripted test user.
#pragma once

#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/framework/uiconst.h"
#include "platform/types.h"
#include "platform/ui.h"

namespace tw {

class CFont;

// A window handle with the operations the dialogs call on it.
class CWnd {
 public:
  CWnd() = default;
  explicit CWnd(HWND window) : m_hWnd(window) {}
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  virtual ~CWnd();

  HWND GetSafeHwnd() const { return m_hWnd; }

  void SetWindowText(std::string_view text);
  std::string GetWindowText() const;
  BOOL ShowWindow(int showCmd);
  void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  void SetFont(CFont* font, BOOL redraw = TRUE);
  int GetDlgCtrlID() const;
  virtual BOOL DestroyWindow();

  // Children by dialog id. The returned window lives as long as this one.
  CWnd* GetDlgItem(int id);
  void SetDlgItemText(int id, std::string_view text);
  std::string GetDlgItemText(int id);

  // A box owned by this window; returns the button pressed. An empty caption
  // gives the application's name.
  int MessageBox(std::string_view text, std::string_view caption = {}, UINT type = MB_OK);

  HWND m_hWnd = nullptr;

 protected:
  // The child wrappers hold handles of a window that is gone.
  void ForgetChildren();

 private:
  std::map<int, std::unique_ptr<CWnd>> children_;
};

// A font handle, deleted with the object.
class CFont {
 public:
  CFont() = default;
  CFont(const CFont&) = delete;
  CFont& operator=(const CFont&) = delete;
  ~CFont();

  BOOL Attach(HFONT font);
  HFONT Detach();
  BOOL DeleteObject();
  HFONT GetSafeHandle() const { return m_hObject; }
  operator HFONT() const { return m_hObject; }

  HFONT m_hObject = nullptr;
};

// One run of dialog data exchange.
struct CDataExchange {
  BOOL m_bSaveAndValidate = FALSE;  // TRUE: controls -> members
  class CDialog* m_pDlgWnd = nullptr;
};

// Exchanges the text of control `id` with `value`.
void DDX_Text(CDataExchange* pDX, int id, std::string& value);

class CDialog;

// One command-table row: control id and notification to member.
struct CommandEntry {
  int id;
  UINT code;
  void (CDialog::*handler)();
};

// A row for a member of a class derived from CDialog.
template <class Derived>
inline CommandEntry Command(int id, UINT code, void (Derived::*handler)()) {
  return CommandEntry{id, code, static_cast<void (CDialog::*)()>(handler)};
}

class CDialog : public CWnd, private IDialogEvents {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  // Runs the dialog modally; its EndDialog result, or -1 when it cannot be made.
  virtual INT_PTR DoModal();
  // Creates the dialog modelessly; FALSE when it cannot be made.
  virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
  BOOL DestroyWindow() override;
  void EndDialog(int result);

  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();

  // FALSE: members -> controls; TRUE: controls -> members.
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  UINT GetTemplateId() const { return templateId_; }
  CWnd* GetParent() const { return parent_; }

 protected:
  virtual void DoDataExchange(CDataExchange* pDX);
  // The dialog's command table; IDOK and IDCANCEL fall back to OnOK and
  // OnCancel when the table has no row for them.
  virtual std::span<const CommandEntry> GetCommandTable() const { return {}; }
  // A colour request; null keeps the default colours.
  virtual HBRUSH OnCtlColor(HDC dc, CWnd* window, UINT ctlColor);
  virtual void OnDestroy();

 private:
  // IDialogEvents
  int TemplateId() const override { return static_cast<int>(templateId_); }
  void Attach(HWND window) override;
  BOOL HandleInitDialog() override;
  void HandleCommand(int id, UINT code) override;
  HBRUSH HandleCtlColor(HDC dc, HWND control, UINT kind) override;
  void HandleDestroy() override;

  UINT templateId_;
  CWnd* parent_;
  bool inUpdateData_ = false;
};

// USER and GDI operations, reached through the dialog host.
int GetSystemMetrics(int index);
BOOL MessageBeep(UINT type);
HICON LoadIcon(int resourceId);
HBRUSH CreateSolidBrush(COLORREF color);
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight,
                  DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                  DWORD outPrecision, DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily,
                  std::string_view face);
BOOL DeleteObject(HANDLE object);
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF SetBkColor(HDC dc, COLORREF color);

}  // namespace tw
