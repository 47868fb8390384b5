#include "platform/framework/dialog.h"

#include "platform/framework/app.h"
#include "platform/platform.h"

namespace tw {

// ---- CWnd

CWnd::~CWnd() {
  // The application must not keep pointing at a main window that is gone.
  if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd == this) app->m_pMainWnd = nullptr;
}

void CWnd::SetWindowText(std::string_view text) { Ui().SetWindowTitle(m_hWnd, text); }

std::string CWnd::GetWindowText() const { return Ui().GetWindowTitle(m_hWnd); }

BOOL CWnd::ShowWindow(int showCmd) { return Ui().ShowWindow(m_hWnd, showCmd); }

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
  Ui().MoveWindow(m_hWnd, x, y, width, height, repaint);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return Ui().SendMsg(m_hWnd, message, wParam, lParam);
}

void CWnd::SetFont(CFont* font, BOOL redraw) {
  SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font ? font->m_hObject : nullptr),
              redraw ? 1 : 0);
}

int CWnd::GetDlgCtrlID() const { return Ui().GetItemId(m_hWnd); }

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  return Ui().DestroyWindow(m_hWnd);
}

CWnd* CWnd::GetDlgItem(int id) {
  HWND item = Ui().GetItem(m_hWnd, id);
  if (!item) return nullptr;
  auto& child = children_[id];
  if (!child) child = std::make_unique<CWnd>(item);
  child->m_hWnd = item;
  return child.get();
}

void CWnd::SetDlgItemText(int id, std::string_view text) { Ui().SetItemText(m_hWnd, id, text); }

std::string CWnd::GetDlgItemText(int id) { return Ui().GetItemText(m_hWnd, id); }

int CWnd::MessageBox(std::string_view text, std::string_view caption, UINT type) {
  if (caption.empty()) {
    CWinApp* app = AfxGetApp();
    caption = app && app->m_pszAppName ? app->m_pszAppName : "";
  }
  return Ui().ShowMessageBox(m_hWnd, text, caption, type);
}

void CWnd::ForgetChildren() { children_.clear(); }

// ---- CFont

CFont::~CFont() { DeleteObject(); }

BOOL CFont::Attach(HFONT font) {
  if (!font) return FALSE;
  DeleteObject();
  m_hObject = font;
  return TRUE;
}

HFONT CFont::Detach() {
  HFONT font = m_hObject;
  m_hObject = nullptr;
  return font;
}

BOOL CFont::DeleteObject() {
  if (!m_hObject) return FALSE;
  HFONT font = Detach();
  return tw::DeleteObject(font);
}

// ---- data exchange

void DDX_Text(CDataExchange* pDX, int id, std::string& value) {
  if (pDX->m_bSaveAndValidate) {
    value = pDX->m_pDlgWnd->GetDlgItemText(id);
  } else {
    pDX->m_pDlgWnd->SetDlgItemText(id, value);
  }
}

// ---- CDialog

CDialog::CDialog(UINT templateId, CWnd* parent) : templateId_(templateId), parent_(parent) {}

CDialog::~CDialog() {
  // A modeless window still up would call back into a dead object.
  if (m_hWnd) DestroyWindow();
}

INT_PTR CDialog::DoModal() {
  HWND parent = parent_ ? parent_->GetSafeHwnd() : nullptr;
  return Ui().RunModal(*this, parent);
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  if (m_hWnd) return FALSE;
  templateId_ = templateId;
  parent_ = parent;
  HWND owner = parent ? parent->GetSafeHwnd() : nullptr;
  return Ui().CreateModeless(*this, owner) != nullptr;
}

BOOL CDialog::DestroyWindow() { return CWnd::DestroyWindow(); }

void CDialog::EndDialog(int result) {
  if (m_hWnd) Ui().EndDialog(m_hWnd, result);
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  // Setting a control's text makes it notify its dialog (an edit box sends
  // EN_CHANGE); those notifications are not for the dialog's handlers while the
  // exchange is half done, or a handler would read a control not yet filled.
  const bool outer = !inUpdateData_;
  inUpdateData_ = true;
  CDataExchange dx;
  dx.m_bSaveAndValidate = saveAndValidate;
  dx.m_pDlgWnd = this;
  DoDataExchange(&dx);
  if (outer) inUpdateData_ = false;
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

HBRUSH CDialog::OnCtlColor(HDC, CWnd*, UINT) { return nullptr; }

void CDialog::OnDestroy() {}

void CDialog::Attach(HWND window) {
  m_hWnd = window;
  if (!window) ForgetChildren();
}

BOOL CDialog::HandleInitDialog() { return OnInitDialog(); }

void CDialog::HandleCommand(int id, UINT code) {
  if (inUpdateData_) return;
  for (const CommandEntry& entry : GetCommandTable()) {
    if (entry.id == id && entry.code == code) {
      (this->*entry.handler)();
      return;
    }
  }
  if (code != BN_CLICKED) return;
  if (id == IDOK) {
    OnOK();
  } else if (id == IDCANCEL) {
    OnCancel();
  }
}

HBRUSH CDialog::HandleCtlColor(HDC dc, HWND control, UINT kind) {
  if (!control || control == m_hWnd) return OnCtlColor(dc, this, kind);
  CWnd window(control);
  return OnCtlColor(dc, &window, kind);
}

void CDialog::HandleDestroy() { OnDestroy(); }

// ---- USER and GDI

int GetSystemMetrics(int index) { return Ui().GetSystemMetrics(index); }
BOOL MessageBeep(UINT type) { return Ui().MessageBeep(type); }
HICON LoadIcon(int resourceId) { return Ui().LoadIconA(resourceId); }
HBRUSH CreateSolidBrush(COLORREF color) { return Ui().CreateSolidBrush(color); }
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight,
                  DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                  DWORD outPrecision, DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily,
                  std::string_view face) {
  return Ui().CreateFontA(height, width, escapement, orientation, weight, italic, underline,
                          strikeOut, charSet, outPrecision, clipPrecision, quality,
                          pitchAndFamily, face);
}
BOOL DeleteObject(HANDLE object) { return object ? Ui().DeleteObject(object) : FALSE; }
COLORREF SetTextColor(HDC dc, COLORREF color) { return Ui().SetTextColor(dc, color); }
COLORREF SetBkColor(HDC dc, COLORREF color) { return Ui().SetBkColor(dc, color); }

}  // namespace tw
