#include "base/Report.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace mevra {
namespace {

void DebuggerChannel(const std::string& line) {
#ifdef _WIN32
    ::OutputDebugStringA(line.c_str());
#else
    (void)line;  // no debugger channel off Windows; tests record instead
#endif
}

DebugSink g_sink = DebuggerChannel;

}  // namespace

DebugSink SetDebugSink(DebugSink sink) {
    const DebugSink previous = g_sink;
    g_sink = sink ? sink : DebuggerChannel;
    return previous;
}

void DebugLine(std::string_view text) noexcept {
    try {
        g_sink("Mevra: " + std::string(text));
    } catch (...) {
        // Out of memory for the line itself: nothing more can be said.
    }
}

void ReportFailure(std::string_view what, std::string_view error) noexcept {
    try {
        DebugLine(std::string(what) + " failed: " + std::string(error));
    } catch (...) {
    }
}

void ReportFailure(std::string_view what, long error) noexcept {
    try {
        ReportFailure(what, "error " + std::to_string(error));
    } catch (...) {
    }
}

}  // namespace mevra
