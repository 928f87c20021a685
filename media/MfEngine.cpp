#include "media/MfEngine.h"

#include <cctype>
#include "base/Report.h"

namespace mevra {

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Extension(const std::string& path) {
    const auto dot = path.rfind('.');
    const auto slash = path.find_last_of("\\/");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
    return Lower(path.substr(dot + 1));
}

std::string Hex(std::int32_t value) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4)
        text += digits[(static_cast<std::uint32_t>(value) >> shift) & 0xF];
    return text;
}

bool Failed(std::int32_t result) { return result < 0; }

constexpr std::int32_t kStatePlaying = 2;  // MFP_MEDIAPLAYER_STATE_PLAYING

}  // namespace

EngineChoice ParseEngineChoice(const std::string& value) {
    const std::string v = Lower(value);
    if (v.empty() || v == "auto") return EngineChoice::automatic;
    if (v == "mci") return EngineChoice::mci;
    if (v == "mf") return EngineChoice::mf;
    DebugLine("Player setting \"" + value + "\" is not auto, mci or mf: auto it is");
    return EngineChoice::automatic;
}

bool IsModernFilm(const std::string& path) {
    static const char* const kModern[] = {"mp4", "m4v", "mkv", "webm", "3gp", "3g2", "mov"};
    const std::string ext = Extension(path);
    for (const char* known : kModern)
        if (ext == known) return true;
    return false;
}

std::string FilmFailureText(std::int32_t result, const std::string& path, const std::string& codec) {
    switch (result) {
        case hr::kMfMissing:
            // A film MCI should have read is not for Media Foundation to explain.
            if (!IsModernFilm(path)) return std::string();
            return "Media Foundation (the Media Feature Pack) is missing: install it to play this film";
        case hr::kFileNotFound:
        case hr::kPathNotFound: return "the file is gone";
        case hr::kAccessDenied:
        case hr::kSharingViolation: return "the file is locked or may not be read";
        case hr::kUnsupportedByteStream: return "this is not a film Windows can read";
        case hr::kInvalidMediaType:
        case hr::kUnsupportedFormat:
        case hr::kCodecNotFound: {
            std::string text = "this Windows has no decoder for the film's format";
            if (codec == "HEVC") text += ": install \"HEVC Video Extensions\" from the Microsoft Store";
            if (codec == "VP9") text += ": install \"VP9 Video Extensions\" from the Microsoft Store";
            if (codec == "AV1") text += ": install \"AV1 Video Extension\" from the Microsoft Store";
            return text;
        }
        default: break;
    }
    // A film of a kind MCI does not know that Media Foundation could not open either.
    if (Failed(result) && IsModernFilm(path)) return "this Windows cannot play this film (" + Hex(result) + ")";
    return std::string();
}

void MfEngine::Report(const char* what, std::int32_t result) {
    if (Failed(result)) ReportFailure(std::string("film: ") + what, Hex(result));
}

std::int32_t MfEngine::OpenAndPlay(std::int32_t from_ms) {
    std::int32_t result = api_.Open(path_, parent_, width_, height_, withoutAudio_);
    if (result == hr::kNoAudioDevice && !withoutAudio_) {
        // A PC without sound output still shows the picture.
        withoutAudio_ = true;
        result = api_.Open(path_, parent_, width_, height_, true);
    }
    if (Failed(result)) return result;
    open_ = true;
    paused_ = false;
    armed_ = false;
    if (from_ms > 0) Report("seek", api_.Seek(from_ms));
    if (muted_ && Failed(api_.SetMute(true))) muted_ = false;
    result = api_.Play();
    if (Failed(result)) {
        Close();
        return result;
    }
    return 0;
}

std::int32_t MfEngine::Start(const std::string& path_utf8, Hwnd parent, std::int32_t width,
                             std::int32_t height, std::int32_t from_ms) {
    Close();
    if (!api_.Available()) return hr::kMfMissing;
    if (path_utf8.empty()) return hr::kFileNotFound;
    path_ = path_utf8;
    parent_ = parent;
    width_ = width;
    height_ = height;
    withoutAudio_ = !api_.HasAudioDevice();
    muted_ = false;
    return OpenAndPlay(from_ms);
}

