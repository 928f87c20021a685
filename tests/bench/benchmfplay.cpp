// The floor Mevra's Media Foundation engine is measured against: plays the film given on
// the command line with MFPlay into a child window of "Program Manager" sized to it, its
// sound left out where the PC has no sound output (as Mevra does), then only waits for
// messages. WM_CLOSE ends the player.
#undef WINVER
#undef _WIN32_WINNT
#define WINVER 0x0601
#define _WIN32_WINNT 0x0601
#include <windows.h>
#include <mmsystem.h>
#include <mfplay.h>

#include <string>

#include "BenchWindow.h"

namespace {

IMFPMediaPlayer* g_player = nullptr;

void Trace(const char* what, HRESULT hr) {
    char line[96];
    wsprintfA(line, "benchmfplay: mf [%s] -> 0x%08lX", what, static_cast<unsigned long>(hr));
    OutputDebugStringA(line);
}

class Events final : public IMFPMediaPlayerCallback {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IMFPMediaPlayerCallback)) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives as long as the program
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    void STDMETHODCALLTYPE OnMediaPlayerEvent(MFP_EVENT_HEADER* event) override {
        if (event->eEventType == MFP_EVENT_TYPE_MEDIAITEM_SET && g_player) {
            Trace("item set", event->hrEvent);
            Trace("play", g_player->Play());
        }
    }
};
Events g_events;

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) {
        if (g_player) {
            g_player->Shutdown();
            g_player->Release();
            g_player = nullptr;
        }
        DestroyWindow(hwnd);
        return 0;
    }
    return BenchDefault(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
    HWND hwnd = BenchWindow(instance, Proc, "BenchMfPlay", WS_EX_TOOLWINDOW, WS_POPUP, 0, 0);
    if (!hwnd) return 1;
    std::string film(cmdLine);
    if (film.size() >= 2 && film.front() == '"') film = film.substr(1, film.find('"', 1) - 1);
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, film.c_str(), -1, wide, MAX_PATH);

    HWND desktop = FindWindowA(nullptr, "Program Manager");
    RECT r{};
    GetWindowRect(desktop, &r);
    HWND video = CreateWindowExA(0, "STATIC", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, r.right - r.left,
                                 r.bottom - r.top, desktop, nullptr, instance, nullptr);
    using CreateFn = HRESULT(WINAPI*)(LPCWSTR, BOOL, MFP_CREATION_OPTIONS, IMFPMediaPlayerCallback*, HWND,
                                      IMFPMediaPlayer**);
    const auto create = reinterpret_cast<CreateFn>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("mfplay.dll"), "MFPCreateMediaPlayer")));
    if (!create) return 1;
    Trace("create player", create(nullptr, FALSE, 0, &g_events, video, &g_player));
    IMFPMediaItem* item = nullptr;
    if (!g_player || FAILED(g_player->CreateMediaItemFromURL(wide, TRUE, 0, &item))) return 1;
    if (waveOutGetNumDevs() == 0) {
        DWORD streams = 0;
        item->GetNumberOfStreams(&streams);
        for (DWORD i = 0; i < streams; ++i) {
            BOOL had = FALSE, shown = FALSE, has = FALSE, still = FALSE;
            item->HasVideo(&had, &shown);
            item->SetStreamSelection(i, FALSE);
            if (shown && SUCCEEDED(item->HasVideo(&has, &still)) && !still) item->SetStreamSelection(i, TRUE);
        }
    }
    Trace("set item", g_player->SetMediaItem(item));
    item->Release();
    return RunMessageLoop();
}
