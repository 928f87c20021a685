#pragma once
// Move-only owners for the Win32 resources the program creates, so each one is
// released on every path out of a function, in reverse order of creation.
#include <windows.h>
#include <cstdint>
#include <utility>

namespace mevra {

template <typename H, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    H get() const { return h_; }
    explicit operator bool() const { return h_ != H{}; }
    H release() { return std::exchange(h_, H{}); }
    void reset(H h = H{}) {
        if (h_ != H{}) Traits::Close(h_);
        h_ = h;
    }

private:
    H h_{};
};

struct GdiObjectTraits { static void Close(HGDIOBJ h) { DeleteObject(h); } };
struct MemDcTraits     { static void Close(HDC h) { DeleteDC(h); } };
struct RegKeyTraits    { static void Close(HKEY h) { RegCloseKey(h); } };
struct IconTraits      { static void Close(HICON h) { DestroyIcon(h); } };
struct KernelTraits    { static void Close(HANDLE h) { CloseHandle(h); } };
struct FindTraits      { static void Close(HANDLE h) { FindClose(h); } };
struct ModuleTraits    { static void Close(HMODULE h) { FreeLibrary(h); } };

template <typename T>
using UniqueGdi = UniqueHandle<T, GdiObjectTraits>;  // HFONT, HBRUSH, HPEN, HBITMAP
using UniqueFont = UniqueGdi<HFONT>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniquePen = UniqueGdi<HPEN>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueMemDc = UniqueHandle<HDC, MemDcTraits>;  // from CreateCompatibleDC
using UniqueRegKey = UniqueHandle<HKEY, RegKeyTraits>;
using UniqueIcon = UniqueHandle<HICON, IconTraits>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelTraits>;
using UniqueFind = UniqueHandle<HANDLE, FindTraits>;  // never given INVALID_HANDLE_VALUE
using UniqueModule = UniqueHandle<HMODULE, ModuleTraits>;  // from LoadLibrary

// A DC borrowed from a window with GetDC; given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~WindowDc() { if (dc_) ReleaseDC(hwnd_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    WindowDc(WindowDc&& o) noexcept
        : hwnd_(o.hwnd_), dc_(std::exchange(o.dc_, nullptr)) {}
    WindowDc& operator=(WindowDc&&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_ = nullptr;
    HDC dc_ = nullptr;
};

// Selects an object into a DC and selects the previous one back when it ends.
// Declare it after the object's owner, so the object is deselected before it is deleted.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), prev_(obj ? SelectObject(dc, obj) : nullptr) {}
    ~SelectGuard() { if (prev_) SelectObject(dc_, prev_); }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    SelectGuard(SelectGuard&& o) noexcept
        : dc_(o.dc_), prev_(std::exchange(o.prev_, nullptr)) {}
    SelectGuard& operator=(SelectGuard&&) = delete;

private:
    HDC dc_ = nullptr;
    HGDIOBJ prev_ = nullptr;
};

// Replaces a window's procedure; the destructor (or Restore) puts the previous one back.
class WndProcSubclass {
public:
    WndProcSubclass() = default;
    WndProcSubclass(HWND hwnd, WNDPROC proc)
        : hwnd_(hwnd),
          prev_(reinterpret_cast<WNDPROC>(
              SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)))) {}
    ~WndProcSubclass() { Restore(); }
    WndProcSubclass(const WndProcSubclass&) = delete;
    WndProcSubclass& operator=(const WndProcSubclass&) = delete;
    WndProcSubclass(WndProcSubclass&& o) noexcept
        : hwnd_(std::exchange(o.hwnd_, nullptr)), prev_(std::exchange(o.prev_, nullptr)) {}
    WndProcSubclass& operator=(WndProcSubclass&& o) noexcept {
        if (this != &o) {
            Restore();
            hwnd_ = std::exchange(o.hwnd_, nullptr);
            prev_ = std::exchange(o.prev_, nullptr);
        }
        return *this;
    }
    WNDPROC previous() const { return prev_; }
    bool active() const { return hwnd_ != nullptr; }
    void Restore() {
        if (hwnd_ && prev_)
            SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prev_));
        hwnd_ = nullptr;
        prev_ = nullptr;
    }

private:
    HWND hwnd_ = nullptr;
    WNDPROC prev_ = nullptr;
};

inline HWND ToHwnd(std::intptr_t h) { return reinterpret_cast<HWND>(h); }
inline std::intptr_t FromHwnd(HWND h) { return reinterpret_cast<std::intptr_t>(h); }

}  // namespace mevra
