#pragma once
// Which Windows the program runs on, for features that came with a later version.

namespace mevra {

// True on Windows major.minor or later (Vista is 6.0, 7 is 6.1).
bool WindowsAtLeast(unsigned major, unsigned minor);

}  // namespace mevra
