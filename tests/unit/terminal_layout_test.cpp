// The terminal host's arithmetic: where the install dialog's controls land,
// how box and status texts wrap, mnemonics, colours, the edit box's caret and
// scrolling, focus order and message-box buttons.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/framework/termlayout.h"
#include "platform/winconst.h"
#include "resources/templates.h"

namespace tw::terminal {
namespace {

using ::testing::ElementsAre;

TEST(TerminalCells, InstallDialogFitsAnEightyColumnTerminalWithoutOverlaps) {
  const res::DialogTemplate* dlg = res::FindDialogTemplate(102);
  ASSERT_NE(dlg, nullptr);
  const CellRect client = UnitsToCells(0, 0, dlg->cx, dlg->cy);
  EXPECT_EQ(client, (CellRect{0, 0, 64, 13}));
  // Framed: two more each way, inside 80 x 25.
  EXPECT_LE(client.width + 2, 80);
  EXPECT_LE(client.height + 2, 25);

  struct Case {
    int id;
    CellRect cells;
  };
  const Case cases[] = {
      {1000, {2, 6, 51, 3}},   // status: two lines fit
      {1002, {2, 3, 46, 2}},   // edit box
      {1003, {51, 3, 11, 2}},  // Browse: "[ Browse ]" fits in 11
      {1004, {1, 10, 11, 2}},  // Install
      {1005, {19, 10, 11, 2}},
  };
  for (const Case& c : cases) {
    const auto it = std::find_if(dlg->controls.begin(), dlg->controls.end(),
                                 [&](const res::ControlTemplate& t) { return t.id == c.id; });
    ASSERT_NE(it, dlg->controls.end()) << c.id;
    EXPECT_EQ(UnitsToCells(it->x, it->y, it->cx, it->cy), c.cells) << "control " << c.id;
    const CellRect r = c.cells;
    EXPECT_LE(r.col + r.width, client.width) << c.id;
    EXPECT_LE(r.row + r.height, client.height) << c.id;
  }
}

TEST(TerminalCells, EmptyAndNegativeRectanglesStayAtLeastOneCell) {
  EXPECT_EQ(UnitsToCells(0, 0, 0, 0), (CellRect{0, 0, 1, 1}));
  EXPECT_EQ(UnitsToCells(-4, -8, 8, 16), (CellRect{-1, -1, 2, 2}));
  // The splash's controls at 640 x 400 pixels (an 80 x 25 terminal).
  EXPECT_EQ(PixelsToCells(32, 20, 620, 380), (CellRect{4, 1, 77, 24}));
  EXPECT_EQ(PixelsToCells(0, 0, 640, 400), (CellRect{0, 0, 80, 25}));
  EXPECT_EQ(PixelsToCells(5, 5, 1, 1), (CellRect{0, 0, 1, 1}));
}

TEST(TerminalWrap, LineBreaksAndWordWrapping) {
  struct Case {
    std::string_view text;
    int width;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"To install Tarnwick, at least\r\n500 Kb of free disk space is required.",
       50,
       {"To install Tarnwick, at least", "500 Kb of free disk space is required."}},
      {"a\nb\rc\r\n\r\nd", 10, {"a", "b", "c", "", "d"}},
      {"ends with a break\r\n", 40, {"ends with a break"}},
      {"", 10, {""}},
      {"one two three", 7, {"one two", "three"}},
      {"one   two", 4, {"one", "two"}},
      {"abcdefghij", 4, {"abcd", "efgh", "ij"}},
      {"x\ty", 0, {"x", "y"}},  // width 0 counts as 1; the tab is a space
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WrapText(c.text, c.width), c.lines) << c.text;
  }
}

