#pragma once
// DesktopLayer: the window the film goes into so that it shows behind the
// desktop icons, whatever shape the desktop has, and whether that window is
// still the right one. The shape is read from the window tree (which windows
// hold which), never from the Windows version.
#include <cstdint>
#include <string>
#include "base/Types.h"

namespace mevra {

// Program Manager's undocumented request for a WorkerW behind the icons.
constexpr std::uint32_t kSpawnWorkerMessage = 0x052C;
constexpr std::uintptr_t kSpawnWorkerWParam = 0xD;
constexpr std::intptr_t kSpawnWorkerLParam = 1;
constexpr std::uint32_t kSpawnWorkerTimeoutMs = 1000;
constexpr char kDefViewClass[] = "SHELLDLL_DefView";
constexpr char kWorkerClass[] = "WorkerW";
constexpr char kProgmanClass[] = "Progman";
// Checks (loop ticks, mostly) a playing film waits for a shell that went away
// before it moves to a desktop window of Mevra's own: about ten seconds.
constexpr int kShellReturnChecks = 20;

enum class Layout {
    plain,    // Program Manager holds the icons: the film is its child, below the icon view (XP, 7 basic)
    classic,  // the icons in a top-level WorkerW, the film in the WorkerW behind it (8 to 11 23H2)
    raised,   // Program Manager holds the icons and a WorkerW: the film between them (11 24H2 on)
    noShell,  // no Program Manager at all: the film in a desktop window of our own
};
const char* LayoutName(Layout layout);

struct Size {
    std::int32_t width = 0, height = 0;
};
inline bool operator==(Size a, Size b) { return a.width == b.width && a.height == b.height; }
inline bool operator!=(Size a, Size b) { return !(a == b); }

struct Layer {
    Layout layout = Layout::noShell;
    Hwnd parent = 0;   // the film window's parent (0 in noShell while there is no host)
    Hwnd icons = 0;    // the window holding the icons: what Hide Desktop hides
    Hwnd defView = 0;  // plain and raised: the film sits directly below the icon view...
    Hwnd worker = 0;   // ...raised: and above this WorkerW
};

// The user32 calls the finder needs (DesktopLayer_win.cpp; an in-memory tree in tests/fakes).
class WindowTree {
public:
    virtual ~WindowTree() = default;
    // FindWindowExA(parent, after, cls, title); a null cls or title matches any.
    virtual Hwnd Find(Hwnd parent, Hwnd after, const char* cls, const char* title) = 0;
    // SendMessageTimeoutA(..., SMTO_NORMAL, timeoutMs); false when it failed or timed out.
    virtual bool SendTimeout(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam, std::uint32_t timeoutMs) = 0;
    virtual bool IsWindow(Hwnd window) = 0;
    virtual Hwnd Parent(Hwnd window) = 0;                    // GetParent
    virtual bool IsVisible(Hwnd window) = 0;                 // IsWindowVisible
    virtual std::string ClassName(Hwnd window) = 0;          // GetClassNameA
    virtual std::uint32_t ProcessId(Hwnd window) = 0;        // GetWindowThreadProcessId
    virtual bool ClientSize(Hwnd window, Size& size) = 0;     // GetClientRect
    virtual Hwnd OwnChild(Hwnd parent) = 0;   // the first child made by this process, or 0
    virtual Hwnd WindowAbove(Hwnd window) = 0;               // GetWindow(GW_HWNDPREV)
    // SetWindowPos(window, above, ..., SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE).
    virtual bool PlaceBelow(Hwnd window, Hwnd above) = 0;
    // WS_EX_LAYERED, then SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA).
    virtual bool MakeOpaqueLayered(Hwnd window) = 0;
    virtual bool SetSize(Hwnd window, Size size) = 0;         // at 0, 0 of its parent
    virtual void Note(const std::string& line) = 0;           // the debugger channel
};

// Mevra's own desktop window for desktops with no shell (DesktopHost_win.cpp).
class DesktopHost {
public:
    virtual ~DesktopHost() = default;
    // The host over the work area, at the bottom, shown without activation; 0 on failure.
    virtual Hwnd Create() = 0;
    virtual void Destroy() = 0;
    virtual void FitToWorkArea() = 0;
    virtual Hwnd Window() const = 0;  // 0 when there is none
};

class DesktopLayer {
public:
    enum class Change { same, resized, gone, replaced };

    DesktopLayer(WindowTree& tree, DesktopHost& host);

    // The layer as the desktop is now. In noShell the parent is the host if one
    // exists; none is made.
    const Layer& Find();
    // Find, making the host when there is no shell (the layer of a Play). While
    // a shell that went away under the film may come back, the old layer stays.
    const Layer& FindForPlay();
    const Layer& Current() const { return layer_; }

    // After the film opened on Current().parent: finds its window and puts it in
    // place (raised: below the icon view, layered; noShell: the host's full size).
    void PlaceFilm();
    Hwnd FilmWindow() const { return film_; }
    Size FilmSize() const { return size_; }  // the parent's client size at the last check

    // Is the film still where it belongs? A cheap check unless full (or the
    // cheap one fails); full looks for the layer again. After replaced,
    // Current() is the new layer and the film must be opened on it. A shell
    // gone for kShellReturnChecks checks is replaced by the host.
    Change Revalidate(bool full);

    // The film was closed (Stop, Exit, a failed open): its host goes.
    void FilmClosed();
    // Host housekeeping: a shell's layer makes it useless, a work-area change resizes it.
    void ReleaseHost();
    void FitHost();

private:
    Layer Look();  // finds the layer without remembering it
    Layer Classify(Hwnd progman);
    // The first visible Progman or WorkerW of process pid that holds a childClass
    // window; never a file dialog, which may hold an icon view too.
    Hwnd ShellWindowHolding(const char* childClass, std::uint32_t pid);
    void PlaceBelowIcons();
    Size ParentSize();
    Change SizeCheck();  // the layer stays: has it another size?
    void Remember(const Layer& layer);

    WindowTree& tree_;
    DesktopHost& host_;
    Layer layer_;
    Hwnd film_ = 0;
    Size size_;
    int goneChecks_ = 0;  // checks since the shell went away under the film
};

}  // namespace mevra
