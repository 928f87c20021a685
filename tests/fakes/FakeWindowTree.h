#pragma once
// An in-memory window tree for the desktop-layer finder: windows with a class,
// a title, a parent, a client size and a z-order among their siblings (first is
// topmost), with hooks a test uses to make the "shell" answer 0x052C as each
// Windows does. FakeDesktopHost adds and removes Mevra's own host in the tree.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>
#include "desktop/DesktopLayer.h"

namespace mevra::fake {

class FakeWindowTree final : public WindowTree {
public:
    static constexpr std::uint32_t kShellPid = 1000, kOwnPid = 2000;
    struct Window {
        Hwnd h = 0;
        Hwnd parent = 0;
        std::string cls, title;
        Size size;
        bool own = false;  // made by Mevra's process
        bool layered = false;
        bool visible = true;
        std::uint32_t pid = kShellPid;
    };
    std::vector<Window> windows;  // z-order among siblings: earlier is higher
    std::vector<std::string> sent;     // "0x52c 13 1" per SendTimeout
    std::vector<std::string> placed;   // "below <above>", "layered", "size WxH"
    std::vector<std::string> notes;
    // Runs on each SendTimeout, as the shell's answer.
    std::function<void(std::uintptr_t wParam, std::intptr_t lParam)> onSpawn;

    Hwnd Add(Hwnd parent, const std::string& cls, const std::string& title = "",
             Size size = {1024, 768}, bool own = false) {
        windows.push_back({next_++, parent, cls, title, size, own, false, true,
                           own ? kOwnPid : kShellPid});
        return windows.back().h;
    }
    // Removes a window and everything under it, as DestroyWindow does.
    void Remove(Hwnd h) {
        for (const Window& w : std::vector<Window>(windows))
            if (w.parent == h) Remove(w.h);
        windows.erase(std::remove_if(windows.begin(), windows.end(),
                                     [h](const Window& w) { return w.h == h; }),
                       windows.end());
    }
    Window* Get(Hwnd h) {
        for (Window& w : windows)
            if (w.h == h) return &w;
        return nullptr;
    }
    std::vector<Hwnd> Children(Hwnd parent) const {
        std::vector<Hwnd> out;
        for (const Window& w : windows)
            if (w.parent == parent) out.push_back(w.h);
        return out;
    }

    Hwnd Find(Hwnd parent, Hwnd after, const char* cls, const char* title) override {
        const std::vector<Hwnd> kids = Children(parent);
        auto it = kids.begin();
        if (after != 0) {
            it = std::find(kids.begin(), kids.end(), after);
            if (it == kids.end()) return 0;
            ++it;
        }
        for (; it != kids.end(); ++it) {
            const Window& w = *Get(*it);
            if ((!cls || w.cls == cls) && (!title || w.title == title)) return w.h;
        }
        return 0;
    }
    bool SendTimeout(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam, std::uint32_t timeoutMs) override {
        char line[64];
        std::snprintf(line, sizeof line, "%#x %u %d %u", static_cast<unsigned>(message),
                      static_cast<unsigned>(wParam), static_cast<int>(lParam),
                      static_cast<unsigned>(timeoutMs));
        sent.push_back(line);
        if (!Get(window)) return false;
        if (onSpawn) onSpawn(wParam, lParam);
        return true;
    }
    bool IsWindow(Hwnd h) override { return Get(h) != nullptr; }
    Hwnd Parent(Hwnd h) override { return Get(h) ? Get(h)->parent : 0; }
    bool IsVisible(Hwnd h) override { return Get(h) && Get(h)->visible; }
    std::string ClassName(Hwnd h) override { return Get(h) ? Get(h)->cls : std::string(); }
    std::uint32_t ProcessId(Hwnd h) override { return Get(h) ? Get(h)->pid : 0; }
    bool ClientSize(Hwnd h, Size& size) override {
        if (!Get(h)) return false;
        size = Get(h)->size;
        return true;
    }
    Hwnd OwnChild(Hwnd parent) override {
        for (Hwnd h : Children(parent))
            if (Get(h)->own) return h;
        return 0;
    }
    Hwnd WindowAbove(Hwnd h) override {
        if (!Get(h)) return 0;
        const std::vector<Hwnd> kids = Children(Get(h)->parent);
        auto it = std::find(kids.begin(), kids.end(), h);
        return it == kids.begin() ? 0 : *(it - 1);
    }
    bool PlaceBelow(Hwnd h, Hwnd above) override {
        placed.push_back("below " + std::to_string(above));
        if (!Get(h) || !Get(above)) return false;
        const Window moved = *Get(h);
        windows.erase(std::find_if(windows.begin(), windows.end(),
                                   [h](const Window& w) { return w.h == h; }));
        auto at = std::find_if(windows.begin(), windows.end(),
                               [above](const Window& w) { return w.h == above; });
        windows.insert(at + 1, moved);
        return true;
    }
    bool MakeOpaqueLayered(Hwnd h) override {
        placed.push_back("layered");
        if (!Get(h)) return false;
        Get(h)->layered = true;
        return true;
    }
    bool SetSize(Hwnd h, Size size) override {
        placed.push_back("size " + std::to_string(size.width) + "x" + std::to_string(size.height));
        if (!Get(h)) return false;
        Get(h)->size = size;
        return true;
    }
    void Note(const std::string& line) override { notes.push_back(line); }

private:
    Hwnd next_ = 0x100;
};

class FakeDesktopHost final : public DesktopHost {
public:
    explicit FakeDesktopHost(FakeWindowTree& tree) : tree_(tree) {}
    Size workArea{1024, 740};
    int created = 0, destroyed = 0;

    Hwnd Create() override {
        ++created;
        host_ = tree_.Add(0, "MevraDesktopHost", "", workArea, true);
        return host_;
    }
    void Destroy() override {
        if (host_ == 0) return;
        ++destroyed;
        tree_.Remove(host_);
        host_ = 0;
    }
    void FitToWorkArea() override {
        if (auto* w = tree_.Get(host_)) w->size = workArea;
    }
    Hwnd Window() const override { return tree_.IsWindow(host_) ? host_ : 0; }

private:
    FakeWindowTree& tree_;
    Hwnd host_ = 0;
};

}  // namespace mevra::fake
