#include "platform/framework/termlayout.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "platform/winconst.h"

namespace tw::terminal {

namespace {

int FloorDiv(int value, int by) { return value >= 0 ? value / by : -((-value + by - 1) / by); }
int CeilDiv(int value, int by) { return -FloorDiv(-value, by); }
int RoundDiv(int value, int by) { return FloorDiv(value + by / 2, by); }

// Message box button ids beyond the ones the installer branches on.
constexpr int kIdAbort = 3;
constexpr int kIdRetry = 4;
constexpr int kIdIgnore = 5;
constexpr UINT kTypeMask = 0x0F;
constexpr UINT kIconMask = 0xF0;
constexpr UINT kDefButtonMask = 0xF00;

}  // namespace

CellRect UnitsToCells(int x, int y, int cx, int cy) {
  CellRect r;
  r.col = FloorDiv(x, 4);
  r.row = RoundDiv(y, 8);
  r.width = std::max(1, CeilDiv(x + cx, 4) - r.col);
  r.height = std::max(1, RoundDiv(y + cy, 8) - r.row);
  return r;
}

CellRect PixelsToCells(int x, int y, int width, int height) {
  CellRect r;
  r.col = FloorDiv(x, kPixelsPerColumn);
  r.row = FloorDiv(y, kPixelsPerRow);
  r.width = std::max(1, FloorDiv(x + width, kPixelsPerColumn) - r.col);
  r.height = std::max(1, FloorDiv(y + height, kPixelsPerRow) - r.row);
  return r;
}

std::vector<std::string> WrapText(std::string_view text, int width) {
  const std::size_t w = static_cast<std::size_t>(std::max(1, width));
  std::vector<std::string> lines;
  auto wrapLine = [&](std::string line) {
    std::replace(line.begin(), line.end(), '\t', ' ');
    while (line.size() > w) {
      // Break after the last space that fits; the spaces at the break go.
      std::size_t cut = line.rfind(' ', w);
      std::size_t next = cut;
      if (cut == std::string::npos || cut == 0) {
        cut = w;
        next = w;
      } else {
        while (cut > 0 && line[cut - 1] == ' ') --cut;
        if (cut == 0) cut = next = w;
      }
      lines.push_back(line.substr(0, cut));
      while (next < line.size() && line[next] == ' ') ++next;
      line.erase(0, next);
    }
    lines.push_back(std::move(line));
  };
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      wrapLine(std::string(text.substr(start, i - start)));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  // A text that ends with a line break has no empty line after it.
  if (start < text.size() || lines.empty()) wrapLine(std::string(text.substr(start)));
  return lines;
}

Label ParseLabel(std::string_view text) {
  Label label;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) {
      ++i;
      if (text[i] != '&' && label.mnemonic < 0) {
        label.mnemonic = static_cast<int>(label.text.size());
      }
    } else if (text[i] == '&') {
      continue;  // a marker with nothing after it
    }
    label.text.push_back(text[i]);
  }
  return label;
}

char MnemonicKey(std::string_view text) {
  const Label label = ParseLabel(text);
  if (label.mnemonic < 0) return 0;
  return static_cast<char>(std::tolower(
      static_cast<unsigned char>(label.text[static_cast<std::size_t>(label.mnemonic)])));
}

