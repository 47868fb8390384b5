// Dialog templates 102, 129, 130 and 131 as data: every host renders the same
// tables. The win32 host turns a table into the in-memory template the dialog
// manager reads.
//
// No names of the platform's header here (the win32 host includes both).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tw::res {

// Predefined control classes, by the platform's class ordinals.
enum class ControlClass : std::uint16_t { Button = 0x0080, Edit = 0x0081, Static = 0x0082 };

struct ControlTemplate {
  ControlClass kind;
  int id;  // -1: none
  std::string_view text;
  std::int16_t x, y, cx, cy;  // dialog units
  std::uint32_t style;        // including child and visible
  std::uint32_t exStyle = 0;
};

struct DialogTemplate {
  int id;
  std::uint32_t style;
  std::uint32_t exStyle;
  std::int16_t x, y, cx, cy;  // dialog units
  std::string_view caption;
  std::string_view fontName;  // with the font style bit
  std::uint16_t pointSize;
  std::span<const ControlTemplate> controls;
};

// The template with this id, or null.
const DialogTemplate* FindDialogTemplate(int id);
std::span<const DialogTemplate> DialogTemplates();

// The dialog manager's in-memory forms (DLGTEMPLATEEX and the plain
// DLGTEMPLATE), ready for the indirect dialog functions. Texts are widened from
// the system code page's ASCII range; the vector's storage is suitably aligned.
std::vector<std::uint8_t> BuildDialogTemplateEx(const DialogTemplate& dialog);
std::vector<std::uint8_t> BuildDialogTemplate(const DialogTemplate& dialog);

// Style bits the hosts read.
inline constexpr std::uint32_t kStyleVisible = 0x10000000u;
inline constexpr std::uint32_t kStyleCaption = 0x00C00000u;
inline constexpr std::uint32_t kStyleTabStop = 0x00010000u;
inline constexpr std::uint32_t kStyleSetFont = 0x40u;
inline constexpr std::uint32_t kButtonTypeMask = 0xFu;
inline constexpr std::uint32_t kButtonDefault = 0x1u;

}  // namespace tw::res
