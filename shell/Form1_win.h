#pragma once
// Form1 as a Win32 window: a hidden top-level tool window (never shown, no
// taskbar button) that owns the popup menu, the loop timer, the tray icon, the
// banner lent to the open dialog and the texture under the menus. It carries
// the portable Form1 and gives it its Windows parts.
#include <windows.h>
#include <functional>
#include <memory>
#include "shell/Form1.h"

namespace mevra {

class MediaPlayer;

// How other programs and the tests find the running program.
constexpr char kForm1ClassName[] = "MevraForm1";
constexpr char kForm1Title[] = "Mevra";
constexpr char kSingleInstanceMutex[] = "MevraSingleInstance";
constexpr char kTaskbarCreatedMessage[] = "TaskbarCreated";

constexpr UINT_PTR kLoopTimerId = 1;
constexpr int kPicture2Id = 2;
constexpr int kPicture2Width = 407;
constexpr int kPicture2Height = 35;
constexpr int kTrayIconSize = 32;
// Menu command ids: kMenuIdBase + the item's MenuItem value.
constexpr UINT kMenuIdBase = 1000;

class Form1Window {
public:
    // hotkeyMedia is the second player, kept for the seek hotkeys; it must
    // outlive the window.
    Form1Window(HINSTANCE instance, MediaPlayer* hotkeyMedia);
    ~Form1Window();
    Form1Window(const Form1Window&) = delete;
    Form1Window& operator=(const Form1Window&) = delete;

    // Form_Initialize, the window, then Form_Load. False (with nothing
    // touched) when another instance is running.
    bool Load();
    // Form_QueryUnload, Form_Unload, then the window goes. Runs once.
    void Unload();

    // Called when the window has been destroyed, e.g. to end the message loop.
    void SetOnDestroyed(std::function<void()> handler);

    HWND hwnd() const;
    HMENU popupMenu() const;   // mnuOp's popup
    HWND picture2() const;
    HBITMAP image1() const;
    HICON imgIcon() const;
    Form1& form();
    HOTKEYmod& hotkeys();
    UINT taskbarCreatedMessage() const;
    // The class's own procedure, below the menu engine's and MainWindowProc.
    static WNDPROC OwnWindowProc();

    struct Parts;

private:
    std::unique_ptr<Parts> parts_;
};

}  // namespace mevra
