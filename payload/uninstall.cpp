// The product's uninstaller: not written yet, and it says so.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  MessageBoxA(nullptr, "Uninstall is not available yet.", "Tarnwick Uninstall",
              MB_OK | MB_ICONINFORMATION);
  return 0;
}
