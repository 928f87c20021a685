#include "base/WindowsVersion_win.h"

#include <windows.h>

namespace mevra {

bool WindowsAtLeast(unsigned major, unsigned minor) {
    // GetVersion never reports less than the real version, only (unmanifested) less than
    // 10: enough for the features of Vista and 7 asked about here.
    const DWORD version = GetVersion();
    const unsigned runningMajor = LOBYTE(LOWORD(version));
    const unsigned runningMinor = HIBYTE(LOWORD(version));
    return runningMajor > major || (runningMajor == major && runningMinor >= minor);
}

}  // namespace mevra
