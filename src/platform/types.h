// The platform's basic types, with the widths the installer was written against.
//
// Everything lives in namespace tw so that a backend may include <windows.h>
// beside this header: the real API's typedefs are in the global namespace and the
// real constants are macros, which is why constants live in winconst.h, a header
// the win32 backend never includes.
#pragma once

#include <cstdint>
#include <string>

namespace tw {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using UINT = std::uint32_t;
using BOOL = int;
using HRESULT = std::int32_t;
using REGSAM = DWORD;
using COLORREF = DWORD;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// UTF-16 code unit, whatever the host's wchar_t is.
using WCHAR = char16_t;
using WideString = std::u16string;

// Handles are opaque pointers of distinct types, as on the platform.
struct HKEY__;
using HKEY = HKEY__*;
struct HWND__;
using HWND = HWND__*;
struct HMODULE__;
using HMODULE = HMODULE__*;
struct HRSRC__;
using HRSRC = HRSRC__*;
struct HGLOBAL__;
using HGLOBAL = HGLOBAL__*;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
struct HFONT__;
using HFONT = HFONT__*;
struct HICON__;
using HICON = HICON__*;
struct HDC__;
using HDC = HDC__*;
using HANDLE = void*;
using FARPROC = void (*)();

// Predefined registry roots. The value is the platform's, sign-extended as the
// 64-bit platform does it.
namespace keys {
inline HKEY const LocalMachine =
    reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000002u)));
}

struct FILETIME {
  DWORD dwLowDateTime = 0;
  DWORD dwHighDateTime = 0;
};

struct SYSTEMTIME {
  WORD wYear = 0;
  WORD wMonth = 0;
  WORD wDayOfWeek = 0;
  WORD wDay = 0;
  WORD wHour = 0;
  WORD wMinute = 0;
  WORD wSecond = 0;
  WORD wMilliseconds = 0;
};

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
  friend bool operator==(const GUID&, const GUID&) = default;
};
using CLSID = GUID;
using IID = GUID;

struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
};

// One entry of a file search.
struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes = 0;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh = 0;
  DWORD nFileSizeLow = 0;
  char cFileName[260] = {};
  char cAlternateFileName[14] = {};
};

}  // namespace tw
