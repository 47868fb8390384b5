#include <windows.h>

namespace tw::win32 {
int RunProgram();  // host_win32_run.cpp
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return tw::win32::RunProgram(); }
