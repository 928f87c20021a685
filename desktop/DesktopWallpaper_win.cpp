#include "desktop/DesktopWallpaper_win.h"

#include <windows.h>
#include <shobjidl.h>
#include "base/LateBound_win.h"
#include "base/Report.h"

namespace mevra {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

// Windows 8's interface, which the headers show only to builds for Windows 8 and later.
constexpr CLSID kClsidDesktopWallpaper = {
    0xc2cf3110, 0x460e, 0x4fc1, {0xb9, 0xd0, 0x8a, 0x1c, 0x0c, 0x9c, 0xc4, 0xbd}};
constexpr IID kIidDesktopWallpaper = {
    0xb92b56a9, 0x8b55, 0x4e14, {0x9a, 0x89, 0x01, 0x99, 0xbb, 0xb6, 0xf9, 0x3b}};
constexpr UINT kBackgroundEnabled = 0x1;  // DSS_ENABLED
constexpr UINT kSlideshowRunning = 0x2;   // DSS_SLIDESHOW
#ifdef __IDesktopWallpaper_INTERFACE_DEFINED__
static_assert(kBackgroundEnabled == DSS_ENABLED && kSlideshowRunning == DSS_SLIDESHOW);
#endif

struct DesktopWallpaperCom : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetWallpaper(LPCWSTR, LPCWSTR) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWallpaper(LPCWSTR, LPWSTR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMonitorDevicePathAt(UINT, LPWSTR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMonitorDevicePathCount(UINT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMonitorRECT(LPCWSTR, RECT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBackgroundColor(COLORREF) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBackgroundColor(COLORREF*) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPosition(UINT) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPosition(UINT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSlideshow(IShellItemArray*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSlideshow(IShellItemArray**) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSlideshowOptions(UINT, UINT) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSlideshowOptions(UINT*, UINT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE AdvanceSlideshow(LPCWSTR, UINT) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetStatus(UINT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE Enable(BOOL) = 0;
};

// Releases a COM object on every path out.
template <typename T>
struct ComRef {
    T* p = nullptr;
    ~ComRef() { if (p) p->Release(); }
    T* operator->() const { return p; }
};

using InitFn = HRESULT(WINAPI*)(void*, DWORD);
using UninitFn = void(WINAPI*)();
using CreateFn = HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**);
using FreeFn = void(WINAPI*)(void*);

FreeFn TaskFree() {
    static const auto free = LateBound<FreeFn>("ole32.dll", "CoTaskMemFree");
    return free;
}

// COM for the calls of one save or restore, on the window's thread.
class ComSession {
public:
    ComSession() {
        static const auto init = LateBound<InitFn>("ole32.dll", "CoInitializeEx");
        static const auto create = LateBound<CreateFn>("ole32.dll", "CoCreateInstance");
        if (!init || !create || !TaskFree()) return;
        const HRESULT hr = init(nullptr, COINIT_APARTMENTTHREADED);
        joined_ = SUCCEEDED(hr);  // S_FALSE too: each success is paired with an uninit
        if (FAILED(hr) && hr != RPC_E_CHANGED_MODE) return;
        // Absent before Windows 8 and under Wine: nothing to save, nothing to restore.
        void* object = nullptr;
        if (SUCCEEDED(create(kClsidDesktopWallpaper, nullptr, CLSCTX_ALL,
                             kIidDesktopWallpaper, &object)))
            wallpaper.p = static_cast<DesktopWallpaperCom*>(object);
    }
    ~ComSession() {
        if (wallpaper.p) wallpaper.p->Release();
        wallpaper.p = nullptr;
        static const auto uninit = LateBound<UninitFn>("ole32.dll", "CoUninitialize");
        if (joined_ && uninit) uninit();
    }
    ComSession(const ComSession&) = delete;
    ComSession& operator=(const ComSession&) = delete;
    ComRef<DesktopWallpaperCom> wallpaper;

private:
    bool joined_ = false;
};

std::vector<wchar_t> WithNul(const WideText& text) {
    std::vector<wchar_t> out(text.begin(), text.end());
    out.push_back(L'\0');
    return out;
}

std::vector<wchar_t> Expanded(const wchar_t* in) {
    const DWORD need = ExpandEnvironmentStringsW(in, nullptr, 0);
    std::vector<wchar_t> out(need);
    if (need == 0 || ExpandEnvironmentStringsW(in, out.data(), need) != need) return {};
    return out;
}

// The picture's kind from its first bytes: older Windows choose a decoder by the extension.
const wchar_t* PictureExtension(const wchar_t* path) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    unsigned char head[4] = {};
    DWORD read = 0;
    const BOOL ok = ReadFile(file, head, sizeof head, &read, nullptr);
    CloseHandle(file);
    if (!ok || read < sizeof head) return nullptr;
    if (head[0] == 0xFF && head[1] == 0xD8) return L".jpg";
    if (head[0] == 'B' && head[1] == 'M') return L".bmp";
    if (head[0] == 0x89 && head[1] == 'P' && head[2] == 'N' && head[3] == 'G') return L".png";
    return nullptr;
}

}  // namespace

std::optional<Slideshow> Win32DesktopWallpaper::RunningSlideshow() {
    ComSession com;
    if (!com.wallpaper.p) return std::nullopt;
    UINT status = 0;
    ComRef<IShellItemArray> items;
    DWORD count = 0;
    Slideshow show;
    if (FAILED(com.wallpaper->GetStatus(&status)) || !(status & kSlideshowRunning) ||
        FAILED(com.wallpaper->GetSlideshow(&items.p)) || !items.p ||
        FAILED(items->GetCount(&count)) ||
        FAILED(com.wallpaper->GetSlideshowOptions(&show.options, &show.tick)))
        return std::nullopt;
    for (DWORD i = 0; i < count; ++i) {
        ComRef<IShellItem> item;
        LPWSTR name = nullptr;
        if (FAILED(items->GetItemAt(i, &item.p)) ||
            FAILED(item->GetDisplayName(SIGDN_DESKTOPABSOLUTEPARSING, &name)))
            continue;
        for (const wchar_t* c = name; *c; ++c) show.items.push_back(static_cast<char16_t>(*c));
        show.items.push_back(u'\0');
        TaskFree()(name);
    }
    if (show.items.empty()) return std::nullopt;
    return show;
}

bool Win32DesktopWallpaper::StartSlideshow(const Slideshow& show) {
    using ParseFn = HRESULT(WINAPI*)(LPCWSTR, void*, LPITEMIDLIST*, ULONG, ULONG*);
    using ArrayFn = HRESULT(WINAPI*)(UINT, LPCITEMIDLIST*, IShellItemArray**);
    static const auto parse = LateBound<ParseFn>("shell32.dll", "SHParseDisplayName");
    static const auto array =
        LateBound<ArrayFn>("shell32.dll", "SHCreateShellItemArrayFromIDLists");
    ComSession com;
    if (!com.wallpaper.p || !parse || !array) return false;
    std::vector<LPITEMIDLIST> lists;
    std::vector<wchar_t> names = WithNul(show.items);
    names.push_back(L'\0');  // ends the list even when the last name lacks its NUL
    for (const wchar_t* name = names.data(); *name; name += lstrlenW(name) + 1) {
        LPITEMIDLIST list = nullptr;
        if (SUCCEEDED(parse(name, nullptr, &list, 0, nullptr)) && list) lists.push_back(list);
    }
    ComRef<IShellItemArray> items;
    HRESULT hr = lists.empty() ? E_FAIL
                               : array(static_cast<UINT>(lists.size()),
                                       const_cast<LPCITEMIDLIST*>(lists.data()), &items.p);
    for (LPITEMIDLIST list : lists) TaskFree()(list);
    if (SUCCEEDED(hr)) hr = com.wallpaper->SetSlideshow(items.p);
    if (SUCCEEDED(hr)) hr = com.wallpaper->SetSlideshowOptions(show.options, show.tick);
    UINT status = 0;
    if (SUCCEEDED(hr) && SUCCEEDED(com.wallpaper->GetStatus(&status)) && !(status & kBackgroundEnabled))
        hr = com.wallpaper->Enable(TRUE);  // DSS_ENABLED off: the background is switched off
    if (FAILED(hr)) ReportFailure("IDesktopWallpaper::SetSlideshow", static_cast<long>(hr));
    return SUCCEEDED(hr);
}

bool Win32DesktopWallpaper::FileExists(const WideText& path) {
    const std::vector<wchar_t> name = Expanded(WithNul(path).data());
    if (name.empty()) return true;  // cannot tell: treat the picture as there, as before
    const DWORD attributes = GetFileAttributesW(name.data());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

WideText Win32DesktopWallpaper::KeepWindowsCopy() {
    const std::vector<wchar_t> source =
        Expanded(L"%APPDATA%\\Microsoft\\Windows\\Themes\\TranscodedWallpaper");
    const std::vector<wchar_t> folder = Expanded(L"%APPDATA%\\Mevra");
    // Without APPDATA the names stay unexpanded and name nothing.
    const wchar_t* extension = source.empty() ? nullptr : PictureExtension(source.data());
    if (!extension || folder.size() < 2 || folder[0] == L'%') return WideText();
    CreateDirectoryW(folder.data(), nullptr);  // there already, as a rule
    WideText copy(folder.begin(), folder.end() - 1);
    for (const wchar_t* c = L"\\wallpaper-copy"; *c; ++c) copy.push_back(static_cast<char16_t>(*c));
    for (const wchar_t* c = extension; *c; ++c) copy.push_back(static_cast<char16_t>(*c));
    const std::vector<wchar_t> target = WithNul(copy);
    if (CopyFileW(source.data(), target.data(), FALSE)) return copy;
    ReportFailure("CopyFileW(TranscodedWallpaper)", static_cast<long>(GetLastError()));
    return WideText();
}

void Win32DesktopWallpaper::DeleteCopy(const WideText& path) {
    const std::vector<wchar_t> name = WithNul(path);
    if (!DeleteFileW(name.data()) && GetLastError() != ERROR_FILE_NOT_FOUND)
        ReportFailure("DeleteFileW(wallpaper copy)", static_cast<long>(GetLastError()));
}

}  // namespace mevra