TEST(TerminalWrap, NoLineIsWiderThanTheField) {
  const std::string text =
      "This will install Tarnwick, ZO Daruzura's time zone utility for Windows to your system.";
  for (int width = 1; width < 100; ++width) {
    std::string joined;
    for (const std::string& line : WrapText(text, width)) {
      EXPECT_LE(static_cast<int>(line.size()), width);
      joined += line;
    }
    // Nothing but the spaces at the breaks is lost.
    std::string spaceless = text;
    std::erase(spaceless, ' ');
    std::erase(joined, ' ');
    EXPECT_EQ(joined, spaceless) << width;
  }
}

TEST(TerminalLabel, MarkersAndMnemonics) {
  struct Case {
    std::string_view text;
    std::string shown;
    int mnemonic;
    char key;
  };
  const Case cases[] = {
      {"&Install", "Install", 0, 'i'},  {"&Browse", "Browse", 0, 'b'},
      {"Save &As", "Save As", 5, 'a'},  {"OK", "OK", -1, 0},
      {"R&&D", "R&D", -1, 0},           {"&&&Yes", "&Yes", 1, 'y'},
      {"trailing&", "trailing", -1, 0}, {"&A&B", "AB", 0, 'a'},
  };
  for (const Case& c : cases) {
    const Label label = ParseLabel(c.text);
    EXPECT_EQ(label.text, c.shown) << c.text;
    EXPECT_EQ(label.mnemonic, c.mnemonic) << c.text;
    EXPECT_EQ(MnemonicKey(c.text), c.key) << c.text;
  }
}

TEST(TerminalColour, TheDialogsColoursMapToTheirTerminalColours) {
  EXPECT_EQ(NearestColour(0x880000), 4);  // the splash's dark blue
  EXPECT_EQ(NearestColour(0xFFFF00), 6);  // the welcome box's cyan
  EXPECT_EQ(NearestColour(0xFFFFFF), 7);
  EXPECT_EQ(NearestColour(0x000000), 0);
  EXPECT_EQ(NearestColour(0x0000FF), 1);  // red: 0x00BBGGRR
  EXPECT_EQ(NearestColour(0x00FF00), 2);
  EXPECT_EQ(NearestColour(0xC0C0C0), 7);  // the dialog face
  EXPECT_EQ(NearestColour(0x00FFFF), 3);  // yellow
}

TEST(TerminalEdit, TypingAndCaretMoves) {
  EditLine e;
  e.SetText("C:\\Apps");
  EXPECT_EQ(e.Caret(), 0u);
  e.End();
  EXPECT_TRUE(e.Insert('X'));
  EXPECT_EQ(e.Text(), "C:\\AppsX");
  EXPECT_TRUE(e.Backspace());
  e.Home();
  EXPECT_FALSE(e.Backspace());  // nothing before the caret
  EXPECT_TRUE(e.Delete());
  EXPECT_EQ(e.Text(), ":\\Apps");
  e.End();
  EXPECT_FALSE(e.Delete());  // nothing after it
  e.Right();
  EXPECT_EQ(e.Caret(), e.Text().size());
  e.Left();
  e.Left();
  EXPECT_TRUE(e.Insert('-'));
  EXPECT_EQ(e.Text(), ":\\Ap-ps");
  e.Home();
  e.Left();
  EXPECT_EQ(e.Caret(), 0u);
}

TEST(TerminalEdit, TextIsLimitedAsThePlatformLimitsIt) {
  EditLine e;
  e.SetText(std::string(EditLine::kLimit + 10, 'a'));
  EXPECT_EQ(e.Text().size(), EditLine::kLimit);
  e.End();
  EXPECT_FALSE(e.Insert('b'));
  EXPECT_EQ(e.Text().size(), EditLine::kLimit);
}

