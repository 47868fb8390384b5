// The platform's headers come first: curses defines TRUE, FALSE and OK as
// macros, which would rewrite our constants of those names.
#include "platform/terminal/terminal_host.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdlib>

#include "platform/framework/termlayout.h"
#include "platform/framework/uiconst.h"
#include "platform/platform.h"
#include "platform/posix/machine.h"
#include "resources/templates.h"

#define NCURSES_WIDECHAR 1
#include <ncursesw/curses.h>

namespace tw::terminal {

namespace {

constexpr int kResultFailed = -1;
// How long a key after Escape may follow to count as Alt+key, in milliseconds.
constexpr int kAltWaitMs = 30;
constexpr std::uintptr_t kIconHandle = 0x1280;

// The terminal is given back at exit too, since the installer may end the
// process from inside a dialog.
bool g_cursesActive = false;

void RestoreTerminal() {
  if (g_cursesActive) {
    endwin();
    g_cursesActive = false;
  }
}

// ---- drawing primitives, clipped to the screen

// One character of the system code page as the terminal's wide character.
wchar_t Wide(char c) {
  const std::u16string w = posix::AnsiToWide(std::string_view(&c, 1));
  return w.empty() ? L'?' : static_cast<wchar_t>(w[0]);
}

// Colour pairs are made on demand, one per (foreground, background); -1 is the
// terminal's default colour.
short PairFor(int fg, int bg) {
  static std::map<std::pair<int, int>, short> pairs;
  if (!has_colors() || (fg < 0 && bg < 0)) return 0;
  const auto key = std::make_pair(fg, bg);
  if (auto it = pairs.find(key); it != pairs.end()) return it->second;
  const int next = static_cast<int>(pairs.size()) + 1;
  if (next >= COLOR_PAIRS || next > 32767) return 0;
  if (init_pair(static_cast<short>(next), static_cast<short>(fg), static_cast<short>(bg)) == ERR) {
    return 0;
  }
  pairs[key] = static_cast<short>(next);
  return static_cast<short>(next);
}

void PutChar(int row, int col, wchar_t ch, attr_t attrs, short pair) {
  if (row < 0 || col < 0 || row >= LINES || col >= COLS) return;
  wchar_t text[2] = {ch, L'\0'};
  cchar_t cell;
  if (setcchar(&cell, text, attrs, pair, nullptr) == ERR) return;
  mvadd_wch(row, col, &cell);
}

void PutLine(int row, int col, chtype line, attr_t attrs, short pair) {
  if (row < 0 || col < 0 || row >= LINES || col >= COLS) return;
  mvaddch(row, col, line | attrs | static_cast<chtype>(COLOR_PAIR(pair)));
}

// Text of the system code page, cut at `maxWidth` cells (negative: no limit).
void PutText(int row, int col, std::string_view text, attr_t attrs, short pair, int maxWidth = -1) {
  const int n = maxWidth < 0 ? static_cast<int>(text.size())
                             : std::min(maxWidth, static_cast<int>(text.size()));
  for (int i = 0; i < n; ++i) {
    const char c = text[static_cast<std::size_t>(i)];
    const bool control = static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    PutChar(row, col + i, control ? L' ' : Wide(c), attrs, pair);
  }
}

void FillRect(int row, int col, int height, int width, attr_t attrs, short pair) {
  for (int r = std::max(row, 0); r < std::min(row + height, LINES); ++r) {
    for (int c = std::max(col, 0); c < std::min(col + width, COLS); ++c) {
      PutChar(r, c, L' ', attrs, pair);
    }
  }
}

void Frame(int row, int col, int height, int width, attr_t attrs, short pair) {
  if (height < 2 || width < 2) return;
  const int bottom = row + height - 1;
  const int right = col + width - 1;
  for (int c = col + 1; c < right; ++c) {
    PutLine(row, c, ACS_HLINE, attrs, pair);
    PutLine(bottom, c, ACS_HLINE, attrs, pair);
  }
  for (int r = row + 1; r < bottom; ++r) {
    PutLine(r, col, ACS_VLINE, attrs, pair);
    PutLine(r, right, ACS_VLINE, attrs, pair);
  }
  PutLine(row, col, ACS_ULCORNER, attrs, pair);
  PutLine(row, right, ACS_URCORNER, attrs, pair);
  PutLine(bottom, col, ACS_LLCORNER, attrs, pair);
  PutLine(bottom, right, ACS_LRCORNER, attrs, pair);
}

// A framed box with its caption in the top border.
void CaptionedFrame(int row, int col, int height, int width, std::string_view caption, attr_t attrs,
                    short pair, bool active) {
  Frame(row, col, height, width, attrs, pair);
  if (caption.empty() || width < 6) return;
  const int room = width - 4;
  PutChar(row, col + 1, L' ', attrs, pair);
  const int shown = std::min(room - 1, static_cast<int>(caption.size()));
  PutText(row, col + 2, caption, attrs | (active ? A_BOLD : A_NORMAL), pair, shown);
  PutChar(row, col + 2 + shown, L' ', attrs, pair);
}

// A push button's face: "[ Label ]", "[>Label<]" for the one Enter presses,
// narrower forms when the cell is small.
struct ButtonFace {
  std::string text;
  int mnemonicAt = -1;  // position in text
};

ButtonFace FaceOf(std::string_view labelText, int width, bool enterTarget) {
  const Label label = ParseLabel(labelText);
  const int n = static_cast<int>(label.text.size());
  const char lb = '[', rb = ']';
  const char inL = enterTarget ? '>' : ' ', inR = enterTarget ? '<' : ' ';
  ButtonFace face;
  int offset;
  if (n + 4 <= width) {
    face.text = std::string{lb, inL} + label.text + std::string{inR, rb};
    offset = 2;
  } else if (n + 2 <= width) {
    face.text = std::string(1, enterTarget ? '>' : lb) + label.text +
                std::string(1, enterTarget ? '<' : rb);
    offset = 1;
  } else {
    face.text = label.text.substr(0, static_cast<std::size_t>(std::max(width, 0)));
    offset = 0;
  }
  if (label.mnemonic >= 0 && label.mnemonic + offset < static_cast<int>(face.text.size())) {
    face.mnemonicAt = label.mnemonic + offset;
  }
  return face;
}

bool IsDark(int colour) {
  return colour == COLOR_BLACK || colour == COLOR_BLUE || colour == COLOR_RED ||
         colour == COLOR_MAGENTA;
}

}  // namespace

// ---- the host's windows

struct TerminalUiHost::Style {
  int fg = -1;
  int bg = -1;
  attr_t attrs = A_NORMAL;
  short Pair() const { return PairFor(fg, bg); }
};

struct TerminalUiHost::Control {
  int id;
  res::ControlClass kind;
  DWORD style;
  std::string text;
  HWND handle;
  CellRect cells;   // in the client area
  EditLine edit;    // single-line edit boxes
  int topLine = 0;  // multi-line edit boxes: the first line shown
  HFONT font = nullptr;

