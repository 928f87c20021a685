// Mevra's entry point. The shell is not wired in yet: the program starts and ends cleanly.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return 0;
}
