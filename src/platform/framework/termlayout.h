// The terminal dialog host's arithmetic, kept apart from curses so that it can
// be tested on its own: dialog units and pixels to character cells, text
// wrapping, button labels and their mnemonics, the nearest terminal colour,
// the single-line edit box, focus order and the buttons of a message box.
//
// Cells: one dialog unit is a quarter of a character across and an eighth of
// a line down. The host reports a screen of 8 pixels per column and 16 per
// line, so a pixel is half a dialog unit either way.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"

namespace tw::terminal {

struct CellRect {
  int col = 0;
  int row = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const CellRect&, const CellRect&) = default;
};

inline constexpr int kPixelsPerColumn = 8;
inline constexpr int kPixelsPerRow = 16;

// A rectangle in dialog units as cells. Across, the left edge rounds down and
// the right edge up, so a button keeps room for its label; down, both edges
// round to the nearest line. A rectangle with any size is at least one cell
// each way.
CellRect UnitsToCells(int x, int y, int cx, int cy);
// A rectangle in the host's pixels as cells (edges round down; at least one
// cell each way).
CellRect PixelsToCells(int x, int y, int width, int height);

// The lines of `text` in a field `width` cells wide. CR LF, LF and a lone CR
// end a line; a longer line breaks after the last space that fits, and a word
// longer than the width is cut. Tabs become spaces. A width below 1 counts as 1.
std::vector<std::string> WrapText(std::string_view text, int width);

// A control's label without its '&' markers ("&&" stands for one '&'), and
// the position of the marked letter in the result (-1: none).
struct Label {
  std::string text;
  int mnemonic = -1;
};
Label ParseLabel(std::string_view text);
// The marked letter in lower case, or 0 when the label has none.
char MnemonicKey(std::string_view text);

// The curses colour number (0 black, 1 red, 2 green, 3 yellow, 4 blue,
// 5 magenta, 6 cyan, 7 white) nearest to a 0x00BBGGRR colour.
int NearestColour(COLORREF color);

// A single-line edit box: the text, the caret and the first column shown.
class EditLine {
 public:
  // The platform's default limit of a single-line edit box.
  static constexpr std::size_t kLimit = 32767;

  const std::string& Text() const { return text_; }
  std::size_t Caret() const { return caret_; }
  // Replaces the text (cut to the limit); the caret goes to the start, as the
  // platform puts it after a new window text.
  void SetText(std::string_view text);
  // Each returns true when the text changed.
  bool Insert(char c);
  bool Backspace();
  bool Delete();
  void Left();
  void Right();
  void Home();
  void End();
  // The first character shown in a field `width` cells wide, moved just
  // enough that the caret stays inside the field.
  std::size_t ScrollFor(int width);

 private:
  std::string text_;
  std::size_t caret_ = 0;
  std::size_t scroll_ = 0;
};

// The next entry of `tabStops` that is true after `current` (or before it,
// going backwards), wrapping round; `current` -1 starts from the edge. -1 when
// none is true.
int NextTabStop(std::span<const bool> tabStops, int current, bool forward);

// A message box's buttons for its type (MB_OK, MB_OKCANCEL, MB_ABORTRETRYIGNORE,
// MB_YESNOCANCEL, MB_YESNO, MB_RETRYCANCEL; an unknown type shows OK).
struct BoxButton {
  std::string_view label;  // with its '&' marker
  int id;
};
std::vector<BoxButton> BoxButtons(UINT type);
// The button that has the focus when the box opens (MB_DEFBUTTON2/3), an index
// into BoxButtons(type).
int BoxDefaultButton(UINT type);
// What Escape answers: IDCANCEL when the box has Cancel, IDOK for a box with
// OK alone; nothing for a box without either (Yes/No, Abort/Retry/Ignore).
std::optional<int> BoxEscapeResult(UINT type);
// The mark shown for the box's icon: "(x)", "(?)", "(!)", "(i)", or empty.
std::string_view BoxIconMark(UINT type);

}  // namespace tw::terminal