  bool IsButton() const { return kind == res::ControlClass::Button; }
  bool IsEdit() const { return kind == res::ControlClass::Edit; }
  bool IsMultiLine() const { return IsEdit() && (style & ES_MULTILINE); }
  bool IsSingleLineEdit() const { return IsEdit() && !(style & ES_MULTILINE); }
  bool IsReadOnly() const { return IsEdit() && (style & ES_READONLY); }
  bool IsTabStop() const { return (style & res::kStyleTabStop) && (style & res::kStyleVisible); }
  bool IsDefault() const {
    return IsButton() && (style & res::kButtonTypeMask) == res::kButtonDefault;
  }
  const std::string& Text() const { return IsSingleLineEdit() ? edit.Text() : text; }
};

struct TerminalUiHost::Window {
  IDialogEvents* events;
  int templateId;
  HWND handle;
  std::string title;
  bool framed;
  bool visible;
  bool modal;
  bool alive = true;
  bool ended = false;
  bool running = false;  // a modal loop still holds it
  INT_PTR result = 0;
  int focus = -1;                  // index into controls
  CellRect client;                 // template size, in cells
  std::optional<CellRect> placed;  // the whole window, after MoveWindow
  bool fullScreen = false;         // placed over the whole screen: follows resizes
  std::vector<Control> controls;

  // The whole window on the screen.
  CellRect Outer() const {
    if (fullScreen) return {0, 0, COLS, LINES};
    if (placed) return *placed;
    const int w = client.width + (framed ? 2 : 0);
    const int h = client.height + (framed ? 2 : 0);
    if (!framed) return {0, 0, w, h};
    return {std::max(0, (COLS - w) / 2), std::max(0, (LINES - h) / 2), w, h};
  }
  CellRect Client() const {
    CellRect o = Outer();
    if (framed) {
      o.col += 1;
      o.row += 1;
      o.width = std::max(0, o.width - 2);
      o.height = std::max(0, o.height - 2);
    }
    return o;
  }
};

struct TerminalUiHost::Key {
  enum class Kind {
    None,
    Char,
    Alt,
    Tab,
    BackTab,
    Enter,
    Escape,
    Backspace,
    Delete,
    Left,
    Right,
    Up,
    Down,
    Home,
    End,
    PageUp,
    PageDown,
    Resize
  } kind = Kind::None;
  char ch = 0;  // Char and Alt: the character in the system code page
};

TerminalUiHost::TerminalUiHost(std::string programName) : programName_(std::move(programName)) {}

TerminalUiHost::~TerminalUiHost() { RestoreTerminal(); }

bool TerminalUiHost::Start(std::string* error) {
  if (started_) return true;
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    if (error) *error = "standard input and output must be a terminal";
    return false;
  }
  std::setlocale(LC_ALL, "");
  // Escape alone must answer at once; terminals send Alt+key as Escape, key.
  set_escdelay(25);
  SCREEN* screen = newterm(nullptr, stdout, stdin);
  if (!screen) {
    const char* term = std::getenv("TERM");
    if (error) {
      *error = std::string("cannot use the terminal type \"") + (term ? term : "") + "\"";
    }
    return false;
  }
  set_term(screen);
  g_cursesActive = true;
  static bool registered = false;
  if (!registered) {
    std::atexit(RestoreTerminal);
    registered = true;
  }
  cbreak();
  noecho();
  nonl();
  keypad(stdscr, 1);
  if (has_colors()) {
    start_color();
    use_default_colors();
  }
  curs_set(0);
  started_ = true;
  return true;
}

std::string TerminalUiHost::ProgramPath() {
  std::string name = programName_;
  const auto slash = name.find_last_of("/\\");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  if (name.empty()) name = "TarnwickSetup";
  if (name.find('.') == std::string::npos) name += ".exe";
  return "C:\\" + name;
}

std::uintptr_t TerminalUiHost::NewHandle() {
  nextHandle_ += 0x10;
  return nextHandle_;
}

TerminalUiHost::Window* TerminalUiHost::Find(HWND handle) const {
  if (!handle) return nullptr;
  for (const auto& window : windows_) {
    if (window->handle == handle && window->alive) return window.get();
  }
  return nullptr;
}