TEST(TerminalEdit, ScrollingKeepsTheCaretInsideTheField) {
  EditLine e;
  e.SetText("0123456789ABCDEF");
  EXPECT_EQ(e.ScrollFor(5), 0u);
  e.End();  // caret after 'F', at 16: the field shows "CDEF" and the caret cell
  EXPECT_EQ(e.ScrollFor(5), 12u);
  e.Home();
  EXPECT_EQ(e.ScrollFor(5), 0u);
  for (int i = 0; i < 7; ++i) e.Right();
  EXPECT_EQ(e.ScrollFor(5), 3u);  // caret at 7 is the last cell
  // Deleting from the end pulls the text back in rather than leaving blanks.
  e.End();
  e.ScrollFor(5);
  for (int i = 0; i < 10; ++i) e.Backspace();
  EXPECT_EQ(e.ScrollFor(5), 2u);  // "2345" and the caret after it
  for (int width : {1, 2, 3, 17, 40}) {
    for (std::size_t caret = 0; caret <= e.Text().size(); ++caret) {
      e.Home();
      for (std::size_t i = 0; i < caret; ++i) e.Right();
      const std::size_t scroll = e.ScrollFor(width);
      EXPECT_LE(scroll, e.Caret());
      EXPECT_LT(e.Caret(), scroll + static_cast<std::size_t>(width));
    }
  }
}

TEST(TerminalFocus, TabStopsWrapBothWays) {
  // The install dialog: status, edit, Browse, label, Install, Cancel.
  const bool stops[] = {false, true, true, false, true, true};
  EXPECT_EQ(NextTabStop(stops, -1, true), 1);
  EXPECT_EQ(NextTabStop(stops, 1, true), 2);
  EXPECT_EQ(NextTabStop(stops, 2, true), 4);
  EXPECT_EQ(NextTabStop(stops, 5, true), 1);
  EXPECT_EQ(NextTabStop(stops, 1, false), 5);
  EXPECT_EQ(NextTabStop(stops, -1, false), 5);
  const bool one[] = {false, true};
  EXPECT_EQ(NextTabStop(one, 1, true), 1);
  const bool none[] = {false, false};
  EXPECT_EQ(NextTabStop(none, 0, true), -1);
  EXPECT_EQ(NextTabStop({}, -1, true), -1);
}

TEST(TerminalBox, ButtonsEscapeAndIcons) {
  struct Case {
    UINT type;
    std::vector<int> ids;
    std::optional<int> escape;
    std::string_view mark;
    int focus;
  };
  const Case cases[] = {
      {MB_OK | MB_ICONINFORMATION, {IDOK}, IDOK, "(i)", 0},
      {MB_OK | MB_ICONEXCLAMATION, {IDOK}, IDOK, "(!)", 0},
      {MB_OKCANCEL | MB_ICONQUESTION, {IDOK, IDCANCEL}, IDCANCEL, "(?)", 0},
      {MB_YESNO | MB_ICONQUESTION, {IDYES, IDNO}, std::nullopt, "(?)", 0},
      {MB_YESNO | 0x100, {IDYES, IDNO}, std::nullopt, "", 1},  // MB_DEFBUTTON2
      {MB_OK | MB_ICONERROR | 0x200, {IDOK}, IDOK, "(x)", 0},  // no third button
      {0x3, {IDYES, IDNO, IDCANCEL}, IDCANCEL, "", 0},
      {0x2, {3, 4, 5}, std::nullopt, "", 0},
      {0x5, {4, IDCANCEL}, IDCANCEL, "", 0},
      {0xE, {IDOK}, IDOK, "", 0},  // unknown: OK
  };
  for (const Case& c : cases) {
    std::vector<int> ids;
    for (const BoxButton& b : BoxButtons(c.type)) ids.push_back(b.id);
    EXPECT_EQ(ids, c.ids) << std::hex << c.type;
    EXPECT_EQ(BoxEscapeResult(c.type), c.escape) << std::hex << c.type;
    EXPECT_EQ(BoxIconMark(c.type), c.mark) << std::hex << c.type;
    EXPECT_EQ(BoxDefaultButton(c.type), c.focus) << std::hex << c.type;
  }
  EXPECT_EQ(MnemonicKey(BoxButtons(MB_YESNO)[1].label), 'n');
}

}  // namespace
}  // namespace tw::terminal
