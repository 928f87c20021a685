#pragma once
// A player wired to the in-memory MCI and system fakes, plus a check of the
// command log that also enforces the reply-buffer conventions.
#include <gtest/gtest.h>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>
#include "fakes/FakeMci.h"
#include "media/Korvane.h"

namespace mevra::testing {

// A command and the reply-buffer size it must carry (0 = no reply wanted).
using Sent = std::pair<std::string, std::uint32_t>;

inline const std::string kCdOpen = "open  Type cdaudio alias MYPLAYER wait shareable";

class MediaTest : public ::testing::Test {
protected:
    std::vector<Sent> Log() const {
        std::vector<Sent> out;
        for (const auto& s : mci.log) out.emplace_back(s.command, s.reply_size);
        return out;
    }
    // Every no-reply command carried the text "0"; every query a clean buffer.
    void ExpectBufferConventions() const {
        for (const auto& s : mci.log) {
            if (s.reply_size == 0)
                EXPECT_TRUE(s.buffer_was_zero_text) << s.command;
            else
                EXPECT_TRUE(s.buffer_was_clear) << s.command;
        }
    }

    fakes::FakeMci mci;
    fakes::FakeMediaSystem sys;
    KORVANECLASS player{mci, sys};
};

}  // namespace mevra::testing