TerminalUiHost::Control* TerminalUiHost::FindControl(Window& window, int id) const {
  for (Control& control : window.controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

TerminalUiHost::Window* TerminalUiHost::TopModal() const {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if ((*it)->alive && (*it)->modal && !(*it)->ended) return it->get();
  }
  return nullptr;
}

TerminalUiHost::Window* TerminalUiHost::Open(IDialogEvents& dialog, HWND, bool modal) {
  const res::DialogTemplate* tmpl = res::FindDialogTemplate(dialog.TemplateId());
  if (!tmpl) return nullptr;
  auto window = std::make_unique<Window>();
  window->events = &dialog;
  window->templateId = tmpl->id;
  window->handle = reinterpret_cast<HWND>(NewHandle());
  window->title = std::string(tmpl->caption);
  window->framed = (tmpl->style & res::kStyleCaption) != 0;
  window->visible = (tmpl->style & res::kStyleVisible) != 0;
  window->modal = modal;
  window->client = UnitsToCells(0, 0, tmpl->cx, tmpl->cy);
  for (const res::ControlTemplate& c : tmpl->controls) {
    Control control{c.id,
                    c.kind,
                    c.style,
                    std::string(c.text),
                    reinterpret_cast<HWND>(NewHandle()),
                    UnitsToCells(c.x, c.y, c.cx, c.cy),
                    {},
                    0,
                    nullptr};
    if (control.IsSingleLineEdit()) control.edit.SetText(control.text);
    window->controls.push_back(std::move(control));
  }
  Window* raw = window.get();
  windows_.push_back(std::move(window));
  raw->running = modal;

  dialog.Attach(raw->handle);
  const BOOL focusFirst = dialog.HandleInitDialog();
  if (raw->alive && !raw->ended && focusFirst) {
    for (std::size_t i = 0; i < raw->controls.size(); ++i) {
      if (raw->controls[i].IsTabStop()) {
        Focus(*raw, static_cast<int>(i));
        break;
      }
    }
  }
  if (modal && raw->alive && !raw->ended) raw->visible = true;
  return raw;
}

void TerminalUiHost::Close(Window& window) {
  if (!window.alive) return;
  window.ended = true;
  window.events->HandleDestroy();
  window.alive = false;
  window.events->Attach(nullptr);
}

void TerminalUiHost::Sweep() {
  std::erase_if(windows_,
                [](const std::unique_ptr<Window>& w) { return !w->alive && !w->running; });
}

// ---- dialogs

INT_PTR TerminalUiHost::RunModal(IDialogEvents& dialog, HWND parent) {
  if (!started_) return kResultFailed;
  Window* window = Open(dialog, parent, true);
  if (!window) return kResultFailed;
  while (window->alive && !window->ended) {
    Redraw();
    const Key key = ReadKey();
    if (key.kind == Key::Kind::None || key.kind == Key::Kind::Resize) continue;
    Dispatch(*window, key);
  }
  const INT_PTR result = window->result;
  Close(*window);
  window->running = false;
  Sweep();
  Redraw();
  return result;
}

HWND TerminalUiHost::CreateModeless(IDialogEvents& dialog, HWND parent) {
  Window* window = Open(dialog, parent, false);
  if (!window || !window->alive) return nullptr;
  if (started_) Redraw();
  return window->handle;
}

BOOL TerminalUiHost::DestroyWindow(HWND handle) {
  Window* window = Find(handle);
  if (!window) return 0;
  Close(*window);
  if (!window->running) Sweep();
  if (started_) Redraw();
  return 1;
}

BOOL TerminalUiHost::EndDialog(HWND handle, INT_PTR result) {
  Window* window = Find(handle);
  if (!window || window->ended) return 0;
  window->ended = true;
  window->result = result;
  return 1;
}

// ---- windows and controls

BOOL TerminalUiHost::SetWindowTitle(HWND handle, std::string_view text) {
  if (Window* window = Find(handle)) {
    window->title = std::string(text);
    return 1;
  }
  for (const auto& window : windows_) {
    for (Control& control : window->controls) {
      if (control.handle == handle && window->alive)
        return SetItemText(window->handle, control.id, text);
    }
  }
  return 0;
}

std::string TerminalUiHost::GetWindowTitle(HWND handle) {
  if (Window* window = Find(handle)) return window->title;
  for (const auto& window : windows_) {
    for (const Control& control : window->controls) {
      if (control.handle == handle && window->alive) return control.Text();
    }
  }
  return {};
}

BOOL TerminalUiHost::SetItemText(HWND handle, int id, std::string_view text) {
  Window* window = Find(handle);
  Control* control = window ? FindControl(*window, id) : nullptr;
  if (!control) return 0;
  if (control->IsSingleLineEdit()) {
    control->edit.SetText(text);
    const bool focused =
        window->focus >= 0 && &window->controls[static_cast<std::size_t>(window->focus)] == control;
    if (focused) control->edit.End();
    // A single-line edit box tells its dialog at once, as the platform's does.
    window->events->HandleCommand(id, EN_CHANGE);
  } else {
    control->text = std::string(text);
    control->topLine = 0;
  }
  return 1;
}

std::string TerminalUiHost::GetItemText(HWND handle, int id) {
  Window* window = Find(handle);
  Control* control = window ? FindControl(*window, id) : nullptr;
  return control ? control->Text() : std::string();
}

HWND TerminalUiHost::GetItem(HWND handle, int id) {
  Window* window = Find(handle);
  Control* control = window ? FindControl(*window, id) : nullptr;
  return control ? control->handle : nullptr;
}

int TerminalUiHost::GetItemId(HWND handle) {
  for (const auto& window : windows_) {
    for (const Control& control : window->controls) {
      if (control.handle == handle) return control.id;
    }
  }
  return 0;
}

BOOL TerminalUiHost::ShowWindow(HWND handle, int showCmd) {
  Window* window = Find(handle);
  if (!window) return 0;
  const bool was = window->visible;
  window->visible = showCmd != SW_HIDE;
  if (started_) Redraw();
  return was ? 1 : 0;
}

BOOL TerminalUiHost::MoveWindow(HWND handle, int x, int y, int width, int height, BOOL) {
  if (Window* window = Find(handle)) {
    // A framed dialog stays centred; a window moved over the whole screen (the
    // splash) keeps covering it when the terminal changes size.
    if (!window->framed) {
      window->fullScreen = x <= 0 && y <= 0 && width >= GetSystemMetrics(SM_CXSCREEN) &&
                           height >= GetSystemMetrics(SM_CYSCREEN);
      window->placed = PixelsToCells(x, y, width, height);
    }
    return 1;
  }
  for (const auto& window : windows_) {
    if (!window->alive) continue;
    for (Control& control : window->controls) {
      if (control.handle == handle) {
        control.cells = PixelsToCells(x, y, width, height);
        return 1;
      }
    }
  }
  return 0;
}

LRESULT TerminalUiHost::SendMsg(HWND handle, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_SETFONT) {
    for (const auto& window : windows_) {
      for (Control& control : window->controls) {
        if (control.handle == handle) control.font = reinterpret_cast<HFONT>(wParam);
      }
    }
  }
  // WM_SETICON and the rest: a terminal has no use for them.
  return 0;
}

HWND TerminalUiHost::GetFocusWindow() {
  Window* window = TopModal();
  if (!window || window->focus < 0) return nullptr;
  return window->controls[static_cast<std::size_t>(window->focus)].handle;
}

