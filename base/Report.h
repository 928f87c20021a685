#pragma once
// Failures leave a trace on the debugger channel (OutputDebugStringA: DebugView,
// or Wine's +debugstr), one line each, and nowhere else: the user is never shown
// them. Tests put a recording sink in the channel's place.
#include <exception>
#include <string>
#include <string_view>

namespace mevra {

// Where the channel's lines go; nullptr restores the debugger channel.
using DebugSink = void (*)(const std::string& line);
// Returns the sink that was in place.
DebugSink SetDebugSink(DebugSink sink);

// One line on the channel, "Mevra: " in front.
void DebugLine(std::string_view text) noexcept;
// "Mevra: <what> failed: <error>".
void ReportFailure(std::string_view what, std::string_view error) noexcept;
// A failed Windows call, with the error code it gave.
void ReportFailure(std::string_view what, long error) noexcept;

// One step of a sequence whose failed steps are skipped: an exception from step
// is reported with `what` and goes no further. True when the step completed.
template <typename F>
bool Attempt(std::string_view what, F&& step) noexcept {
    try {
        step();
        return true;
    } catch (const std::exception& e) {
        ReportFailure(what, e.what());
    } catch (...) {
        ReportFailure(what, "unknown exception");
    }
    return false;
}

// For window, dialog, hook and subclass procedures: an exception must never unwind
// into Windows' frames, so it is reported and `fallback` is returned instead.
template <typename R, typename F>
R AtBoundary(std::string_view what, R fallback, F&& handle) noexcept {
    try {
        return handle();
    } catch (const std::exception& e) {
        ReportFailure(what, e.what());
    } catch (...) {
        ReportFailure(what, "unknown exception");
    }
    return fallback;
}

}  // namespace mevra
