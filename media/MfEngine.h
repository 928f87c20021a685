#pragma once
// MfEngine: the film played through Media Foundation, for the films MCI cannot open (or
// all of them, by choice). One engine serves every player of the process, as one MCI
// alias does. It does the closest sound thing where a call is not implemented (Wine):
// a loop restart becomes a new player, a refused mute leaves the sound as it was.
#include <cstdint>
#include <string>
#include "base/Types.h"
#include "media/MediaApi.h"

namespace mevra {

// The `Player` setting: which engine opens a film first.
enum class EngineChoice { automatic, mci, mf };
inline constexpr char kPlayerKey[] = "Software\\Mevra";
inline constexpr char kPlayerValue[] = "Player";
// "" and "auto" (any case) automatic, "mci", "mf"; anything else automatic, reported.
EngineChoice ParseEngineChoice(const std::string& value);

// The HRESULTs the engine tells apart.
namespace hr {
constexpr std::int32_t kNotImplemented = static_cast<std::int32_t>(0x80004001);
constexpr std::int32_t kFileNotFound = static_cast<std::int32_t>(0x80070002);
constexpr std::int32_t kPathNotFound = static_cast<std::int32_t>(0x80070003);
constexpr std::int32_t kAccessDenied = static_cast<std::int32_t>(0x80070005);
constexpr std::int32_t kSharingViolation = static_cast<std::int32_t>(0x80070020);
constexpr std::int32_t kInvalidMediaType = static_cast<std::int32_t>(0xC00D36B4);
constexpr std::int32_t kUnsupportedByteStream = static_cast<std::int32_t>(0xC00D36C4);
constexpr std::int32_t kUnsupportedFormat = static_cast<std::int32_t>(0xC00D3E98);
constexpr std::int32_t kNoAudioDevice = static_cast<std::int32_t>(0xC00D4E84);
constexpr std::int32_t kCodecNotFound = static_cast<std::int32_t>(0xC00D5212);
constexpr std::int32_t kMfMissing = static_cast<std::int32_t>(0x8007007E);  // ERROR_MOD_NOT_FOUND
}  // namespace hr

// Films only Media Foundation reads on stock Windows, by extension.
bool IsModernFilm(const std::string& path);
// Why a film cannot play, in the user's words; "" when hr says nothing a user can act on.
// codec is FilmPlayerApi::CodecHint's answer.
std::string FilmFailureText(std::int32_t hr, const std::string& path, const std::string& codec);

class MfEngine {
public:
    explicit MfEngine(FilmPlayerApi& api) : api_(api) {}

    EngineChoice Choice() const { return choice_; }
    void SetChoice(EngineChoice choice) { choice_ = choice; }
    bool Available() { return api_.Available(); }
    // A film is open in the engine: every command goes to it.
    bool Holds() const { return open_; }

    // Opens the film into a window on parent and plays it from from_ms.
    std::int32_t Start(const std::string& path_utf8, Hwnd parent, std::int32_t width,
                       std::int32_t height, std::int32_t from_ms);
    // From the start again, as the loop and Play do with an open film.
    void Restart();
    // false when a paused film could not be made to go on: it is then closed.
    bool Play();
    void Pause();
    void Stop();
    void Close();
    // True once for each real end of the film.
    bool AtEnd();
    std::int32_t PositionMs();
    std::int32_t LengthMs();
    std::string Mode();  // "playing", "paused", "stopped" as MCI says them
    // false (the sound as it was) when the player refuses.
    bool Mute(bool mute);
    void JumpBy(std::int32_t ms);
    // Refused, the film plays on where it is.
    void SeekTo(std::int64_t ms);
    std::string CodecHint(const std::string& path_utf8) { return api_.CodecHint(path_utf8); }
    // The film onto another parent, on from at_ms (from the start where seeking is
    // not implemented), paused there when paused.
    std::int32_t MoveTo(Hwnd parent, std::int32_t width, std::int32_t height, std::int32_t at_ms,
                        bool paused);
    void Place(std::int32_t width, std::int32_t height);

private:
    std::int32_t OpenAndPlay(std::int32_t from_ms);
    void Report(const char* what, std::int32_t result);

    FilmPlayerApi& api_;
    EngineChoice choice_ = EngineChoice::automatic;
    bool open_ = false;
    bool paused_ = false;
    bool armed_ = false;  // seen short of its end since the last start
    bool muted_ = false;
    bool muteReported_ = false;
    bool resumeReported_ = false;
    bool withoutAudio_ = false;
    std::string path_;
    Hwnd parent_ = 0;
    std::int32_t width_ = 0, height_ = 0;
};

}  // namespace mevra