// ---- drawing

TerminalUiHost::Style TerminalUiHost::AskColours(Window& window, HWND target, unsigned kind,
                                                 const Style& fallback) {
  const HDC dc = reinterpret_cast<HDC>(NewHandle());
  dcs_[dc] = {};
  const HBRUSH brush = window.events->HandleCtlColor(dc, target, kind);
  const DcState state = dcs_[dc];
  dcs_.erase(dc);
  Style style = fallback;
  if (brush) {
    if (auto it = brushes_.find(brush); it != brushes_.end()) style.bg = NearestColour(it->second);
  }
  if (state.background) style.bg = NearestColour(*state.background);
  if (state.text) {
    style.fg = NearestColour(*state.text);
  } else if (style.bg >= 0 && style.bg != fallback.bg) {
    style.fg = IsDark(style.bg) ? COLOR_WHITE : COLOR_BLACK;
  }
  if (style.fg == style.bg && style.fg >= 0)
    style.fg = IsDark(style.bg) ? COLOR_WHITE : COLOR_BLACK;
  return style;
}

void TerminalUiHost::DrawControl(Window& window, Control& c, int originCol, int originRow,
                                 const Style& dialogStyle, bool active) {
  const int col = originCol + c.cells.col;
  const int row = originRow + c.cells.row;
  const CellRect client = window.Client();
  const bool focused =
      active && window.focus >= 0 && &window.controls[static_cast<std::size_t>(window.focus)] == &c;
  attr_t fontAttrs = A_NORMAL;
  if (c.font) {
    if (auto it = fonts_.find(c.font); it != fonts_.end()) {
      if (it->second.weight >= FW_BOLD) fontAttrs |= A_BOLD;
      if (it->second.underline) fontAttrs |= A_UNDERLINE;
    }
  }
  switch (c.kind) {
    case res::ControlClass::Static: {
      const Style s = AskColours(window, c.handle, CTLCOLOR_STATIC, dialogStyle);
      // A one-line label may run on to the dialog's edge: the terminal's
      // letters are wider than the dialog font's.
      const int width =
          c.cells.height == 1 ? std::max(c.cells.width, client.width - c.cells.col) : c.cells.width;
      const std::vector<std::string> lines = WrapText(c.text, width);
      for (int i = 0; i < static_cast<int>(lines.size()) && i < c.cells.height; ++i) {
        const std::string& line = lines[static_cast<std::size_t>(i)];
        int at = col;
        if ((c.style & 0x3) == SS_CENTER) {
          at += std::max(0, (c.cells.width - static_cast<int>(line.size())) / 2);
        }
        PutText(row + i, at, line, s.attrs | fontAttrs, s.Pair(),
                std::max(0, client.col + client.width - at));
      }
      break;
    }
    case res::ControlClass::Edit: {
      const Style s = AskColours(window, c.handle, c.IsReadOnly() ? CTLCOLOR_STATIC : CTLCOLOR_EDIT,
                                 dialogStyle);
      const bool border = (c.style & WS_BORDER) != 0;
      if (c.IsMultiLine()) {
        const int inset = border ? 1 : 0;
        const bool bar = (c.style & WS_VSCROLL) != 0;
        const int innerW = std::max(1, c.cells.width - 2 * inset - (bar ? 1 : 0));
        const int innerH = std::max(1, c.cells.height - 2 * inset);
        if (border)
          Frame(row, col, c.cells.height, c.cells.width, s.attrs | (focused ? A_BOLD : A_NORMAL),
                s.Pair());
        FillRect(row + inset, col + inset, innerH, innerW + (bar ? 1 : 0), s.attrs, s.Pair());
        const std::vector<std::string> lines = WrapText(c.text, innerW);
        const int total = static_cast<int>(lines.size());
        c.topLine = std::clamp(c.topLine, 0, std::max(0, total - innerH));
        for (int i = 0; i < innerH && c.topLine + i < total; ++i) {
          PutText(row + inset + i, col + inset, lines[static_cast<std::size_t>(c.topLine + i)],
                  s.attrs | fontAttrs, s.Pair(), innerW);
        }
        if (bar && innerH >= 2) {
          const int barCol = col + inset + innerW;
          for (int i = 0; i < innerH; ++i)
            PutLine(row + inset + i, barCol, ACS_CKBOARD, s.attrs, s.Pair());
          PutLine(row + inset, barCol, ACS_UARROW, s.attrs, s.Pair());
          PutLine(row + inset + innerH - 1, barCol, ACS_DARROW, s.attrs, s.Pair());
          if (total > innerH && innerH > 2) {
            const int track = innerH - 2;
            const int thumb = c.topLine * (track - 1) / std::max(1, total - innerH);
            PutLine(row + inset + 1 + thumb, barCol, ACS_BLOCK, s.attrs, s.Pair());
          }
        }
      } else {
        const int innerW = std::max(1, c.cells.width - (border ? 2 : 0));
        const int innerCol = col + (border ? 1 : 0);
        if (border) {
          PutChar(row, col, L'[', s.attrs, s.Pair());
          PutChar(row, col + c.cells.width - 1, L']', s.attrs, s.Pair());
        }
        FillRect(row, innerCol, 1, innerW, s.attrs | A_UNDERLINE, s.Pair());
        const std::size_t first = c.edit.ScrollFor(innerW);
        const std::string& text = c.edit.Text();
        if (first < text.size()) {
          PutText(row, innerCol, std::string_view(text).substr(first),
                  s.attrs | A_UNDERLINE | fontAttrs, s.Pair(), innerW);
        }
        if (focused) {
          cursorRow_ = row;
          cursorCol_ = innerCol + static_cast<int>(c.edit.Caret() - first);
        }
      }
      break;
    }
    case res::ControlClass::Button: {
      const Style s = AskColours(window, c.handle, CTLCOLOR_BTN, dialogStyle);
      // Enter presses the focused button, else the default one.
      bool enterTarget = false;
      if (active) {
        const Control* focus =
            window.focus >= 0 ? &window.controls[static_cast<std::size_t>(window.focus)] : nullptr;
        enterTarget = focus && focus->IsButton() ? focus == &c : c.IsDefault();
      }
      const ButtonFace face = FaceOf(c.text, c.cells.width, enterTarget);
      const int at = col + std::max(0, (c.cells.width - static_cast<int>(face.text.size())) / 2);
      const attr_t attrs = s.attrs | fontAttrs | (focused ? A_REVERSE : A_NORMAL);
      PutText(row, at, face.text, attrs, s.Pair());
      if (face.mnemonicAt >= 0) {
        PutChar(row, at + face.mnemonicAt,
                Wide(face.text[static_cast<std::size_t>(face.mnemonicAt)]),
                attrs | A_UNDERLINE | A_BOLD, s.Pair());
      }
      break;
    }
  }
}

