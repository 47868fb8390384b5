#include "resources/templates.h"

#include <algorithm>

#include "platform/framework/uiconst.h"

namespace tw::res {

namespace {

constexpr std::uint32_t kChild = WS_CHILD | WS_VISIBLE;

// 102: the install dialog.
constexpr ControlTemplate kInstallControls[] = {
    {ControlClass::Static, 1000, "Please wait:\r\ninitialising...", 8, 47, 203, 21,
     kChild | SS_LEFT | WS_GROUP},
    {ControlClass::Edit, 1002, "", 8, 23, 182, 14,
     kChild | ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
    {ControlClass::Button, 1003, "&Browse", 204, 23, 42, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP},
    {ControlClass::Static, -1, "Target Directory:", 8, 10, 61, 8, kChild | SS_LEFT | WS_GROUP},
    {ControlClass::Button, 1004, "&Install", 6, 79, 42, 14,
     kChild | BS_DEFPUSHBUTTON | WS_TABSTOP},
    {ControlClass::Button, 1005, "&Cancel", 76, 79, 42, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP},
};

// 129: the splash screen.
constexpr ControlTemplate kSplashControls[] = {
    {ControlClass::Static, 1006, "ZO Daruzura", 10, 10, 40, 8, kChild | SS_LEFT | WS_GROUP},
    {ControlClass::Static, 1007, "Keeping your clocks in step with the world", 10, 30, 142, 8,
     kChild | SS_LEFT | WS_GROUP},
};

// 130: the welcome box.
constexpr ControlTemplate kWelcomeControls[] = {
    {ControlClass::Button, 1006, "&OK", 32, 50, 45, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP},
    {ControlClass::Button, 1005, "&Cancel", 118, 50, 45, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP},
    {ControlClass::Static, -1,
     "This will install Tarnwick, ZO Daruzura's time zone utility for Windows to your system.",
     31, 12, 133, 27, kChild | SS_CENTER},
};

// 131: the licence agreement.
constexpr ControlTemplate kLicenseControls[] = {
    {ControlClass::Button, IDOK, "OK", 140, 176, 45, 14, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP},
    {ControlClass::Button, IDCANCEL, "Cancel", 73, 176, 45, 14,
     kChild | BS_PUSHBUTTON | WS_TABSTOP},
    {ControlClass::Edit, 1008, "", 15, 19, 228, 140,
     kChild | ES_LEFT | ES_MULTILINE | ES_READONLY | WS_BORDER | WS_VSCROLL | WS_TABSTOP},
};

constexpr std::uint32_t kIntroStyle = 0x80c800c0u;  // popup, caption, system menu, modal frame, font

const DialogTemplate kTemplates[] = {
    {102, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
     WS_EX_APPWINDOW, 0, 0, 254, 103, "InstallXK", "MS Sans Serif", 8, kInstallControls},
    {129, 0x90000040u, 0, 0, 0, 200, 110, "", "MS Sans Serif", 8, kSplashControls},
    {130, kIntroStyle, 0, 0, 0, 196, 71, "Tarnwick Installation", "MS Sans Serif", 8,
     kWelcomeControls},
    {131, kIntroStyle, 0, 0, 0, 259, 197, "Tarnwick License and End User Agreement",
     "MS Sans Serif", 8, kLicenseControls},
};

class Writer {
 public:
  void Word(std::uint16_t v) {
    bytes_.push_back(static_cast<std::uint8_t>(v & 0xFF));
    bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void Dword(std::uint32_t v) {
    Word(static_cast<std::uint16_t>(v & 0xFFFF));
    Word(static_cast<std::uint16_t>(v >> 16));
  }
  void Short(std::int16_t v) { Word(static_cast<std::uint16_t>(v)); }
  void Byte(std::uint8_t v) { bytes_.push_back(v); }
  // A NUL-terminated UTF-16 string; the texts are plain ASCII, where a byte
  // widens to the same code unit.
  void Text(std::string_view text) {
    for (char c : text) Word(static_cast<std::uint8_t>(c));
    Word(0);
  }
  void Ordinal(std::uint16_t v) {
    Word(0xFFFF);
    Word(v);
  }
  void AlignDword() {
    while (bytes_.size() % 4 != 0) bytes_.push_back(0);
  }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

std::span<const DialogTemplate> DialogTemplates() { return kTemplates; }

const DialogTemplate* FindDialogTemplate(int id) {
  const auto it = std::find_if(std::begin(kTemplates), std::end(kTemplates),
                               [id](const DialogTemplate& t) { return t.id == id; });
  return it == std::end(kTemplates) ? nullptr : &*it;
}

std::vector<std::uint8_t> BuildDialogTemplateEx(const DialogTemplate& dialog) {
  Writer w;
  w.Word(1);
  w.Word(0xFFFF);
  w.Dword(0);  // help id
  w.Dword(dialog.exStyle);
  w.Dword(dialog.style);
  w.Word(static_cast<std::uint16_t>(dialog.controls.size()));
  w.Short(dialog.x);
  w.Short(dialog.y);
  w.Short(dialog.cx);
  w.Short(dialog.cy);
  w.Word(0);  // no menu
  w.Word(0);  // the standard dialog class
  w.Text(dialog.caption);
  if (dialog.style & DS_SETFONT) {
    w.Word(dialog.pointSize);
    w.Word(static_cast<std::uint16_t>(FW_NORMAL));
    w.Byte(0);  // not italic
    w.Byte(1);  // DEFAULT_CHARSET
    w.Text(dialog.fontName);
  }
  for (const ControlTemplate& c : dialog.controls) {
    w.AlignDword();
    w.Dword(0);  // help id
    w.Dword(c.exStyle);
    w.Dword(c.style);
    w.Short(c.x);
    w.Short(c.y);
    w.Short(c.cx);
    w.Short(c.cy);
    w.Dword(static_cast<std::uint32_t>(c.id));
    w.Ordinal(static_cast<std::uint16_t>(c.kind));
    w.Text(c.text);
    w.Word(0);  // no creation data
  }
  return w.Take();
}

std::vector<std::uint8_t> BuildDialogTemplate(const DialogTemplate& dialog) {
  Writer w;
  w.Dword(dialog.style);
  w.Dword(dialog.exStyle);
  w.Word(static_cast<std::uint16_t>(dialog.controls.size()));
  w.Short(dialog.x);
  w.Short(dialog.y);
  w.Short(dialog.cx);
  w.Short(dialog.cy);
  w.Word(0);
  w.Word(0);
  w.Text(dialog.caption);
  if (dialog.style & DS_SETFONT) {
    w.Word(dialog.pointSize);
    w.Text(dialog.fontName);
  }
  for (const ControlTemplate& c : dialog.controls) {
    w.AlignDword();
    w.Dword(c.style);
    w.Dword(c.exStyle);
    w.Short(c.x);
    w.Short(c.y);
    w.Short(c.cx);
    w.Short(c.cy);
    w.Word(static_cast<std::uint16_t>(c.id));
    w.Ordinal(static_cast<std::uint16_t>(c.kind));
    w.Text(c.text);
    w.Word(0);
  }
  return w.Take();
}

}  // namespace tw::res
