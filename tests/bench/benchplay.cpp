// The floor Mevra's playing costs are measured against: sends the film device the same
// open, put, seek and play strings Mevra sends for the film given on the command line,
// on the "Program Manager" window, then only waits for messages. WM_CLOSE closes the film.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <string>

#include "BenchWindow.h"

namespace {

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CLOSE:
            mciSendStringA("close MYPLAYER", nullptr, 0, nullptr);
            DestroyWindow(hwnd);
            return 0;
    }
    return BenchDefault(hwnd, msg, wParam, lParam);
}

void Send(const std::string& command) {
    char reply[128] = {};
    const MCIERROR code = mciSendStringA(command.c_str(), reply, sizeof reply, nullptr);
    OutputDebugStringA(("benchplay: mci [" + command + "] -> " + std::to_string(code)).c_str());
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
    HWND hwnd = BenchWindow(instance, Proc, "BenchPlay", WS_EX_TOOLWINDOW, WS_POPUP, 0, 0);
    if (!hwnd) return 1;

    std::string film(cmdLine);
    if (film.size() >= 2 && film.front() == '"') film = film.substr(1, film.find('"', 1) - 1);
    char shortPath[MAX_PATH] = {};
    GetShortPathNameA(film.c_str(), shortPath, MAX_PATH);
    HWND desktop = FindWindowA(nullptr, "Program Manager");
    RECT r{};
    GetWindowRect(desktop, &r);
    std::string open = "open " + std::string(shortPath) + " type MPEGVideo Alias MYPLAYER parent " +
                       std::to_string(reinterpret_cast<ULONG_PTR>(desktop)) + " Style " +
                       std::to_string(WS_CHILD);
    open.resize(255, ' ');
    Send(open);
    Send("put MYPLAYER window at 0 0 " + std::to_string(r.right - r.left) + " " +
         std::to_string(r.bottom - r.top));
    Send("seek MYPLAYER to 0");
    Send("play MYPLAYER");
    return RunMessageLoop();
}