void TerminalUiHost::DrawWindow(Window& window, bool active) {
  const CellRect outer = window.Outer();
  const CellRect client = window.Client();
  const Style dialogStyle = AskColours(window, window.handle, CTLCOLOR_DLG, Style{});
  FillRect(outer.row, outer.col, outer.height, outer.width, dialogStyle.attrs, dialogStyle.Pair());
  if (window.framed) {
    CaptionedFrame(outer.row, outer.col, outer.height, outer.width, window.title, dialogStyle.attrs,
                   dialogStyle.Pair(), active);
  }
  // The first control lies on top: draw from the last.
  for (auto it = window.controls.rbegin(); it != window.controls.rend(); ++it) {
    if (!(it->style & res::kStyleVisible)) continue;
    DrawControl(window, *it, client.col, client.row, dialogStyle, active);
  }
}

void TerminalUiHost::Redraw() {
  if (!started_) return;
  cursorRow_ = cursorCol_ = -1;
  erase();
  // Modeless windows lie behind every modal one.
  Window* top = TopModal();
  for (int pass = 0; pass < 2; ++pass) {
    for (const auto& window : windows_) {
      if (!window->alive || !window->visible || window->modal != (pass == 1)) continue;
      DrawWindow(*window, window.get() == top && overlays_.empty());
    }
  }
  for (const auto& overlay : overlays_) {
    cursorRow_ = cursorCol_ = -1;
    overlay();
  }
  if (cursorRow_ >= 0 && cursorRow_ < LINES && cursorCol_ >= 0 && cursorCol_ < COLS) {
    move(cursorRow_, cursorCol_);
    curs_set(1);
  } else {
    curs_set(0);
  }
  refresh();
}

// ---- input

TerminalUiHost::Key TerminalUiHost::ReadKey() {
  Key key;
  wint_t ch = 0;
  int got = get_wch(&ch);
  if (got == ERR) return key;
  if (got == KEY_CODE_YES) {
    switch (ch) {
      case KEY_RESIZE:
        key.kind = Key::Kind::Resize;
        break;
      case KEY_BTAB:
        key.kind = Key::Kind::BackTab;
        break;
      case KEY_ENTER:
        key.kind = Key::Kind::Enter;
        break;
      case KEY_BACKSPACE:
        key.kind = Key::Kind::Backspace;
        break;
      case KEY_DC:
        key.kind = Key::Kind::Delete;
        break;
      case KEY_LEFT:
        key.kind = Key::Kind::Left;
        break;
      case KEY_RIGHT:
        key.kind = Key::Kind::Right;
        break;
      case KEY_UP:
        key.kind = Key::Kind::Up;
        break;
      case KEY_DOWN:
        key.kind = Key::Kind::Down;
        break;
      case KEY_HOME:
        key.kind = Key::Kind::Home;
        break;
      case KEY_END:
        key.kind = Key::Kind::End;
        break;
      case KEY_PPAGE:
        key.kind = Key::Kind::PageUp;
        break;
      case KEY_NPAGE:
        key.kind = Key::Kind::PageDown;
        break;
      default:
        break;
    }
    return key;
  }
  auto toAnsi = [](wint_t wide, char* out) {
    if (wide > 0xFFFF) return false;
    const std::u16string w(1, static_cast<char16_t>(wide));
    const std::string a = posix::WideToAnsi(w);
    // What the code page cannot hold comes back as '?'.
    if (a.size() != 1 || (a[0] == '?' && wide != L'?')) return false;
    *out = a[0];
    return true;
  };
  switch (ch) {
    case L'\t':
      key.kind = Key::Kind::Tab;
      return key;
    case L'\r':
    case L'\n':
      key.kind = Key::Kind::Enter;
      return key;
    case 8:
    case 127:
      key.kind = Key::Kind::Backspace;
      return key;
    case 27: {
      // Escape alone, or the first half of Alt+key.
      timeout(kAltWaitMs);
      wint_t next = 0;
      const int more = get_wch(&next);
      timeout(-1);
      if (more == OK && next != 27 && next >= 0x20 && toAnsi(next, &key.ch)) {
        key.kind = Key::Kind::Alt;
      } else {
        if (more == OK)
          unget_wch(static_cast<wchar_t>(next));
        else if (more == KEY_CODE_YES)
          unget_wch(static_cast<wchar_t>(next));
        key.kind = Key::Kind::Escape;
      }
      return key;
    }
    default:
      break;
  }
  if (ch >= 0x20 && ch != 0x7F && toAnsi(ch, &key.ch)) key.kind = Key::Kind::Char;
  return key;
}

void TerminalUiHost::Focus(Window& window, int index) {
  if (index < 0 || index >= static_cast<int>(window.controls.size())) return;
  if (window.focus == index) return;
  window.focus = index;
  Control& control = window.controls[static_cast<std::size_t>(index)];
  // The caret comes in at the end of the text, ready to add to it.
  if (control.IsSingleLineEdit()) control.edit.End();
}

void TerminalUiHost::Click(Window& window, Control& control) {
  Focus(window, static_cast<int>(&control - window.controls.data()));
  window.events->HandleCommand(control.id, BN_CLICKED);
}

