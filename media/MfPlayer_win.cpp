// MFPlay needs the Windows 7 declarations; everything it names is found at run time, so
// the program still starts where Media Foundation is missing.
#undef WINVER
#undef _WIN32_WINNT
#define WINVER 0x0601
#define _WIN32_WINNT 0x0601
#include <windows.h>
#include <mmsystem.h>
#include <mferror.h>
#include <mfplay.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "base/LateBound_win.h"
#include "base/Raii_win.h"
#include "base/Report.h"
#include "base/WideText_win.h"
#include "desktop/RegistryMod.h"
#include "desktop/Registry_win.h"
#include "desktop/SystemSettings_win.h"
#include "media/MfPlayerWin.h"

namespace mevra {

static_assert(hr::kNotImplemented == E_NOTIMPL);
static_assert(hr::kFileNotFound == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
static_assert(hr::kPathNotFound == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
static_assert(hr::kAccessDenied == E_ACCESSDENIED);
static_assert(hr::kSharingViolation == HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION));
static_assert(hr::kInvalidMediaType == MF_E_INVALIDMEDIATYPE);
static_assert(hr::kUnsupportedByteStream == MF_E_UNSUPPORTED_BYTESTREAM_TYPE);
static_assert(hr::kUnsupportedFormat == MF_E_UNSUPPORTED_FORMAT);
static_assert(hr::kNoAudioDevice == MF_E_NO_AUDIO_PLAYBACK_DEVICE);
static_assert(hr::kCodecNotFound == MF_E_TOPO_CODEC_NOT_FOUND);
static_assert(hr::kMfMissing == HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
static_assert(MFP_MEDIAPLAYER_STATE_STOPPED == 1 && MFP_MEDIAPLAYER_STATE_PLAYING == 2 &&
              MFP_MEDIAPLAYER_STATE_PAUSED == 3);

namespace {

constexpr char kFilmClass[] = "MevraFilm";
constexpr DWORD kOpenTimeoutMs = 15000;     // a slow disk, a first decoder load
constexpr DWORD kResumeTimeoutMs = 3000;    // a resume takes a frame or two
constexpr ULONG kMfVersion = 0x00020070;    // MF_VERSION of the Windows 7 SDK
constexpr LONGLONG kUnitsPerMs = 10000;     // 100-ns units
constexpr std::size_t kProbeBytes = 262144;  // each end of the file
constexpr GUID kHundredNs = {};  // MFP_POSITIONTYPE_100NS

std::string Hex(HRESULT value) {
    char text[16];
    wsprintfA(text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

// "mf [what] -> hr", as the MCI channel shows its commands: which engine played, and how.
HRESULT Trace(const std::string& what, HRESULT result) {
    DebugLine("mf [" + what + "] -> " + Hex(result));
    return result;
}

using CreatePlayerFn = HRESULT(WINAPI*)(LPCWSTR, BOOL, MFP_CREATION_OPTIONS, IMFPMediaPlayerCallback*,
                                        HWND, IMFPMediaPlayer**);
using StartupFn = HRESULT(WINAPI*)(ULONG, DWORD);
using ShutdownFn = HRESULT(WINAPI*)();

// DLLs from the system folder only: a film's folder must never supply one.
HMODULE SystemDll(const char* name) {
    char path[MAX_PATH];
    const UINT n = GetSystemDirectoryA(path, MAX_PATH);
    if (n == 0 || n + std::strlen(name) + 2 > MAX_PATH) return nullptr;
    lstrcatA(path, "\\");
    lstrcatA(path, name);
    return LoadLibraryA(path);
}

struct MfFunctions {
    CreatePlayerFn create = nullptr;
    StartupFn startup = nullptr;
    ShutdownFn shutdown = nullptr;
};

const MfFunctions& Functions() {
    static MfFunctions f = [] {
        MfFunctions found;
        HMODULE plat = SystemDll("mfplat.dll");
        HMODULE play = plat ? SystemDll("mfplay.dll") : nullptr;
        found.startup = FunctionIn<StartupFn>(plat, "MFStartup");
        found.shutdown = FunctionIn<ShutdownFn>(plat, "MFShutdown");
        found.create = FunctionIn<CreatePlayerFn>(play, "MFPCreateMediaPlayer");
        if (!found.startup || !found.shutdown || !found.create) found = MfFunctions{};
        return found;
    }();
    return f;
}

// Receives MFPlay's events on this thread's message loop.
class Events final : public IMFPMediaPlayerCallback {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IMFPMediaPlayerCallback)) {
            *out = static_cast<IMFPMediaPlayerCallback*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    void STDMETHODCALLTYPE OnMediaPlayerEvent(MFP_EVENT_HEADER* event) override {
        if (!event) return;
        switch (event->eEventType) {
            case MFP_EVENT_TYPE_MEDIAITEM_SET:
                itemSet = true;
                itemResult = event->hrEvent;
                break;
            case MFP_EVENT_TYPE_PLAYBACK_ENDED: ended = true; break;
            case MFP_EVENT_TYPE_PLAY:
                played = true;
                playResult = event->hrEvent;
                [[fallthrough]];
            case MFP_EVENT_TYPE_PAUSE:
            case MFP_EVENT_TYPE_STOP:
            case MFP_EVENT_TYPE_POSITION_SET:
                // Accepted calls that fail later say so only here.
                if (FAILED(event->hrEvent)) Trace("event " + std::to_string(event->eEventType), event->hrEvent);
                break;
            case MFP_EVENT_TYPE_ERROR:
                Trace("error event", event->hrEvent);
                if (!itemSet) {
                    itemSet = true;
                    itemResult = event->hrEvent;
                }
                break;
            default: break;
        }
    }

    bool itemSet = false;
    HRESULT itemResult = S_OK;
    bool ended = false;
    bool played = false;
    HRESULT playResult = S_OK;

private:
    ULONG refs_ = 1;
};

LRESULT CALLBACK FilmWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

class Win32FilmPlayerApi final : public FilmPlayerApi {
public:
    bool Available() override { return Functions().create != nullptr; }
    bool HasAudioDevice() override {
        using CountFn = UINT(WINAPI*)();
        static const auto count = LateBound<CountFn>("winmm.dll", "waveOutGetNumDevs");
        return count && count() > 0;
    }

    std::int32_t Open(const std::string& path_utf8, Hwnd parent, std::int32_t width, std::int32_t height,
                      bool without_audio) override {
        Close();
        const MfFunctions& mf = Functions();
        if (!mf.create) return Trace("open", HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
        const HRESULT started = mf.startup(kMfVersion, 0);
        if (FAILED(started)) return Trace("MFStartup", started);
        started_ = true;
        const HRESULT result = OpenPlayer(path_utf8, parent, width, height, without_audio);
        if (FAILED(result)) Close();
        return result;
    }

    void Close() override {
        if (player_) {
            player_->Shutdown();  // lets go of the callback, which it holds
            player_->Release();
            player_ = nullptr;
            Trace("close", S_OK);
        }
        if (events_) {
            events_->Release();
            events_ = nullptr;
        }
        if (window_) {
            DestroyWindow(window_);
            window_ = nullptr;
        }
        if (started_) {
            Functions().shutdown();
            started_ = false;
        }
    }

    // A resume is done once the player says it plays: Wine accepts it and stays paused.
    std::int32_t Play() override {
        if (!player_) return E_POINTER;
        const bool resuming = State() == MFP_MEDIAPLAYER_STATE_PAUSED;
        events_->ended = events_->played = false;
        const HRESULT result = Trace("play", player_->Play());
        if (FAILED(result) || !resuming) return result;
        return Trace("playing", WaitFor(events_->played, events_->playResult, kResumeTimeoutMs));
    }
    std::int32_t Pause() override { return player_ ? Trace("pause", player_->Pause()) : E_POINTER; }
    std::int32_t Stop() override { return player_ ? Trace("stop", player_->Stop()) : E_POINTER; }

    std::int32_t Position(std::int64_t& ms) override {
        return Time(ms, [&](PROPVARIANT* v) { return player_->GetPosition(kHundredNs, v); });
    }
    std::int32_t Duration(std::int64_t& ms) override {
        return Time(ms, [&](PROPVARIANT* v) { return player_->GetDuration(kHundredNs, v); });
    }

    std::int32_t Seek(std::int64_t ms) override {
        if (!player_) return E_POINTER;
        PROPVARIANT at{};
        at.vt = VT_I8;
        at.hVal.QuadPart = ms * kUnitsPerMs;
        return Trace("seek " + std::to_string(ms), player_->SetPosition(kHundredNs, &at));
    }

    std::int32_t SetMute(bool mute) override {
        return player_ ? Trace(mute ? "mute" : "unmute", player_->SetMute(mute ? TRUE : FALSE)) : E_POINTER;
    }

    std::int32_t State() override {
        MFP_MEDIAPLAYER_STATE state = MFP_MEDIAPLAYER_STATE_EMPTY;
        if (!player_ || FAILED(player_->GetState(&state))) return 0;
        return static_cast<std::int32_t>(state);
    }

    std::int32_t Place(std::int32_t width, std::int32_t height) override {
        if (!window_) return E_POINTER;
        if (!MoveWindow(window_, 0, 0, width, height, TRUE))
            return Trace("place", HRESULT_FROM_WIN32(GetLastError()));
        return Trace("update video", player_->UpdateVideo());
    }

    bool TakeEnded() override {
        if (!events_ || !events_->ended) return false;
        events_->ended = false;
        return true;
    }

    std::string CodecHint(const std::string& path_utf8) override;
    int Live() const { return (player_ ? 1 : 0) + (events_ ? 1 : 0) + (window_ ? 1 : 0) + (started_ ? 1 : 0); }

    // The film window's repaint: the picture, where the player can draw it again.
    void Repaint() {
        if (player_) player_->UpdateVideo();
    }

private:
    HRESULT OpenPlayer(const std::string& path_utf8, Hwnd parent, std::int32_t width, std::int32_t height,
                       bool without_audio);
    HRESULT WaitFor(const bool& done, const HRESULT& result, DWORD timeout_ms);
    void LeaveOutSound(IMFPMediaItem* item);

    template <typename Get>
    std::int32_t Time(std::int64_t& ms, Get get) {
        if (!player_) return E_POINTER;
        PROPVARIANT value{};
        const HRESULT result = get(&value);
        if (FAILED(result)) return Trace("time", result);
        if (value.vt == VT_I8) ms = value.hVal.QuadPart / kUnitsPerMs;
        else if (value.vt == VT_UI8) ms = static_cast<std::int64_t>(value.uhVal.QuadPart / kUnitsPerMs);
        else return Trace("time of type " + std::to_string(value.vt), E_UNEXPECTED);
        return S_OK;
    }

    IMFPMediaPlayer* player_ = nullptr;
    Events* events_ = nullptr;
    HWND window_ = nullptr;
    bool started_ = false;
    std::vector<HWND> eventWindows_;  // where MFPlay posts its events
};

Win32FilmPlayerApi& Adapter() {
    static Win32FilmPlayerApi api;
    return api;
}

LRESULT CALLBACK FilmWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_ERASEBKGND: return 1;  // the picture covers it all
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            FillRect(ps.hdc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            EndPaint(hwnd, &ps);
            Adapter().Repaint();
            return 0;
        }
        default: return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

BOOL CALLBACK CollectWindow(HWND w, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
    return TRUE;
}

// This thread's message-only windows: MFPlay's event window is the one that is new.
std::vector<HWND> MessageWindows() {
    std::vector<HWND> found;
    const DWORD self = GetCurrentThreadId();
    for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
         w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr))
        if (GetWindowThreadProcessId(w, nullptr) == self) found.push_back(w);
    EnumThreadWindows(self, CollectWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

HRESULT Win32FilmPlayerApi::OpenPlayer(const std::string& path_utf8, Hwnd parent, std::int32_t width,
                                       std::int32_t height, bool without_audio) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = FilmWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kFilmClass;
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return Trace("film window class", HRESULT_FROM_WIN32(GetLastError()));
    window_ = CreateWindowExA(0, kFilmClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, width,
                              height, reinterpret_cast<HWND>(parent), nullptr, instance, nullptr);
    if (!window_) return Trace("film window", HRESULT_FROM_WIN32(GetLastError()));

    events_ = new (std::nothrow) Events();
    if (!events_) return E_OUTOFMEMORY;
    const std::vector<HWND> before = MessageWindows();
    HRESULT result = Trace("create player", Functions().create(nullptr, FALSE, 0, events_, window_, &player_));
    if (FAILED(result)) return result;
    eventWindows_.clear();
    for (HWND w : MessageWindows())
        if (w != window_ && std::find(before.begin(), before.end(), w) == before.end()) eventWindows_.push_back(w);

    const Wide wide = Terminated(Widen(path_utf8, CP_UTF8));
    IMFPMediaItem* item = nullptr;
    result = Trace("open " + path_utf8, player_->CreateMediaItemFromURL(wide.data(), TRUE, 0, &item));
    if (FAILED(result)) return result;
    for (bool retried = false;;) {
        if (without_audio) LeaveOutSound(item);
        events_->itemSet = false;
        result = Trace("set item", player_->SetMediaItem(item));
        if (SUCCEEDED(result)) result = Trace("item set", WaitFor(events_->itemSet, events_->itemResult, kOpenTimeoutMs));
        // Without a sound device, the picture alone.
        if (result != MF_E_NO_AUDIO_PLAYBACK_DEVICE || without_audio || retried) break;
        without_audio = retried = true;
    }
    item->Release();
    return result;
}

// Serves only MFPlay's own windows meanwhile: the program's must not run ahead of
// the open or the start.
HRESULT Win32FilmPlayerApi::WaitFor(const bool& done, const HRESULT& result, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    while (!done) {
        if (GetTickCount() - start > timeout_ms) return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
        MSG msg;
        bool served = false;
        for (HWND w : eventWindows_)
            while (PeekMessageA(&msg, w, 0, 0, PM_REMOVE)) {
                DispatchMessageA(&msg);
                served = true;
            }
        if (eventWindows_.empty())
            while (PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE)) {  // thread messages
                DispatchMessageA(&msg);
                served = true;
            }
        if (!served) MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_POSTMESSAGE | QS_SENDMESSAGE);
    }
    return result;
}

// Stream types are not among an item's attributes everywhere (Wine): every stream but
// the one whose leaving would take the picture with it is left out.
void Win32FilmPlayerApi::LeaveOutSound(IMFPMediaItem* item) {
    DWORD streams = 0;
    if (FAILED(item->GetNumberOfStreams(&streams))) return;
    for (DWORD i = 0; i < streams; ++i) {
        BOOL had = FALSE, shown = FALSE;
        item->HasVideo(&had, &shown);
        if (FAILED(item->SetStreamSelection(i, FALSE))) continue;
        BOOL has = FALSE, still = FALSE;
        if (shown && SUCCEEDED(item->HasVideo(&has, &still)) && !still) item->SetStreamSelection(i, TRUE);
    }
    BOOL has = FALSE, heard = TRUE;
    item->HasAudio(&has, &heard);
    Trace(heard ? "leave out sound (still heard)" : "leave out sound", heard ? E_FAIL : S_OK);
}

// Looks for the codec's tag near either end of the file, where the container keeps it.
std::string Win32FilmPlayerApi::CodecHint(const std::string& path_utf8) {
    const Wide wide = Terminated(Widen(path_utf8, CP_UTF8));
    const HANDLE file = CreateFileW(wide.data(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    UniqueKernelHandle owner(file);
    std::string bytes(kProbeBytes, '\0');
    DWORD got = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(kProbeBytes), &got, nullptr);
    std::string text = bytes.substr(0, got);
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart > static_cast<LONGLONG>(kProbeBytes)) {
        LARGE_INTEGER tail{};
        tail.QuadPart = size.QuadPart - static_cast<LONGLONG>(kProbeBytes);
        if (SetFilePointerEx(file, tail, nullptr, FILE_BEGIN) &&
            ReadFile(file, bytes.data(), static_cast<DWORD>(kProbeBytes), &got, nullptr))
            text += bytes.substr(0, got);
    }
    struct Tag { const char* tag; const char* codec; };
    static const Tag kTags[] = {{"hvc1", "HEVC"}, {"hev1", "HEVC"}, {"V_MPEGH/ISO/HEVC", "HEVC"},
                                {"vp09", "VP9"},  {"V_VP9", "VP9"}, {"av01", "AV1"}, {"V_AV1", "AV1"}};
    for (const Tag& t : kTags)
        if (text.find(t.tag) != std::string::npos) return t.codec;
    return std::string();
}

}  // namespace

FilmPlayerApi& Win32FilmPlayer() { return Adapter(); }
int LiveMfObjects() { return Adapter().Live(); }

MfEngine& SharedMfEngine() {
    static MfEngine engine = [] {
        MfEngine made(Adapter());
        Win32Registry registry;
        Win32SystemSettings settings;
        RegistryMod mod(registry, settings);
        made.SetChoice(ParseEngineChoice(mod.GetRegValue(kHkeyCurrentUser, kPlayerKey, kPlayerValue)));
        return made;
    }();
    return engine;
}

}  // namespace mevra
