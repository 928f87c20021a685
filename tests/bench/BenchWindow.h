#pragma once
// What every reference program shares: one window of its own class, and the plain
// message loop that then runs until WM_QUIT. Kept inline so each stays a bare program.
#include <windows.h>

inline HWND BenchWindow(HINSTANCE instance, WNDPROC proc, const char* name, DWORD exStyle,
                        DWORD style, int width, int height, HBRUSH background = nullptr) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    RegisterClassA(&wc);
    return CreateWindowExA(exStyle, name, name, style, CW_USEDEFAULT, CW_USEDEFAULT, width, height,
                           nullptr, nullptr, instance, nullptr);
}

// What each program's procedure does not handle itself: the window's end ends the loop.
inline LRESULT CALLBACK BenchDefault(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

inline int RunMessageLoop() {
    MSG msg{};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