void TerminalUiHost::Dispatch(Window& window, const Key& key) {
  using K = Key::Kind;
  Control* focused =
      window.focus >= 0 ? &window.controls[static_cast<std::size_t>(window.focus)] : nullptr;
  const std::size_t count = window.controls.size();
  std::unique_ptr<bool[]> stops(new bool[count > 0 ? count : 1]);
  for (std::size_t i = 0; i < count; ++i) stops[i] = window.controls[i].IsTabStop();
  auto step = [&](bool forward) {
    const int next = NextTabStop(std::span<const bool>(stops.get(), count), window.focus, forward);
    if (next >= 0) Focus(window, next);
  };
  auto mnemonic = [&](char letter) {
    const char wanted = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    for (std::size_t i = 0; i < window.controls.size(); ++i) {
      Control& c = window.controls[i];
      if (!(c.style & res::kStyleVisible) || MnemonicKey(c.text) != wanted) continue;
      if (c.IsButton()) {
        Click(window, c);
      } else {
        // A label's letter leads to the next control that takes the focus.
        for (std::size_t j = i + 1; j < window.controls.size(); ++j) {
          if (window.controls[j].IsTabStop()) {
            Focus(window, static_cast<int>(j));
            break;
          }
        }
      }
      return true;
    }
    return false;
  };
  auto multiLine = [&]() -> Control* {
    if (focused && focused->IsMultiLine()) return focused;
    for (Control& c : window.controls) {
      if (c.IsMultiLine() && (c.style & res::kStyleVisible)) return &c;
    }
    return nullptr;
  };
  auto scrollBy = [&](Control& c, int lines) {
    c.topLine = std::max(0, c.topLine + lines);  // the drawing clamps the end
  };
  const bool editing = focused && focused->IsSingleLineEdit() && !focused->IsReadOnly();
  auto changed = [&](bool didChange) {
    if (didChange) window.events->HandleCommand(focused->id, EN_CHANGE);
  };

  switch (key.kind) {
    case K::Escape:
      window.events->HandleCommand(IDCANCEL, 0);
      return;
    case K::Enter: {
      int target = IDOK;
      if (focused && focused->IsButton()) {
        target = focused->id;
      } else {
        for (const Control& c : window.controls) {
          if (c.IsDefault()) {
            target = c.id;
            break;
          }
        }
      }
      window.events->HandleCommand(target, BN_CLICKED);
      return;
    }
    case K::Tab:
      step(true);
      return;
    case K::BackTab:
      step(false);
      return;
    case K::Up:
    case K::Down:
      if (focused && focused->IsMultiLine()) {
        scrollBy(*focused, key.kind == K::Up ? -1 : 1);
      } else {
        step(key.kind == K::Down);
      }
      return;
    case K::PageUp:
    case K::PageDown:
      if (Control* c = multiLine()) {
        const int page = std::max(1, c->cells.height - 3);
        scrollBy(*c, key.kind == K::PageUp ? -page : page);
      }
      return;
    case K::Alt:
      if (!mnemonic(key.ch)) ::beep();
      return;
    case K::Char:
      if (editing) {
        changed(focused->edit.Insert(key.ch));
      } else if (key.ch == ' ' && focused && focused->IsButton()) {
        Click(window, *focused);
      } else if (!mnemonic(key.ch)) {
        ::beep();
      }
      return;
    case K::Backspace:
      if (editing) changed(focused->edit.Backspace());
      return;
    case K::Delete:
      if (editing) changed(focused->edit.Delete());
      return;
    case K::Left:
    case K::Right:
      if (editing) {
        key.kind == K::Left ? focused->edit.Left() : focused->edit.Right();
      } else if (focused && focused->IsButton()) {
        step(key.kind == K::Right);
      }
      return;
    case K::Home:
    case K::End:
      if (editing) {
        key.kind == K::Home ? focused->edit.Home() : focused->edit.End();
      } else if (focused && focused->IsMultiLine()) {
        focused->topLine = key.kind == K::Home ? 0 : 1 << 30;
      }
      return;
    case K::None:
    case K::Resize:
      return;
  }
}

// ---- message boxes

int TerminalUiHost::ShowMessageBox(HWND, std::string_view text, std::string_view caption,
                                   UINT type) {
  if (!started_) return 0;
  const std::vector<BoxButton> buttons = BoxButtons(type);
  const std::optional<int> escape = BoxEscapeResult(type);
  const std::string mark(BoxIconMark(type));
  const std::string body(text);
  const std::string title(caption);
  int focus = BoxDefaultButton(type);

  overlays_.push_back([&] {
    const int markW = mark.empty() ? 0 : static_cast<int>(mark.size()) + 1;
    // Lines of the text as written, before wrapping, for the natural width.
    int longest = 1;
    for (const std::string& line : WrapText(body, 1 << 20)) {
      longest = std::max(longest, static_cast<int>(line.size()));
    }
    int buttonsW = -2;
    for (const BoxButton& b : buttons)
      buttonsW += static_cast<int>(ParseLabel(b.label).text.size()) + 4 + 2;
    const int maxInner = std::max(1, std::min(COLS, 78) - 4);
    const int textW = std::max(1, std::min(longest, maxInner - markW));
    const std::vector<std::string> lines = WrapText(body, textW);
    const int inner = std::min(
        maxInner, std::max({markW + textW, buttonsW, static_cast<int>(title.size()) + 2, 20}));
    // Keep the buttons on screen: fewer text lines when the terminal is short.
    const int shownLines = std::max(1, std::min(static_cast<int>(lines.size()), LINES - 5));
    const int width = inner + 4;
    const int height = shownLines + 5;
    const int col = std::max(0, (COLS - width) / 2);
    const int row = std::max(0, (LINES - height) / 2);
    FillRect(row, col, height, width, A_NORMAL, 0);
    CaptionedFrame(row, col, height, width, title, A_NORMAL, 0, true);
    if (!mark.empty()) PutText(row + 2, col + 2, mark, A_BOLD, 0);
    for (int i = 0; i < shownLines; ++i) {
      PutText(row + 2 + i, col + 2 + markW, lines[static_cast<std::size_t>(i)], A_NORMAL, 0, textW);
    }
    int at = col + 2 + std::max(0, (inner - buttonsW) / 2);
    const int buttonRow = row + height - 2;
    for (int i = 0; i < static_cast<int>(buttons.size()); ++i) {
      const std::string_view label = buttons[static_cast<std::size_t>(i)].label;
      const ButtonFace face =
          FaceOf(label, static_cast<int>(ParseLabel(label).text.size()) + 4, i == focus);
      const attr_t attrs = i == focus ? A_REVERSE : A_NORMAL;
      PutText(buttonRow, at, face.text, attrs, 0);
      if (face.mnemonicAt >= 0) {
        PutChar(buttonRow, at + face.mnemonicAt,
                Wide(face.text[static_cast<std::size_t>(face.mnemonicAt)]),
                attrs | A_UNDERLINE | A_BOLD, 0);
      }
      at += static_cast<int>(face.text.size()) + 2;
    }
  });

  int answer = 0;
  const int count = static_cast<int>(buttons.size());
  while (answer == 0) {
    Redraw();
    const Key key = ReadKey();
    using K = Key::Kind;
    switch (key.kind) {
      case K::Enter:
        answer = buttons[static_cast<std::size_t>(focus)].id;
        break;
      case K::Escape:
        if (escape)
          answer = *escape;
        else
          ::beep();  // a Yes/No box has no Escape
        break;
      case K::Tab:
      case K::Right:
      case K::Down:
        focus = (focus + 1) % count;
        break;
      case K::BackTab:
      case K::Left:
      case K::Up:
        focus = (focus + count - 1) % count;
        break;
      case K::Char:
      case K::Alt: {
        if (key.kind == K::Char && key.ch == ' ') {
          answer = buttons[static_cast<std::size_t>(focus)].id;
          break;
        }
        const char wanted = static_cast<char>(std::tolower(static_cast<unsigned char>(key.ch)));
        for (const BoxButton& b : buttons) {
          if (MnemonicKey(b.label) == wanted) answer = b.id;
        }
        if (answer == 0) ::beep();
        break;
      }
      default:
        break;
    }
  }
  overlays_.pop_back();
  Redraw();
  return answer;
}

