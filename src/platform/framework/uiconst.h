// Window, dialog and drawing constants the dialogs use, with the platform's
// documented values. Like winconst.h, never include this beside <windows.h>.
#pragma once

#include "platform/types.h"
#include "platform/winconst.h"

namespace tw {

// Window styles.
inline constexpr DWORD WS_POPUP = 0x80000000u;
inline constexpr DWORD WS_CHILD = 0x40000000u;
inline constexpr DWORD WS_VISIBLE = 0x10000000u;
inline constexpr DWORD WS_CAPTION = 0x00C00000u;
inline constexpr DWORD WS_BORDER = 0x00800000u;
inline constexpr DWORD WS_VSCROLL = 0x00200000u;
inline constexpr DWORD WS_HSCROLL = 0x00100000u;
inline constexpr DWORD WS_SYSMENU = 0x00080000u;
inline constexpr DWORD WS_GROUP = 0x00020000u;
inline constexpr DWORD WS_TABSTOP = 0x00010000u;
inline constexpr DWORD WS_EX_APPWINDOW = 0x00040000u;

// Dialog styles.
inline constexpr DWORD DS_SETFONT = 0x40;
inline constexpr DWORD DS_MODALFRAME = 0x80;

// Control styles.
inline constexpr DWORD SS_LEFT = 0x0;
inline constexpr DWORD SS_CENTER = 0x1;
inline constexpr DWORD BS_PUSHBUTTON = 0x0;
inline constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
inline constexpr DWORD ES_LEFT = 0x0;
inline constexpr DWORD ES_MULTILINE = 0x4;
inline constexpr DWORD ES_AUTOHSCROLL = 0x80;
inline constexpr DWORD ES_READONLY = 0x800;

// Colour requests (the kind passed to OnCtlColor).
inline constexpr UINT CTLCOLOR_MSGBOX = 0;
inline constexpr UINT CTLCOLOR_EDIT = 1;
inline constexpr UINT CTLCOLOR_LISTBOX = 2;
inline constexpr UINT CTLCOLOR_BTN = 3;
inline constexpr UINT CTLCOLOR_DLG = 4;
inline constexpr UINT CTLCOLOR_SCROLLBAR = 5;
inline constexpr UINT CTLCOLOR_STATIC = 6;

// Fonts.
inline constexpr int FW_NORMAL = 400;
inline constexpr int FW_BOLD = 700;
inline constexpr int FW_EXTRABOLD = 800;
inline constexpr DWORD ANSI_CHARSET = 0;
inline constexpr DWORD OUT_DEFAULT_PRECIS = 0;
inline constexpr DWORD OUT_DEVICE_PRECIS = 5;
inline constexpr DWORD CLIP_DEFAULT_PRECIS = 0;
inline constexpr DWORD DEFAULT_QUALITY = 0;
inline constexpr DWORD PROOF_QUALITY = 2;
inline constexpr DWORD VARIABLE_PITCH = 0x2;
inline constexpr DWORD FF_SWISS = 0x20;

// Messages.
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_CLOSE = 0x0010;

// Window display.
inline constexpr int SW_SHOWNOACTIVATE = 4;

// The framework's Help command.
inline constexpr UINT ID_HELP = 0xE146;

}  // namespace tw
