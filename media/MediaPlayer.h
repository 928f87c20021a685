#pragma once
// What the shell asks of a media player. KORVANECLASS is the real one; the
// shell's unit tests use a recording fake.
#include <cstdint>
#include <string>
#include "base/Types.h"

namespace mevra {

// Outcome of the open command that PlayMEDIAFILE sends. code is the MCI
// result (0 = success); text is "Success" or MCI's message for code.
struct OpenResult {
    std::uint32_t code = 0;
    std::string text = "Success";
};

// MCIERR_DUPLICATE_ALIAS: the alias already holds a device, as it does when
// Play or Loop restarts the film that is loaded.
constexpr std::uint32_t kMciErrDuplicateAlias = 289;

class MediaPlayer {
public:
    virtual ~MediaPlayer() = default;

    virtual std::string AliasName() const = 0;
    virtual void SetAliasName(const std::string& new_AliasName) = 0;
    virtual Hwnd hwndParent() const = 0;
    virtual void SethwndParent(Hwnd new_HwndParent) = 0;
    virtual std::string Filename() const = 0;         // short form
    virtual void SetFilename(const std::string& xFile) = 0;

    virtual void setCommand(int Cmd, const std::string& sDrive = "", std::int32_t nValue = 0) = 0;
    // Opens, places and starts the film. Returns the open command's outcome
    // (callers that follow the original design ignore it). Throws OverflowError
    // when where * 1000 does not fit 32 bits, after the open and the placement.
    virtual OpenResult PlayMEDIAFILE(std::int32_t where = 0) = 0;
    virtual void FForward(std::int32_t nValue) = 0;   // throws OverflowError
    virtual void FRewind(std::int32_t nValue) = 0;    // throws OverflowError
    virtual void SetAudioState(std::int32_t stChan, std::int32_t st_pos) = 0;
    virtual bool THE_ENDOFSONG(std::int32_t fTime) = 0;

    // Moving a playing film to another desktop window.
    // Where the film is, in milliseconds (0 when the device does not say).
    virtual std::int32_t PositionMs() = 0;
    // Closes the film and opens it again on hwndParent(), sized to it, playing
    // on from ms; paused there when paused.
    virtual OpenResult ReopenAt(std::int32_t ms, bool paused) = 0;
    // "put <alias> window at 0 0 width height": the film's window.
    virtual void PutWindow(std::int32_t width, std::int32_t height) = 0;
    // "put <alias> destination at 0 0 width height": the picture inside it.
    virtual void PutDestination(std::int32_t width, std::int32_t height) = 0;
};

}  // namespace mevra