// ---- the folder browser

namespace {

bool IsDriveLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// "X:\..." with no empty, "." or ".." component; the canonical form has an
// upper-case drive and the names' case as stored, with no trailing backslash
// except for a root ("X:\").
std::optional<std::string> CanonicalFolder(std::string_view typed, std::string* problem) {
  std::string path(typed);
  while (!path.empty() && path.back() == ' ') path.pop_back();
  while (!path.empty() && path.front() == ' ') path.erase(0, 1);
  if (path.size() == 2 && IsDriveLetter(path[0]) && path[1] == ':') path += '\\';
  if (path.size() < 3 || !IsDriveLetter(path[0]) || path[1] != ':' || path[2] != '\\') {
    *problem = "Type the full path of a folder, for example C:\\Program Files.";
    return std::nullopt;
  }
  std::string result;
  result += static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
  result += ":\\";
  std::string rest = path.substr(3);
  while (!rest.empty() && rest.back() == '\\') rest.pop_back();
  std::size_t start = 0;
  while (start < rest.size()) {
    std::size_t end = rest.find('\\', start);
    if (end == std::string::npos) end = rest.size();
    const std::string part = rest.substr(start, end - start);
    if (part.empty() || part == "." || part == ".." ||
        part.find_first_of("*?") != std::string::npos) {
      *problem = "Type the full path of a folder, for example C:\\Program Files.";
      return std::nullopt;
    }
    const std::string candidate = (result.back() == '\\' ? result : result + "\\") + part;
    WIN32_FIND_DATAA data;
    HANDLE find = Files().FindFirstFileA(candidate, &data);
    if (find == INVALID_HANDLE_VALUE || !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      if (find != INVALID_HANDLE_VALUE) Files().FindClose(find);
      *problem = "There is no folder " + candidate + ".";
      return std::nullopt;
    }
    Files().FindClose(find);
    data.cFileName[sizeof data.cFileName - 1] = '\0';
    result = (result.back() == '\\' ? result : result + "\\") + data.cFileName;
    start = end + 1;
  }
  const DWORD attributes = Files().GetFileAttributesA(result);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    *problem = "There is no folder " + result + ".";
    return std::nullopt;
  }
  return result;
}

// The folders that could follow what has been typed: the drives while no
// folder is named, else the sub-folders of the folder up to the last
// backslash whose names begin with the rest. Sorted, at most `limit`.
std::vector<std::string> Candidates(const std::string& typed, std::string* parent,
                                    std::size_t limit) {
  std::vector<std::string> names;
  const auto slash = typed.rfind('\\');
  if (slash == std::string::npos) {
    parent->clear();
    for (char d = 'A'; d <= 'Z'; ++d) {
      const std::string root = std::string(1, d) + ":\\";
      const DWORD a = Files().GetFileAttributesA(root);
      if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(root);
    }
    return names;
  }
  *parent = typed.substr(0, slash + 1);
  const std::string prefix = typed.substr(slash + 1);
  if (parent->find_first_of("*?") != std::string::npos) return names;
  WIN32_FIND_DATAA data;
  HANDLE find = Files().FindFirstFileA(*parent + "*.*", &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    data.cFileName[sizeof data.cFileName - 1] = '\0';
    const std::string name = data.cFileName;
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == "." || name == "..")
      continue;
    if (name.size() < prefix.size() || !posix::NamesEqual(name.substr(0, prefix.size()), prefix))
      continue;
    names.push_back(name);
  } while (names.size() < 4096 && Files().FindNextFileA(find, &data));
  Files().FindClose(find);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return posix::AnsiToHost(a) < posix::AnsiToHost(b);
  });
  if (names.size() > limit) names.resize(limit);
  return names;
}

}  // namespace

