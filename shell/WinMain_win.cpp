// Mevra's entry point: Main creates the seek hotkeys' player, loads the hidden
// main window and then lives on window messages until the main window and any
// open About box are gone.
#include <windows.h>

#include "dialogs/Form2_win.h"
#include "media/Korvane.h"
#include "media/MediaApiWin.h"
#include "shell/Form1_win.h"

namespace mevra {
namespace {

// With the main window gone the program ends, unless the About box is still
// open: then it ends when that box closes.
void EndWhenLastWindowCloses() {
    if (!AboutBoxOpen()) {
        PostQuitMessage(0);
        return;
    }
    SetAboutBoxClosedHandler([] { PostQuitMessage(0); });
}

}  // namespace

int Main(HINSTANCE instance) {
    // m_objHotkeyMedia: shares the film player's alias, so it moves the same film.
    KORVANECLASS hotkeyMedia(Win32Mci(), Win32MediaSystem());
    Form1Window form1(instance, &hotkeyMedia);
    if (!form1.Load()) return 0;  // another instance runs, or no window could be made
    form1.SetOnDestroyed(EndWhenLastWindowCloses);

    MSG msg{};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (IsAboutBoxMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace mevra

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return mevra::Main(instance); }
