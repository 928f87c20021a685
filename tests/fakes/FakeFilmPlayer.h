#pragma once
// An in-memory Media Foundation: records each call, answers from fields the test sets,
// and plays no film. Ends are raised by the test (RaiseEnd), as MFPlay's event would.
#include <cstdint>
#include <string>
#include <vector>
#include "media/MediaApi.h"

namespace mevra::fakes {

class FakeFilmPlayer : public FilmPlayerApi {
public:
    bool Available() override { return available; }
    bool HasAudioDevice() override { return audio_device; }
    std::int32_t Open(const std::string& path, Hwnd parent, std::int32_t width, std::int32_t height,
                      bool without_audio) override {
        calls.push_back("Open " + path + " " + std::to_string(parent) + " " + std::to_string(width) + "x" +
                        std::to_string(height) + (without_audio ? " silent" : ""));
        std::int32_t result = open_result;
        if (result == no_audio_result && without_audio) result = 0;
        open = result >= 0;
        ended = false;
        state = 1;
        stuck_after_pause = stuck_after_stop = false;  // a new player is a sound one
        if (open) position = 0;
        return result;
    }
    void Close() override {
        calls.push_back("Close");
        open = false;
    }
    std::int32_t Play() override {
        if (!(stuck_after_pause && state == 3) && !(stuck_after_stop && state == 1)) state = 2;
        return Call("Play", 0);
    }
    std::int32_t Pause() override {
        state = 3;
        return Call("Pause", 0);
    }
    std::int32_t Stop() override {
        state = 1;
        return Call("Stop", 0);
    }
    std::int32_t Position(std::int64_t& ms) override {
        ms = position;
        return 0;
    }
    std::int32_t Duration(std::int64_t& ms) override {
        ms = duration;
        return 0;
    }
    std::int32_t Seek(std::int64_t ms) override {
        const std::int32_t r = Call("Seek " + std::to_string(ms), seek_result);
        if (r >= 0) position = ms;
        return r;
    }
    std::int32_t SetMute(bool mute) override { return Call(mute ? "Mute" : "Unmute", mute_result); }
    std::int32_t State() override { return open ? state : 0; }
    std::int32_t Place(std::int32_t w, std::int32_t h) override {
        return Call("Place " + std::to_string(w) + "x" + std::to_string(h), 0);
    }
    bool TakeEnded() override {
        const bool e = ended;
        ended = false;
        return e;
    }
    std::string CodecHint(const std::string&) override { return codec; }

    void RaiseEnd() { ended = true; }

    bool available = true;
    bool audio_device = true;
    std::int32_t open_result = 0;
    std::int32_t no_audio_result = 1;  // an Open failing with this plays once without sound
    std::int32_t seek_result = 0;
    std::int32_t mute_result = 0;
    std::int64_t position = 0, duration = 6000;
    std::string codec;
    bool open = false;
    bool ended = false;
    bool stuck_after_pause = false;  // Play after Pause is accepted and changes nothing
    bool stuck_after_stop = false;   // and so after Stop
    std::int32_t state = 0;
    std::vector<std::string> calls;

private:
    std::int32_t Call(const std::string& what, std::int32_t result) {
        calls.push_back(what);
        return result;
    }
};

}  // namespace mevra::fakes