ItemIdListPtr TerminalUiHost::BrowseForFolder(HWND, std::string_view title, UINT,
                                              std::span<char> displayName) {
  if (!displayName.empty()) displayName[0] = '\0';
  if (!started_) return nullptr;
  EditLine path;
  std::string problem;
  std::string parent;
  std::vector<std::string> candidates = Candidates("", &parent, 6);
  const std::string heading(title);

  overlays_.push_back([&] {
    const int width = std::max(8, std::min(COLS, 72));
    const int inner = width - 4;
    const std::vector<std::string> titleLines = WrapText(heading, inner);
    const int listRows = 6;
    const int height = static_cast<int>(titleLines.size()) + listRows + 8;
    const int col = std::max(0, (COLS - width) / 2);
    const int row = std::max(0, (LINES - height) / 2);
    FillRect(row, col, height, width, A_NORMAL, 0);
    CaptionedFrame(row, col, height, width, "Browse for Folder", A_NORMAL, 0, true);
    int r = row + 1;
    for (const std::string& line : titleLines) PutText(r++, col + 2, line, A_BOLD, 0, inner);
    ++r;
    PutText(r, col + 2, "Folder:", A_NORMAL, 0, inner);
    const int fieldCol = col + 11;
    const int fieldW = std::max(1, width - 14);
    PutChar(r, fieldCol - 1, L'[', A_NORMAL, 0);
    PutChar(r, fieldCol + fieldW, L']', A_NORMAL, 0);
    FillRect(r, fieldCol, 1, fieldW, A_UNDERLINE, 0);
    const std::size_t first = path.ScrollFor(fieldW);
    if (first < path.Text().size()) {
      PutText(r, fieldCol, std::string_view(path.Text()).substr(first), A_UNDERLINE, 0, fieldW);
    }
    const int caretRow = r;
    const int caretCol = fieldCol + static_cast<int>(path.Caret() - first);
    r += 2;
    if (candidates.empty() && !parent.empty()) {
      PutText(r, col + 4, "(no folders here)", A_DIM, 0, inner - 2);
    }
    for (int i = 0; i < listRows && i < static_cast<int>(candidates.size()); ++i) {
      PutText(r + i, col + 4, parent + candidates[static_cast<std::size_t>(i)], A_DIM, 0,
              inner - 2);
    }
    r += listRows;
    PutText(r++, col + 2, problem, A_BOLD, 0, inner);
    PutText(r, col + 2, "Enter: choose   Tab: complete   Escape: cancel", A_NORMAL, 0, inner);
    cursorRow_ = caretRow;
    cursorCol_ = caretCol;
  });

  ItemIdListPtr chosen;
  bool done = false;
  while (!done) {
    Redraw();
    const Key key = ReadKey();
    using K = Key::Kind;
    bool edited = false;
    switch (key.kind) {
      case K::Escape:
        done = true;
        break;
      case K::Enter: {
        problem.clear();
        if (std::optional<std::string> folder = CanonicalFolder(path.Text(), &problem)) {
          std::string name = *folder;
          if (name.size() > 3) {
            name.erase(0, name.rfind('\\') + 1);
          } else {
            name.pop_back();  // "D:\" shows as "D:"
          }
          if (!displayName.empty()) {
            const std::size_t n = std::min(name.size(), displayName.size() - 1);
            name.copy(displayName.data(), n);
            displayName[n] = '\0';
          }
          chosen = std::make_unique<PathItemIdList>(*folder);
          done = true;
        } else {
          ::beep();
        }
        break;
      }
      case K::Tab: {
        // Completes the common beginning of the candidates; a single one
        // becomes the folder, ready for the next level.
        if (candidates.empty()) {
          ::beep();
          break;
        }
        std::string common = candidates[0];
        for (const std::string& c : candidates) {
          std::size_t n = 0;
          while (n < common.size() && n < c.size() &&
                 std::tolower(static_cast<unsigned char>(common[n])) ==
                     std::tolower(static_cast<unsigned char>(c[n]))) {
            ++n;
          }
          common.resize(n);
        }
        std::string completed = parent + common;
        if (candidates.size() == 1 && !completed.empty() && completed.back() != '\\')
          completed += '\\';
        path.SetText(completed);
        path.End();
        edited = true;
        break;
      }
      case K::Char:
      case K::Alt:
        edited = path.Insert(key.ch);
        break;
      case K::Backspace:
        edited = path.Backspace();
        break;
      case K::Delete:
        edited = path.Delete();
        break;
      case K::Left:
        path.Left();
        break;
      case K::Right:
        path.Right();
        break;
      case K::Home:
        path.Home();
        break;
      case K::End:
        path.End();
        break;
      default:
        break;
    }
    if (edited) {
      problem.clear();
      candidates = Candidates(path.Text(), &parent, 6);
    }
  }
  overlays_.pop_back();
  Redraw();
  return chosen;
}

// ---- USER and GDI odds and ends

int TerminalUiHost::GetSystemMetrics(int index) {
  const int cols = started_ ? COLS : 80;
  const int lines = started_ ? LINES : 25;
  if (index == SM_CXSCREEN) return cols * kPixelsPerColumn;
  if (index == SM_CYSCREEN) return lines * kPixelsPerRow;
  return 0;
}

BOOL TerminalUiHost::MessageBeep(UINT) {
  if (started_) ::beep();
  return 1;
}

HICON TerminalUiHost::LoadIconA(int resourceId) {
  // The program carries one icon, 128; a terminal shows none.
  return resourceId == 128 ? reinterpret_cast<HICON>(kIconHandle) : nullptr;
}

HBRUSH TerminalUiHost::CreateSolidBrush(COLORREF color) {
  auto* handle = reinterpret_cast<HBRUSH>(NewHandle());
  brushes_[handle] = color;
  return handle;
}

HFONT TerminalUiHost::CreateFontA(int, int, int, int, int weight, DWORD, DWORD underline, DWORD,
                                  DWORD, DWORD, DWORD, DWORD, DWORD, std::string_view) {
  auto* handle = reinterpret_cast<HFONT>(NewHandle());
  fonts_[handle] = Font{weight, underline != 0};
  return handle;
}

BOOL TerminalUiHost::DeleteObject(HANDLE object) {
  if (brushes_.erase(object) || fonts_.erase(object)) return 1;
  return 0;
}

COLORREF TerminalUiHost::SetTextColor(HDC dc, COLORREF color) {
  // Colours count only inside a colour request, where the dc is ours.
  auto it = dcs_.find(dc);
  if (it == dcs_.end()) return 0;
  DcState& state = it->second;
  const COLORREF previous = state.text.value_or(0);
  state.text = color;
  return previous;
}

COLORREF TerminalUiHost::SetBkColor(HDC dc, COLORREF color) {
  auto it = dcs_.find(dc);
  if (it == dcs_.end()) return 0xFFFFFF;
  DcState& state = it->second;
  const COLORREF previous = state.background.value_or(0xFFFFFF);
  state.background = color;
  return previous;
}

}  // namespace tw::terminal
