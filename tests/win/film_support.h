#pragma once
// What the film tests share: the sample films' Windows paths and a message pump.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace mevra {

// A file under MEVRA_TEST_DATA (a Unix folder) as Wine's Z: drive names it.
inline std::string TestDataPath(const std::string& relative) {
    const char* dir = std::getenv("MEVRA_TEST_DATA");
    std::string path = std::string("Z:") + (dir ? dir : "") + "/" + relative;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// Keeps this thread's windows (the film's included) served while waiting.
inline void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    } while (GetTickCount() - start < ms);
}

}  // namespace mevra
