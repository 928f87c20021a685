#pragma once
// In-memory stand-ins for the media player's adapters. FakeMci records every
// command with the reply-buffer size it came with and plays back scripted
// replies and result codes; FakeMediaSystem answers the path, window and
// locale questions from tables the test fills in.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>
#include "media/MediaApi.h"

namespace mevra::fakes {

struct SentCommand {
    std::string command;
    std::uint32_t reply_size = 0;
    // What the buffer held on arrival: "0" for a no-reply command, all NULs
    // for a query.
    bool buffer_was_zero_text = false;
    bool buffer_was_clear = false;
};

struct MciResponse {
    std::string reply;
    std::uint32_t code = 0;
};

class FakeMci : public MciApi {
public:
    // Every later command equal to `command` gets this reply and code.
    void On(const std::string& command, const std::string& reply, std::uint32_t code = 0) {
        rules_[command] = {reply, code};
    }
    // The next command equal to `command` gets this response once; queued
    // responses are used before the lasting rule.
    void Once(const std::string& command, const std::string& reply, std::uint32_t code = 0) {
        queued_[command].push_back({reply, code});
    }
    void SetErrorText(std::uint32_t code, const std::string& text) { errors_[code] = text; }

    std::uint32_t SendCommand(const std::string& command, char* reply,
                             std::uint32_t reply_size) override {
        SentCommand sent{command, reply_size, false, true};
        if (reply_size == 0) {
            sent.buffer_was_zero_text = reply != nullptr && std::strcmp(reply, "0") == 0;
            sent.buffer_was_clear = false;
        } else {
            for (std::uint32_t i = 0; i < reply_size; ++i)
                if (reply[i] != '\0') sent.buffer_was_clear = false;
        }
        log.push_back(sent);

        MciResponse response;
        auto q = queued_.find(command);
        if (q != queued_.end() && !q->second.empty()) {
            response = q->second.front();
            q->second.pop_front();
        } else if (auto r = rules_.find(command); r != rules_.end()) {
            response = r->second;
        } else {
            response.code = unknown_command_code;
        }
        // Like MCI: at most size - 1 characters and a NUL; nothing without a buffer.
        if (reply_size > 0 && response.code == 0) {
            std::size_t n = std::min<std::size_t>(response.reply.size(), reply_size - 1);
            std::memcpy(reply, response.reply.data(), n);
            reply[n] = '\0';
        }
        return response.code;
    }

    bool ErrorString(std::uint32_t code, char* buffer, std::uint32_t buffer_size) override {
        error_buffer_sizes.push_back(buffer_size);
        auto e = errors_.find(code);
        if (e == errors_.end() || buffer_size == 0) return false;
        std::size_t n = std::min<std::size_t>(e->second.size(), buffer_size - 1);
        std::memcpy(buffer, e->second.data(), n);
        buffer[n] = '\0';
        return true;
    }

    std::vector<std::string> Commands() const {
        std::vector<std::string> out;
        for (const auto& s : log) out.push_back(s.command);
        return out;
    }
    void Clear() { log.clear(); error_buffer_sizes.clear(); }

    std::vector<SentCommand> log;
    std::vector<std::uint32_t> error_buffer_sizes;
    // Code for commands with no rule: 0, as if MCI accepted them and said nothing.
    std::uint32_t unknown_command_code = 0;

private:
    std::map<std::string, MciResponse> rules_;
    std::map<std::string, std::deque<MciResponse>> queued_;
    std::map<std::uint32_t, std::string> errors_;
};

class FakeMediaSystem : public MediaSystemApi {
public:
    std::uint32_t ShortPathName(const std::string& long_path, char* buffer,
                                   std::uint32_t buffer_size) override {
        short_path_sizes.push_back(buffer_size);
        auto s = short_paths.find(long_path);
        if (s == short_paths.end()) return 0;
        const std::string& text = s->second;
        // Too small: nothing written, the size needed (with its NUL) returned.
        if (text.size() + 1 > buffer_size) return static_cast<std::uint32_t>(text.size() + 1);
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return static_cast<std::uint32_t>(text.size());
    }
    std::string RealPathUtf8(const std::string& lossy_path) override {
        auto r = real_paths.find(lossy_path);
        return r == real_paths.end() ? std::string() : r->second;
    }
    bool WindowRect(Hwnd hwnd, Rect& rect) override {
        auto w = window_rects.find(hwnd);
        if (w == window_rects.end()) return false;
        rect = w->second;
        return true;
    }
    Hwnd FindWindowByTitle(const std::string& title) override {
        found_titles.push_back(title);
        auto w = windows_by_title.find(title);
        return w == windows_by_title.end() ? 0 : w->second;
    }
    std::string DecimalSeparator() override { return decimal_separator; }

    std::map<std::string, std::string> short_paths;  // long path -> short form
    std::map<std::string, std::string> real_paths;   // lossy path -> UTF-8 path
    std::map<Hwnd, Rect> window_rects;
    std::map<std::string, Hwnd> windows_by_title;
    std::string decimal_separator = ".";
    std::vector<std::uint32_t> short_path_sizes;
    std::vector<std::string> found_titles;
};

}  // namespace mevra::fakes
