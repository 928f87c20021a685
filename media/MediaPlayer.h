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

// setCommand's codes; the method takes them as plain integers.
enum MediaCommand : int {
    kCmdStop = 1,
    kCmdPlay = 2,
    kCmdPlayFrom = 3,  // seek to value (ms), then play from there
    kCmdSpeed = 4,
    kCmdClose = 5,
    kCmdPause = 6,
    kCmdResume = 7,
};

// SetAudioState's channels.
enum AudioChannel : std::int32_t {
    kAudioRightChannel = 0,
    kAudioLeftChannel = 1,
    kAudioAllChannels = 2,
};

// MCIERR_DUPLICATE_ALIAS: the alias already holds a device, as it does when
// Play or Loop restarts the film that is loaded.
constexpr std::uint32_t kMciErrDuplicateAlias = 289;

class MediaPlayer {
public:
    virtual ~MediaPlayer() = default;

    virtual std::string AliasName() const = 0;
    virtual void SetAliasName(const std::string& alias) = 0;
    virtual Hwnd hwndParent() const = 0;
    virtual void SethwndParent(Hwnd parent) = 0;
    virtual std::string Filename() const = 0;         // short form
    virtual void SetFilename(const std::string& path) = 0;
    // The path as the wide API finds it, in UTF-8 (MediaSystemApi::RealPathUtf8).
    virtual std::string FilenameUtf8() const = 0;

    // command is a MediaCommand; drive and value serve the CD open and kCmdPlayFrom/kCmdSpeed.
    // false only when a film that should play is lost on the way (nothing plays any more).
    virtual bool setCommand(int command, const std::string& drive = "", std::int32_t value = 0) = 0;
    // Opens, places and starts the film. Returns the open command's outcome
    // (callers that follow the original design ignore it). Throws OverflowError
    // when where * 1000 does not fit 32 bits, after the open and the placement.
    virtual OpenResult PlayMEDIAFILE(std::int32_t where = 0) = 0;
    virtual void FForward(std::int32_t seconds) = 0;  // throws OverflowError
    virtual void FRewind(std::int32_t seconds) = 0;   // throws OverflowError
    // channel is an AudioChannel; off 0 turns its sound on, anything else off. False
    // when the player refused it and the sound is as it was.
    virtual bool SetAudioState(std::int32_t channel, std::int32_t off) = 0;
    // form as for LENGTHFORMAT and POSFORMAT.
    virtual bool THE_ENDOFSONG(std::int32_t form) = 0;

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
