// A maximised window over the whole desktop, the way a user's full-screen program covers
// it; WM_CLOSE ends it.
#include <windows.h>

#include "BenchWindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    HWND hwnd = BenchWindow(instance, BenchDefault, "BenchCover", 0, WS_OVERLAPPEDWINDOW, 400, 300,
                            static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    if (!hwnd) return 1;
    ShowWindow(hwnd, SW_SHOWMAXIMIZED);
    SetForegroundWindow(hwnd);
    return RunMessageLoop();
}
