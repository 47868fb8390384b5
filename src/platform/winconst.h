// The platform constants the installer branches on, with the platform's
// documented values. Never include this beside <windows.h>: there these names are
// macros.
#pragma once

#include "platform/types.h"

namespace tw {

inline constexpr BOOL FALSE = 0;
inline constexpr BOOL TRUE = 1;

inline HKEY const HKEY_LOCAL_MACHINE = keys::LocalMachine;

// Win32 error codes.
inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_PATH_NOT_FOUND = 3;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr LONG ERROR_INVALID_DATA = 13;
inline constexpr LONG ERROR_NO_MORE_FILES = 18;
inline constexpr LONG ERROR_WRITE_FAULT = 29;
inline constexpr LONG ERROR_SHARING_VIOLATION = 32;
inline constexpr LONG ERROR_DISK_FULL = 112;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_INVALID_NAME = 123;
inline constexpr LONG ERROR_BAD_PATHNAME = 161;
inline constexpr LONG ERROR_DIR_NOT_EMPTY = 145;
inline constexpr LONG ERROR_ALREADY_EXISTS = 183;
inline constexpr LONG ERROR_FILENAME_EXCED_RANGE = 206;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_NO_MORE_ITEMS = 259;
inline constexpr LONG ERROR_DIRECTORY = 267;
inline constexpr LONG ERROR_BADDB = 1009;
inline constexpr LONG ERROR_BADKEY = 1010;
inline constexpr LONG ERROR_CANTOPEN = 1011;
inline constexpr LONG ERROR_CANTREAD = 1012;
inline constexpr LONG ERROR_CANTWRITE = 1013;
inline constexpr LONG ERROR_KEY_DELETED = 1018;
inline constexpr LONG ERROR_KEY_HAS_CHILDREN = 1020;

// Registry.
inline constexpr REGSAM DELETE = 0x00010000;
inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// COM results.
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
inline constexpr HRESULT STG_E_PATHNOTFOUND = static_cast<HRESULT>(0x80030003u);
inline constexpr HRESULT STG_E_ACCESSDENIED = static_cast<HRESULT>(0x80030005u);
inline constexpr HRESULT STG_E_INVALIDNAME = static_cast<HRESULT>(0x800300FCu);
inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr UINT CP_ACP = 0;

// Shell.
inline constexpr int CSIDL_DESKTOP = 0x0000;
inline constexpr int CSIDL_PROGRAMS = 0x0002;
inline constexpr UINT BIF_RETURNONLYFSDIRS = 0x0001;
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOW = 5;

// Files.
inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x02;
inline constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x04;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
inline constexpr DWORD GENERIC_READ = 0x80000000u;
inline constexpr DWORD GENERIC_WRITE = 0x40000000u;
inline constexpr DWORD FILE_SHARE_READ = 0x1;
inline constexpr DWORD FILE_SHARE_WRITE = 0x2;
inline constexpr DWORD FILE_SHARE_DELETE = 0x4;
inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));
inline constexpr int MAX_PATH = 260;

// File installation.
inline constexpr DWORD VIFF_FORCEINSTALL = 0x0001;
inline constexpr DWORD VIF_TEMPFILE = 0x00000001;
inline constexpr DWORD VIF_SRCOLD = 0x00000004;
inline constexpr DWORD VIF_WRITEPROT = 0x00000040;
inline constexpr DWORD VIF_FILEINUSE = 0x00000080;
inline constexpr DWORD VIF_OUTOFSPACE = 0x00000100;
inline constexpr DWORD VIF_ACCESSVIOLATION = 0x00000200;
inline constexpr DWORD VIF_SHARINGVIOLATION = 0x00000400;
inline constexpr DWORD VIF_CANNOTCREATE = 0x00000800;
inline constexpr DWORD VIF_CANNOTDELETE = 0x00001000;
inline constexpr DWORD VIF_CANNOTRENAME = 0x00002000;
inline constexpr DWORD VIF_OUTOFMEMORY = 0x00008000;
inline constexpr DWORD VIF_BUFFTOOSMALL = 0x00040000;
inline constexpr DWORD VIF_CANNOTREADSRC = 0x00010000;
inline constexpr DWORD VIF_CANNOTREADDST = 0x00020000;

// Message boxes.
inline constexpr UINT MB_OK = 0x00;
inline constexpr UINT MB_OKCANCEL = 0x01;
inline constexpr UINT MB_YESNO = 0x04;
inline constexpr UINT MB_ICONHAND = 0x10;
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;
inline constexpr UINT MB_ICONINFORMATION = 0x40;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Window messages and notifications the installer uses.
inline constexpr UINT WM_SETFONT = 0x0030;
inline constexpr UINT WM_SETICON = 0x0080;
inline constexpr UINT WM_USER = 0x0400;
inline constexpr WPARAM ICON_SMALL = 0;
inline constexpr WPARAM ICON_BIG = 1;
inline constexpr UINT BN_CLICKED = 0;
inline constexpr UINT EN_CHANGE = 0x0300;
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;

}  // namespace tw
