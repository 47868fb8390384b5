// Tarnwick: a small clock showing local time and UTC, refreshed once a second.
//
// While it runs it holds the mutex "KD_XK_Mutex" and its main window is titled
// "Tarnwick", which is how the installer recognises a running copy; the
// installer asks it to quit by posting message 0x0501 (WM_USER + 257) with
// both parameters 0.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr char kClassName[] = "TarnwickClock";
constexpr char kTitle[] = "Tarnwick";
constexpr char kMutexName[] = "KD_XK_Mutex";
constexpr UINT kCloseRequest = WM_USER + 0x101;  // 0x0501
constexpr UINT_PTR kTimerId = 1;

void FormatTime(char* buffer, std::size_t size, const char* label, const SYSTEMTIME& t) {
  std::snprintf(buffer, size, "%s  %04u-%02u-%02u  %02u:%02u:%02u", label, t.wYear, t.wMonth,
                t.wDay, t.wHour, t.wMinute, t.wSecond);
}

void Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  SYSTEMTIME local;
  SYSTEMTIME utc;
  GetLocalTime(&local);
  GetSystemTime(&utc);
  TIME_ZONE_INFORMATION zone;
  const DWORD mode = GetTimeZoneInformation(&zone);
  LONG bias = zone.Bias;
  if (mode == TIME_ZONE_ID_DAYLIGHT) {
    bias += zone.DaylightBias;
  } else if (mode == TIME_ZONE_ID_STANDARD) {
    bias += zone.StandardBias;
  }
  const LONG offset = -bias;  // minutes east of UTC
  const LONG magnitude = offset < 0 ? -offset : offset;

  char lines[3][96];
  FormatTime(lines[0], sizeof lines[0], "Local", local);
  FormatTime(lines[1], sizeof lines[1], "UTC  ", utc);
  std::snprintf(lines[2], sizeof lines[2], "Offset  UTC%c%02ld:%02ld", offset < 0 ? '-' : '+',
                static_cast<long>(magnitude / 60), static_cast<long>(magnitude % 60));

  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ oldFont = SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  int y = 12;
  for (const auto& line : lines) {
    TextOutA(dc, 16, y, line, static_cast<int>(std::strlen(line)));
    y += metrics.tmHeight + 6;
  }
  SelectObject(dc, oldFont);
  EndPaint(window, &ps);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      SetTimer(window, kTimerId, 1000, nullptr);
      return 0;
    case WM_TIMER:
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_PAINT:
      Paint(window);
      return 0;
    case kCloseRequest:
      // Only the installer's exact request closes the clock.
      if (wParam == 0 && lParam == 0) {
        DestroyWindow(window);
        return 0;
      }
      break;
    case WM_DESTROY:
      KillTimer(window, kTimerId);
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, kMutexName);

  WNDCLASSA cls = {};
  cls.lpfnWndProc = WindowProc;
  cls.hInstance = instance;
  cls.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  cls.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  cls.lpszClassName = kClassName;
  int code = 1;
  if (RegisterClassA(&cls) != 0) {
    HWND window = CreateWindowExA(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 380, 150, nullptr, nullptr, instance, nullptr);
    if (window != nullptr) {
      ShowWindow(window, show);
      UpdateWindow(window);
      MSG msg;
      while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      code = static_cast<int>(msg.wParam);
    }
  }
  if (mutex != nullptr) {
    CloseHandle(mutex);
  }
  return code;
}
