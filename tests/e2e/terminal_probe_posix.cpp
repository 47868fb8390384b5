// A small program that puts the terminal host through what the install dialog
// alone cannot show yet: message boxes of each kind, a full-screen modeless
// backdrop with colours and fonts, a centred coloured dialog and a scrolling
// read-only text field. terminal_boxes_and_dialogs.sh drives it in tmux.
//
//   tw_terminal_probe box TYPE CAPTION TEXT   -> "answer N"
//   tw_terminal_probe dialogs                 -> "welcome N", "licence N"
// Results go to standard error once the terminal is given back.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "platform/framework/uiconst.h"
#include "platform/terminal/terminal_host.h"

namespace {

using namespace tw;

// A dialog whose colour requests answer with one brush and one text colour,
// optionally moved over the whole screen with a big bold font on its first
// control (as the splash does).
class ProbeDialog final : public IDialogEvents {
 public:
  ProbeDialog(terminal::TerminalUiHost& host, int templateId, COLORREF background, COLORREF text)
      : host_(host), templateId_(templateId), background_(background), text_(text) {}

  bool fullScreen = false;
  std::string caption;
  std::string fieldText;  // for control 1008
  HWND window = nullptr;

  int TemplateId() const override { return templateId_; }
  void Attach(HWND w) override { window = w; }
  BOOL HandleInitDialog() override {
    brush_ = host_.CreateSolidBrush(background_);
    if (!caption.empty()) host_.SetWindowTitle(window, caption);
    if (!fieldText.empty()) host_.SetItemText(window, 1008, fieldText);
    if (fullScreen) {
      const int cx = host_.GetSystemMetrics(SM_CXSCREEN);
      const int cy = host_.GetSystemMetrics(SM_CYSCREEN);
      host_.MoveWindow(window, 0, 0, cx, cy, TRUE);
      font_ = host_.CreateFontA(cx / 20, cy / 28, 0, 0, FW_EXTRABOLD, 0, 0, 0, ANSI_CHARSET,
                                OUT_DEVICE_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                                VARIABLE_PITCH | FF_SWISS, "KD_Font");
      host_.MoveWindow(host_.GetItem(window, 1006), cx / 20, cy / 20, cx - 20, cy - 20, TRUE);
      host_.SendMsg(host_.GetItem(window, 1006), WM_SETFONT, reinterpret_cast<WPARAM>(font_), 0);
      host_.MoveWindow(host_.GetItem(window, 1007), cx / 20, cy / 8, cx - 20, cy - 20, TRUE);
    }
    return TRUE;
  }
  void HandleCommand(int id, UINT code) override {
    if (code != BN_CLICKED) return;
    if (id == IDOK || id == 1006) host_.EndDialog(window, IDOK);
    if (id == IDCANCEL || id == 1005) host_.EndDialog(window, IDCANCEL);
  }
  HBRUSH HandleCtlColor(HDC dc, HWND, UINT) override {
    host_.SetTextColor(dc, text_);
    host_.SetBkColor(dc, background_);
    return brush_;
  }
  void HandleDestroy() override {
    host_.DeleteObject(brush_);
    if (font_) host_.DeleteObject(font_);
  }

 private:
  terminal::TerminalUiHost& host_;
  int templateId_;
  COLORREF background_, text_;
  HBRUSH brush_ = nullptr;
  HFONT font_ = nullptr;
};

std::string LicenceText() {
  std::string text;
  for (int i = 1; i <= 40; ++i) {
    text += "Paragraph " + std::to_string(i) +
            ": the licensee may use the software on any number of computers, provided that "
            "every copy keeps this notice.\r\n\r\n";
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view command = argc > 1 ? argv[1] : "";
  if (command != "box" && command != "dialogs") {
    std::fprintf(stderr, "usage: %s box TYPE CAPTION TEXT | dialogs\n", argv[0]);
    return 2;
  }
  if (command == "box" && argc < 5) {
    std::fprintf(stderr, "box needs TYPE CAPTION TEXT\n");
    return 2;
  }
  auto owned = std::make_unique<terminal::TerminalUiHost>("TarnwickSetup");
  terminal::TerminalUiHost& host = *owned;
  std::string problem;
  if (!host.Start(&problem)) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 1;
  }
  ProbeDialog splash(host, 129, 0x880000, 0xFFFFFF);
  splash.fullScreen = true;
  if (!host.CreateModeless(splash, nullptr)) return 1;

  std::string results;
  if (command == "box") {
    // The text may hold "\n" written out, for line breaks.
    std::string text = argv[4];
    for (std::size_t at; (at = text.find("\\n")) != std::string::npos;) text.replace(at, 2, "\r\n");
    const int answer = host.ShowMessageBox(nullptr, text, argv[3],
                                           static_cast<UINT>(std::strtoul(argv[2], nullptr, 0)));
    results = "answer " + std::to_string(answer) + "\n";
  } else {
    ProbeDialog welcome(host, 130, 0xFFFF00, 0x000000);
    welcome.caption = "Install Tarnwick 2.11b";
    results += "welcome " + std::to_string(host.RunModal(welcome, nullptr)) + "\n";
    ProbeDialog licence(host, 131, 0xFFFFFF, 0x000000);
    licence.fieldText = LicenceText();
    results += "licence " + std::to_string(host.RunModal(licence, nullptr)) + "\n";
  }
  host.DestroyWindow(splash.window);
  owned.reset();  // gives the terminal back before the results are written
  std::fputs(results.c_str(), stderr);
  return 0;
}
