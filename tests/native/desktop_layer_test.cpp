// The desktop-layer finder against window trees shaped as each Windows builds
// its desktop: which window the film goes into, which one Hide Desktop hides,
// and what is asked of Program Manager on the way.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include "desktop/DesktopLayer.h"
#include "fakes/FakeWindowTree.h"

namespace mevra {
namespace {

using fake::FakeWindowTree;

// The windows a case names, so it can state what it expects.
struct Desk {
    Hwnd progman = 0, defView = 0, worker = 0, holder = 0;
};

const std::string kAsk = "0x52c 13 1 1000";
const std::string kAskAgain = "0x52c 0 0 1000";

TEST(DesktopLayerFinder, ClassifiesEachShapeOfDesktop) {
    struct Case {
        const char* name;
        std::function<Desk(FakeWindowTree&)> build;
        Layout layout;
        std::function<Layer(const Desk&)> expected;
        std::vector<std::string> sent;
    };
    auto raised = [](bool iconsShown) {
        return [iconsShown](FakeWindowTree& t) {
            Desk d;
            d.progman = t.Add(0, "Progman", "Program Manager");
            d.defView = t.Add(d.progman, "SHELLDLL_DefView");
            t.Get(d.defView)->visible = iconsShown;
            d.worker = t.Add(d.progman, "WorkerW");
            return d;
        };
    };
    auto raisedLayer = [](const Desk& d) {
        return Layer{Layout::raised, d.progman, d.progman, d.defView, d.worker};
    };
    const Case cases[] = {
        {"XP: Program Manager holds the icons and ignores the request",
         [](FakeWindowTree& t) {
             Desk d;
             t.Add(0, "Shell_TrayWnd");
             d.progman = t.Add(0, "Progman", "Program Manager");
             d.defView = t.Add(d.progman, "SHELLDLL_DefView");
             return d;
         },
         Layout::plain,
         [](const Desk& d) { return Layer{Layout::plain, d.progman, d.progman, d.defView}; },
         {kAsk, kAskAgain}},
        {"Windows 10: the icons in a WorkerW, an empty WorkerW behind it",
         [](FakeWindowTree& t) {
             Desk d;
             t.Add(0, "WorkerW");  // someone else's, above the desktop
             d.holder = t.Add(0, "WorkerW");
             t.Add(d.holder, "SHELLDLL_DefView");
             d.worker = t.Add(0, "WorkerW");
             d.progman = t.Add(0, "Progman", "Program Manager");
             return d;
         },
         Layout::classic, [](const Desk& d) { return Layer{Layout::classic, d.worker, d.holder}; },
         {kAsk}},
        {"Windows 10 before the request: the WorkerW appears when asked",
         [](FakeWindowTree& t) {
             Desk d;
             d.progman = t.Add(0, "Progman", "Program Manager");
             d.defView = t.Add(d.progman, "SHELLDLL_DefView");
             t.onSpawn = [&t, p = d.progman, v = d.defView](std::uintptr_t, std::intptr_t) {
                 if (t.Find(0, 0, "WorkerW", nullptr)) return;
                 // Explorer moves the icon view into a new WorkerW above Program Manager
                 // and puts an empty one between them.
                 t.Remove(v);
                 const Hwnd holder = t.Add(0, "WorkerW");
                 t.Add(holder, "SHELLDLL_DefView");
                 t.Add(0, "WorkerW");
                 auto pm = *t.Get(p);
                 t.windows.erase(t.windows.begin());  // Program Manager goes to the bottom
                 t.windows.push_back(pm);
             };
             return d;
         },
         Layout::classic,
         [](const Desk&) { return Layer{Layout::classic, 0x104, 0x102}; },  // made by the answer
         {kAsk}},
        {"Windows 10 under file dialogs, another program's and Mevra's own, and a hidden WorkerW",
         [](FakeWindowTree& t) {
             Desk d;
             for (std::uint32_t pid : {77u, FakeWindowTree::kOwnPid}) {
                 const Hwnd dialog = t.Add(0, "#32770", "Open");
                 t.Get(dialog)->pid = pid;
                 t.Add(dialog, "SHELLDLL_DefView");
             }
             const Hwnd stale = t.Add(0, "WorkerW");
             t.Get(stale)->visible = false;
             t.Add(stale, "SHELLDLL_DefView");
             const Hwnd impostor = t.Add(0, "WorkerW");  // the right class, another process
             t.Get(impostor)->pid = 77;
             t.Add(impostor, "SHELLDLL_DefView");
             d.holder = t.Add(0, "WorkerW");
             t.Add(d.holder, "SHELLDLL_DefView");
             d.worker = t.Add(0, "WorkerW");
             d.progman = t.Add(0, "Progman", "Program Manager");
             return d;
         },
         Layout::classic, [](const Desk& d) { return Layer{Layout::classic, d.worker, d.holder}; },
         {kAsk}},
        {"XP under a file dialog of another program",
         [](FakeWindowTree& t) {
             Desk d;
             const Hwnd dialog = t.Add(0, "#32770", "Open");
             t.Get(dialog)->pid = 77;
             t.Add(dialog, "SHELLDLL_DefView");
             t.Add(0, "WorkerW");  // a WorkerW of the shell's below the dialog
             d.progman = t.Add(0, "Progman", "Program Manager");
             d.defView = t.Add(d.progman, "SHELLDLL_DefView");
             return d;
         },
         Layout::plain,
         [](const Desk& d) { return Layer{Layout::plain, d.progman, d.progman, d.defView}; },
         {kAsk, kAskAgain}},
        {"Windows 11 24H2: Program Manager holds the icons and a WorkerW", raised(true),
         Layout::raised, raisedLayer, {kAsk}},
        {"Windows 11 24H2 with the desktop icons switched off", raised(false), Layout::raised,
         raisedLayer, {kAsk}},
        {"no shell at all",
         [](FakeWindowTree& t) {
             t.Add(0, "Shell_TrayWnd");
             return Desk{};
         },
         Layout::noShell, [](const Desk&) { return Layer{Layout::noShell, 0, 0}; }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeWindowTree tree;
        fake::FakeDesktopHost host(tree);
        DesktopLayer layer(tree, host);
        const Desk d = c.build(tree);
        const Layer found = layer.Find();
        const Layer want = c.expected(d);
        EXPECT_EQ(LayoutName(found.layout), LayoutName(c.layout));
        EXPECT_EQ(found.parent, want.parent);
        EXPECT_EQ(found.icons, want.icons);
        EXPECT_EQ(found.defView, want.defView);
        EXPECT_EQ(found.worker, want.worker);
        EXPECT_EQ(tree.sent, c.sent);
        EXPECT_EQ(host.created, 0) << "a host made outside a Play";
    }
}

// Raised: the film's window goes between the icon view and the WorkerW, layered.
// No shell: a host of Mevra's own, the film sized to it, and gone with Stop.
TEST(DesktopLayerFinder, PutsTheFilmWindowInPlace) {
    FakeWindowTree tree;
    fake::FakeDesktopHost host(tree);
    DesktopLayer layer(tree, host);
    const Hwnd progman = tree.Add(0, "Progman", "Program Manager");
    const Hwnd defView = tree.Add(progman, "SHELLDLL_DefView");
    const Hwnd worker = tree.Add(progman, "WorkerW");
    ASSERT_EQ(layer.FindForPlay().layout, Layout::raised);
    const Hwnd film = tree.Add(progman, "MCIQTZ_Window", "", {320, 240}, true);  // opened last: on top
    layer.PlaceFilm();
    EXPECT_EQ(layer.FilmWindow(), film);
    EXPECT_EQ(tree.Children(progman), (std::vector<Hwnd>{defView, film, worker}));
    EXPECT_TRUE(tree.Get(film)->layered);
    // Explorer raises its WorkerW over the film: the next tick puts the film back.
    tree.PlaceBelow(worker, defView);
    EXPECT_EQ(layer.Revalidate(false), DesktopLayer::Change::same);
    EXPECT_EQ(tree.Children(progman), (std::vector<Hwnd>{defView, film, worker}));

    // Plain: the film opens over the icon view and goes below it, and back there if raised.
    FakeWindowTree xp;
    fake::FakeDesktopHost xpHost(xp);
    DesktopLayer plain(xp, xpHost);
    const Hwnd pm = xp.Add(0, "Progman", "Program Manager");
    const Hwnd icons = xp.Add(pm, "SHELLDLL_DefView");
    ASSERT_EQ(plain.FindForPlay().layout, Layout::plain);
    const Hwnd xpFilm = xp.Add(pm, "MCIQTZ_Window", "", {320, 240}, true);
    auto raise = [&xp](Hwnd h) {
        const auto w = *xp.Get(h);
        xp.windows.erase(std::find_if(xp.windows.begin(), xp.windows.end(),
                                      [h](const auto& x) { return x.h == h; }));
        xp.windows.insert(xp.windows.begin(), w);
    };
    raise(xpFilm);
    plain.PlaceFilm();
    EXPECT_EQ(xp.Children(pm), (std::vector<Hwnd>{icons, xpFilm}));
    EXPECT_FALSE(xp.Get(xpFilm)->layered);
    raise(xpFilm);
    EXPECT_EQ(plain.Revalidate(false), DesktopLayer::Change::same);
    EXPECT_EQ(xp.Children(pm), (std::vector<Hwnd>{icons, xpFilm}));

    FakeWindowTree bare;
    fake::FakeDesktopHost own(bare);
    DesktopLayer none(bare, own);
    const Layer& l = none.FindForPlay();
    ASSERT_EQ(l.layout, Layout::noShell);
    ASSERT_NE(l.parent, 0);
    EXPECT_EQ(l.icons, l.parent);
    const Hwnd hosted = bare.Add(l.parent, "MCIQTZ_Window", "", {320, 240}, true);
    none.PlaceFilm();
    EXPECT_EQ(bare.Get(hosted)->size, (Size{1024, 740}));
    // The work area grows: the host follows and the film with it.
    own.workArea = {1280, 994};
    none.FitHost();
    EXPECT_EQ(none.Revalidate(true), DesktopLayer::Change::resized);
    EXPECT_EQ(bare.Get(hosted)->size, (Size{1280, 994}));
    // A shell that starts meanwhile waits for the next Play.
    bare.Add(0, "Progman", "Program Manager");
    EXPECT_EQ(none.Revalidate(true), DesktopLayer::Change::same);
    none.FilmClosed();
    EXPECT_EQ(own.Window(), 0);
    EXPECT_EQ(none.FindForPlay().layout, Layout::plain);
    EXPECT_EQ(own.created, 1);
}

}  // namespace
}  // namespace mevra
