#include "desktop/DesktopLayer.h"

#include "desktop/DesktopMod.h"

namespace mevra {

const char* LayoutName(Layout layout) {
    switch (layout) {
        case Layout::plain: return "plain";
        case Layout::classic: return "classic";
        case Layout::raised: return "raised";
        case Layout::noShell: return "no-shell";
    }
    return "?";
}

DesktopLayer::DesktopLayer(WindowTree& tree, DesktopHost& host) : tree_(tree), host_(host) {}

Hwnd DesktopLayer::ShellWindowHolding(const char* childClass, std::uint32_t pid) {
    for (Hwnd w = tree_.Find(0, 0, nullptr, nullptr); w != 0;
         w = tree_.Find(0, w, nullptr, nullptr)) {
        if (!tree_.IsVisible(w) || tree_.ProcessId(w) != pid) continue;
        const std::string cls = tree_.ClassName(w);
        if (cls != kProgmanClass && cls != kWorkerClass) continue;
        if (tree_.Find(w, 0, childClass, nullptr) != 0) return w;
    }
    return 0;
}

Layer DesktopLayer::Classify(Hwnd progman) {
    Layer l;
    const Hwnd defView = tree_.Find(progman, 0, kDefViewClass, nullptr);
    const Hwnd worker = tree_.Find(progman, 0, kWorkerClass, nullptr);
    if (defView != 0 && worker != 0) {
        l.layout = Layout::raised;
        l.parent = l.icons = progman;
        l.defView = defView;
        l.worker = worker;
        return l;
    }
    if (const Hwnd holder = ShellWindowHolding(kDefViewClass, tree_.ProcessId(progman))) {
        if (const Hwnd behind = tree_.Find(0, holder, kWorkerClass, nullptr)) {
            l.layout = Layout::classic;
            l.parent = behind;
            l.icons = holder;
            return l;
        }
    }
    l.layout = Layout::plain;
    l.parent = l.icons = progman;
    l.defView = defView;
    return l;
}

Layer DesktopLayer::Look() {
    const Hwnd progman = tree_.Find(0, 0, nullptr, kDesktopWindowTitle);
    if (progman == 0) {
        Layer l;
        l.parent = l.icons = host_.Window();
        return l;
    }
    // Windows 8 and later answer with a WorkerW behind the icons; older ones ignore it.
    tree_.SendTimeout(progman, kSpawnWorkerMessage, kSpawnWorkerWParam, kSpawnWorkerLParam,
                      kSpawnWorkerTimeoutMs);
    Layer l = Classify(progman);
    if (l.layout == Layout::plain) {
        tree_.SendTimeout(progman, kSpawnWorkerMessage, 0, 0, kSpawnWorkerTimeoutMs);
        l = Classify(progman);
    }
    return l;
}

void DesktopLayer::Remember(const Layer& layer) {
    goneChecks_ = 0;
    if (layer.parent != layer_.parent) {
        film_ = 0;
        size_ = Size{};
    }
    layer_ = layer;
}

const Layer& DesktopLayer::Find() {
    Remember(Look());
    tree_.Note(std::string("desktop layout ") + LayoutName(layer_.layout) + " parent " +
               std::to_string(layer_.parent) + " icons " + std::to_string(layer_.icons));
    return layer_;
}

const Layer& DesktopLayer::FindForPlay() {
    // A shell restarting under a playing film (Explorer, say): a loop's restart
    // is no reason to move the film off it.
    if (goneChecks_ > 0 && tree_.Find(0, 0, nullptr, kDesktopWindowTitle) == 0) return layer_;
    Find();
    if (layer_.layout == Layout::noShell && layer_.parent == 0) {
        const Hwnd host = host_.Create();
        Remember(Layer{Layout::noShell, host, host, 0, 0});
        tree_.Note("desktop host " + std::to_string(host));
    }
    return layer_;
}

Size DesktopLayer::ParentSize() {
    Size s;
    if (layer_.parent == 0 || !tree_.ClientSize(layer_.parent, s)) return Size{};
    return s;
}

void DesktopLayer::PlaceFilm() {
    film_ = layer_.parent != 0 ? tree_.OwnChild(layer_.parent) : 0;
    size_ = ParentSize();
    if (film_ == 0) {
        tree_.Note("no film window on " + std::to_string(layer_.parent));
        return;
    }
    PlaceBelowIcons();
    if (layer_.layout == Layout::raised) {
        // Only a layered child at full opacity is drawn in this layout.
        tree_.MakeOpaqueLayered(film_);
    } else if (layer_.layout == Layout::noShell) {
        tree_.SetSize(film_, size_);
    }
    tree_.Note("film window " + std::to_string(film_) + " on " + std::to_string(layer_.parent) +
               " " + std::to_string(size_.width) + "x" + std::to_string(size_.height));
}

void DesktopLayer::PlaceBelowIcons() {
    // A film opened on the icons' parent lands on top of the icon view.
    if (film_ != 0 && layer_.defView != 0 && tree_.WindowAbove(film_) != layer_.defView)
        tree_.PlaceBelow(film_, layer_.defView);
}

DesktopLayer::Change DesktopLayer::SizeCheck() {
    PlaceBelowIcons();
    const Size now = ParentSize();
    if (now == size_) return Change::same;
    size_ = now;
    if (layer_.layout == Layout::noShell && film_ != 0) tree_.SetSize(film_, size_);
    tree_.Note("desktop resized to " + std::to_string(now.width) + "x" +
               std::to_string(now.height));
    return Change::resized;
}

DesktopLayer::Change DesktopLayer::Revalidate(bool full) {
    const bool filmHome =
        film_ == 0 || (tree_.IsWindow(film_) && tree_.Parent(film_) == layer_.parent);
    if (layer_.layout == Layout::noShell) {
        // A shell started meanwhile is used from the next Play on, not under a playing film.
        Hwnd host = host_.Window();
        if (host == 0 || !tree_.IsWindow(host)) {
            host = host_.Create();
            Remember(Layer{Layout::noShell, host, host, 0, 0});
            return Change::replaced;
        }
        if (!filmHome) {
            film_ = 0;
            return Change::replaced;
        }
        return SizeCheck();
    }
    const bool intact = filmHome && tree_.IsWindow(layer_.parent);
    if (intact && !full) return SizeCheck();
    const Layer now = Look();
    if (now.layout == Layout::noShell) {
        if (intact) return SizeCheck();
        if (++goneChecks_ < kShellReturnChecks) return Change::gone;
        const Hwnd host = host_.Create();
        Remember(Layer{Layout::noShell, host, host, 0, 0});
        tree_.Note("no shell came back: desktop host " + std::to_string(host));
        return Change::replaced;
    }
    if (intact && now.parent == layer_.parent) {
        layer_ = now;  // the icons' window may be a new one
        return SizeCheck();
    }
    film_ = 0;
    Remember(now);
    layer_ = now;
    tree_.Note(std::string("desktop replaced: ") + LayoutName(layer_.layout) + " parent " +
               std::to_string(layer_.parent) + " icons " + std::to_string(layer_.icons));
    return Change::replaced;
}

void DesktopLayer::FilmClosed() {
    goneChecks_ = 0;  // no more waiting for the film's shell
    ReleaseHost();
}

void DesktopLayer::ReleaseHost() {
    if (host_.Window() == 0) return;
    host_.Destroy();
    if (layer_.layout == Layout::noShell) Remember(Layer{});
}

void DesktopLayer::FitHost() {
    if (host_.Window() != 0) host_.FitToWorkArea();
}

}  // namespace mevra