void MfEngine::Restart() {
    if (!open_) return;
    armed_ = false;
    paused_ = false;
    api_.TakeEnded();  // an end before this start is not this play's end
    if (!Failed(api_.Seek(0))) {
        Report("play", api_.Play());
        return;
    }
    // Without seeking, only a new player plays an ended film again.
    api_.Close();
    open_ = false;
    Report("restart", OpenAndPlay(0));
}

bool MfEngine::Play() {
    if (!open_) return false;
    const bool resuming = paused_;
    paused_ = false;
    const std::int32_t result = api_.Play();
    if (!resuming) {
        Report("play", result);
        return true;
    }
    if (!Failed(result) && api_.State() == kStatePlaying) return true;
    // Accepted yet still paused (Wine): stopped and started again where it was, or from
    // the start where it cannot seek; a new player where even that does not take.
    std::int64_t at = 0;
    api_.Position(at);
    if (!resumeReported_) DebugLine("film: the player did not go on (" + Hex(result) + "): started again");
    resumeReported_ = true;
    api_.Stop();
    if (at > 0) api_.Seek(at);
    if (!Failed(api_.Play()) && api_.State() == kStatePlaying) return true;
    api_.Close();
    open_ = false;
    const std::int32_t reopened = OpenAndPlay(static_cast<std::int32_t>(at));
    Report("resume", reopened);
    return !Failed(reopened);
}

void MfEngine::Pause() {
    if (!open_) return;
    Report("pause", api_.Pause());
    paused_ = true;
}

void MfEngine::Stop() {
    if (open_) Report("stop", api_.Stop());
}

void MfEngine::Close() {
    if (!open_) return;
    api_.Close();
    open_ = false;
    paused_ = false;
}

bool MfEngine::AtEnd() {
    if (!open_) return false;
    if (api_.TakeEnded()) {
        armed_ = false;
        return true;
    }
    // Without an end event, a position at the length ends the film, once it has been seen
    // short of it: a restart that has not moved yet must not count as a second end.
    std::int64_t position = 0, length = 0;
    if (Failed(api_.Position(position)) || Failed(api_.Duration(length)) || length <= 0) return false;
    if (position < length) {
        armed_ = true;
        return false;
    }
    if (!armed_) return false;
    armed_ = false;
    return true;
}

std::int32_t MfEngine::PositionMs() {
    std::int64_t ms = 0;
    if (!open_ || Failed(api_.Position(ms))) return 0;
    return static_cast<std::int32_t>(ms);
}

std::int32_t MfEngine::LengthMs() {
    std::int64_t ms = 0;
    if (!open_ || Failed(api_.Duration(ms))) return 0;
    return static_cast<std::int32_t>(ms);
}

std::string MfEngine::Mode() {
    switch (open_ ? api_.State() : 0) {
        case kStatePlaying: return "playing";
        case 3: return "paused";
        case 1: return "stopped";
        default: return std::string();
    }
}

bool MfEngine::Mute(bool mute) {
    if (!open_) return false;
    const std::int32_t result = api_.SetMute(mute);
    if (Failed(result)) {
        if (!muteReported_) Report(mute ? "mute" : "unmute", result);
        muteReported_ = true;
        return false;
    }
    muted_ = mute;
    return true;
}

void MfEngine::JumpBy(std::int32_t ms) {
    if (!open_) return;
    std::int64_t at = 0;
    api_.Position(at);
    SeekTo(at + ms);
}

void MfEngine::SeekTo(std::int64_t ms) {
    if (open_) Report("seek", api_.Seek(ms < 0 ? 0 : ms));
}

std::int32_t MfEngine::MoveTo(Hwnd parent, std::int32_t width, std::int32_t height,
                              std::int32_t at_ms, bool paused) {
    if (!open_) return 0;
    api_.Close();
    open_ = false;
    parent_ = parent;
    width_ = width;
    height_ = height;
    const std::int32_t result = OpenAndPlay(at_ms);
    if (!Failed(result) && paused) Pause();
    return result;
}

void MfEngine::Place(std::int32_t width, std::int32_t height) {
    if (!open_) return;
    width_ = width;
    height_ = height;
    Report("place", api_.Place(width, height));
}

}  // namespace mevra
