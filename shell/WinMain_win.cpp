// Mevra's entry point: Main creates the seek hotkeys' player, loads the hidden
// main window and then lives on window messages until the main window and any
// open About box are gone.
#include <windows.h>

#include <cstdlib>
#include <new>
#include <typeinfo>

#include "base/LateBound_win.h"
#include "base/Report.h"
#include "dialogs/Form2_win.h"
#include "media/Korvane.h"
#include "media/MediaApiWin.h"
#include "media/MfPlayerWin.h"
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
    KORVANECLASS hotkeyMedia(Win32Mci(), Win32MediaSystem(), &SharedMfEngine());
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

// Size: the standard library's own error paths below replace its defaults, which link
// the C++ name demangler (for a console message nobody sees) and the exception classes
// with their second string implementation. Errors stay catchable as std::exception.
namespace {

class LibraryError final : public std::exception {
public:
    explicit LibraryError(const char* what) : what_(what) {}
    const char* what() const noexcept override { return what_; }

private:
    const char* what_;
};

}  // namespace

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_function_call() { throw LibraryError("bad function call"); }
void __throw_logic_error(const char* what) { throw LibraryError(what); }
void __throw_domain_error(const char* what) { throw LibraryError(what); }
void __throw_invalid_argument(const char* what) { throw LibraryError(what); }
void __throw_length_error(const char* what) { throw LibraryError(what); }
void __throw_out_of_range(const char* what) { throw LibraryError(what); }
void __throw_out_of_range_fmt(const char* what, ...) { throw LibraryError(what); }
void __throw_runtime_error(const char* what) { throw LibraryError(what); }
void __throw_range_error(const char* what) { throw LibraryError(what); }
void __throw_overflow_error(const char* what) { throw LibraryError(what); }
void __throw_underflow_error(const char* what) { throw LibraryError(what); }
}  // namespace std

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before anything loads a DLL: none from the program's folder or the current one.
    if (!mevra::RestrictDllSearchToSystem())
        mevra::DebugLine("no SetDefaultDllDirectories: DLLs are loaded by their full paths");
    return mevra::Main(instance);
}