int NearestColour(COLORREF color) {
  const int r = static_cast<int>(color & 0xFF);
  const int g = static_cast<int>((color >> 8) & 0xFF);
  const int b = static_cast<int>((color >> 16) & 0xFF);
  // The eight colours at the intensities terminals usually give them; white is
  // the light grey of a dialog's face.
  struct Rgb {
    int r, g, b;
  };
  static constexpr std::array<Rgb, 8> kColours = {{{0, 0, 0},
                                                   {170, 0, 0},
                                                   {0, 170, 0},
                                                   {170, 170, 0},
                                                   {0, 0, 170},
                                                   {170, 0, 170},
                                                   {0, 170, 170},
                                                   {210, 210, 210}}};
  int best = 0;
  long bestDistance = -1;
  for (int i = 0; i < 8; ++i) {
    const Rgb& c = kColours[static_cast<std::size_t>(i)];
    const long d = static_cast<long>(r - c.r) * (r - c.r) + static_cast<long>(g - c.g) * (g - c.g) +
                   static_cast<long>(b - c.b) * (b - c.b);
    if (bestDistance < 0 || d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  return best;
}

// ---- EditLine

void EditLine::SetText(std::string_view text) {
  text_.assign(text.substr(0, std::min(text.size(), kLimit)));
  caret_ = 0;
  scroll_ = 0;
}

bool EditLine::Insert(char c) {
  if (text_.size() >= kLimit) return false;
  text_.insert(caret_, 1, c);
  ++caret_;
  return true;
}

bool EditLine::Backspace() {
  if (caret_ == 0) return false;
  text_.erase(--caret_, 1);
  return true;
}

bool EditLine::Delete() {
  if (caret_ >= text_.size()) return false;
  text_.erase(caret_, 1);
  return true;
}

void EditLine::Left() {
  if (caret_ > 0) --caret_;
}

void EditLine::Right() {
  if (caret_ < text_.size()) ++caret_;
}

void EditLine::Home() { caret_ = 0; }

void EditLine::End() { caret_ = text_.size(); }

std::size_t EditLine::ScrollFor(int width) {
  const std::size_t w = static_cast<std::size_t>(std::max(1, width));
  // The caret may stand after the last character: that cell must show too.
  if (caret_ < scroll_) scroll_ = caret_;
  if (caret_ >= scroll_ + w) scroll_ = caret_ - w + 1;
  // No blank run at the end while there is text scrolled off to the left.
  if (scroll_ > 0 && text_.size() + 1 < scroll_ + w) {
    scroll_ = text_.size() + 1 > w ? text_.size() + 1 - w : 0;
    scroll_ = std::min(scroll_, caret_);
  }
  return scroll_;
}

int NextTabStop(std::span<const bool> tabStops, int current, bool forward) {
  const int n = static_cast<int>(tabStops.size());
  if (n == 0) return -1;
  int i = current < 0 || current >= n ? (forward ? -1 : n) : current;
  for (int step = 0; step < n; ++step) {
    i = forward ? i + 1 : i - 1;
    if (i >= n) i = 0;
    if (i < 0) i = n - 1;
    if (tabStops[static_cast<std::size_t>(i)]) return i;
  }
  return -1;
}

std::vector<BoxButton> BoxButtons(UINT type) {
  switch (type & kTypeMask) {
    case MB_OKCANCEL:
      return {{"OK", IDOK}, {"Cancel", IDCANCEL}};
    case 0x2:  // MB_ABORTRETRYIGNORE
      return {{"&Abort", kIdAbort}, {"&Retry", kIdRetry}, {"&Ignore", kIdIgnore}};
    case 0x3:  // MB_YESNOCANCEL
      return {{"&Yes", IDYES}, {"&No", IDNO}, {"Cancel", IDCANCEL}};
    case MB_YESNO:
      return {{"&Yes", IDYES}, {"&No", IDNO}};
    case 0x5:  // MB_RETRYCANCEL
      return {{"&Retry", kIdRetry}, {"Cancel", IDCANCEL}};
    default:
      return {{"OK", IDOK}};
  }
}

int BoxDefaultButton(UINT type) {
  const int wanted = static_cast<int>((type & kDefButtonMask) >> 8);
  const int count = static_cast<int>(BoxButtons(type).size());
  return wanted < count ? wanted : 0;
}

std::optional<int> BoxEscapeResult(UINT type) {
  for (const BoxButton& button : BoxButtons(type)) {
    if (button.id == IDCANCEL) return IDCANCEL;
  }
  const std::vector<BoxButton> buttons = BoxButtons(type);
  if (buttons.size() == 1 && buttons[0].id == IDOK) return IDOK;
  return std::nullopt;
}

std::string_view BoxIconMark(UINT type) {
  switch (type & kIconMask) {
    case MB_ICONHAND:
      return "(x)";
    case MB_ICONQUESTION:
      return "(?)";
    case MB_ICONEXCLAMATION:
      return "(!)";
    case MB_ICONINFORMATION:
      return "(i)";
    default:
      return {};
  }
}

}  // namespace tw::terminal
