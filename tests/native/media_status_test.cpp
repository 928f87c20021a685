#include <limits>
#include <string>
#include <vector>
#include "media_fixture.h"

namespace mevra::testing {
namespace {

const std::string kSetMsLong = "set MYPLAYER time format milliseconds";
const std::string kLength = "status MYPLAYER length";
const std::string kPosition = "status MYPLAYER position";

TEST_F(MediaTest, StatusQueriesSendTheirCommandsAndShapeTheReply) {
    struct Case {
        int info;
        std::vector<std::pair<std::string, std::string>> replies;
        std::string separator;
        std::vector<Sent> sent;
        std::string result;
    } cases[] = {
        {1, {{kLength, "150  "}}, ".",
         {{"set MYPLAYER time format frames", 256}, {kLength, 256}}, "150"},
        {2, {{"status MYPLAYER mode", "playing"}}, ".", {{"status MYPLAYER mode", 256}}, "playing"},
        {3, {{kPosition, "12345.5"}}, ".",
         {{"set MYPLAYER time format ms", 0}, {kPosition, 256}}, "12346"},
        {3, {{kPosition, "12344.5"}}, ".",
         {{"set MYPLAYER time format ms", 0}, {kPosition, 256}}, "12344"},
        {4, {{"status MYPLAYER time format", "milliseconds"}}, ".",
         {{"status MYPLAYER time format", 256}}, "milliseconds"},
        {5, {{"Status MYPLAYER frame rate", "25000"}}, ".",
         {{"Status MYPLAYER frame rate", 256}}, "25000"},
        {6, {{"status MYPLAYER speed ", "1000"}}, ",", {{"status MYPLAYER speed ", 256}}, "100"},
        {6, {{"status MYPLAYER speed ", "125"}}, ",", {{"status MYPLAYER speed ", 256}}, "12,5"},
        {6, {{"status MYPLAYER speed ", "125"}}, ".", {{"status MYPLAYER speed ", 256}}, "12.5"},
        {7, {{"status MYPLAYER window handle", "65602"}}, ".",
         {{"status MYPLAYER window handle", 256}}, "65602"},
        {8, {{kLength, "83400"}}, ".",
         {{"set MYPLAYER time format ms wait", 0}, {kLength, 256}}, "83"},
        {8, {{kLength, "82500"}}, ".",
         {{"set MYPLAYER time format ms wait", 0}, {kLength, 256}}, "82"},
        {9, {}, ".", {}, ""},
        {0, {}, ".", {}, ""},
        {-1, {}, ".", {}, ""},
    };
    for (const auto& c : cases) {
        fakes::FakeMci fresh;
        fakes::FakeMediaSystem system;
        system.decimal_separator = c.separator;
        KORVANECLASS p{fresh, system};
        for (const auto& [command, reply] : c.replies) fresh.On(command, reply);
        EXPECT_EQ(p.getStatusInfo(c.info), c.result) << c.info;
        std::vector<Sent> log;
        for (const auto& s : fresh.log) log.emplace_back(s.command, s.reply_size);
        EXPECT_EQ(log, c.sent) << c.info;
    }
}

TEST_F(MediaTest, RejectedQueriesGiveEmptyTextAndZero) {
    mci.unknown_command_code = 263;  // MCIERR_INVALID_DEVICE_NAME: nothing open
    EXPECT_EQ(player.getStatusInfo(2), "");
    EXPECT_EQ(player.getStatusInfo(3), "0");
    EXPECT_EQ(player.getStatusInfo(6), "0");
    EXPECT_EQ(player.getStatusInfo(8), "0");
    ExpectBufferConventions();
}

TEST_F(MediaTest, PositionBeyond32BitsIsAnOverflow) {
    struct Case { std::string reply; bool throws; std::string result; } cases[] = {
        {"2147483647.4", false, "2147483647"},
        {"2147483647.5", true, ""},  // rounds to 2^31
        {"2147483648", true, ""},
        {"-2147483648", false, "-2147483648"},
        {"-2147483649", true, ""},
        {"1e999", true, ""},
    };
    for (const auto& c : cases) {
        mci.On(kPosition, c.reply);
        if (c.throws)
            EXPECT_THROW(player.getStatusInfo(3), OverflowError) << c.reply;
        else
            EXPECT_EQ(player.getStatusInfo(3), c.result) << c.reply;
    }
}

TEST_F(MediaTest, SetTimeFormatWaitsForEachFormat) {
    const std::vector<std::pair<int, std::vector<Sent>>> cases = {
        {0, {{"set MYPLAYER time format ms wait", 0}}},
        {1, {{"set MYPLAYER time format tmsf wait", 0}}},
        {2, {{"set MYPLAYER time format frames wait", 0}}},
        {3, {}},
        {-1, {}},
    };
    for (const auto& [format, sent] : cases) {
        mci.Clear();
        player.SetTimeFormat(format);
        EXPECT_EQ(Log(), sent) << format;
    }
    ExpectBufferConventions();
}

TEST_F(MediaTest, LengthFormats) {
    struct Case { int form; std::string reply; std::string text; } cases[] = {
        {0, "83400", "83"}, {0, "82500", "82"}, {0, "83500", "84"}, {0, "", "0"},
        {1, "45000", "00:45"}, {1, "60000", "01:00"}, {1, "3599500", "60:00"},
        {1, "7000", "00:07"}, {1, "83000", "01:23"}, {1, "7205000", "120:05"},
        {1, "59499", "00:59"}, {1, "32819000", "546:59"}, {1, "", "00:00"},
        {2, "83400", "83400"}, {2, "83400   ", "83400"}, {2, "", ""},
        {3, "83400", ""}, {-1, "83400", ""},
    };
    for (const auto& c : cases) {
        mci.Clear();
        mci.On(kLength, c.reply);
        EXPECT_EQ(player.LENGTHFORMAT(c.form), c.text) << c.form << " " << c.reply;
        std::vector<Sent> sent = {{kSetMsLong, 0}};
        if (c.form == 0 || c.form == 1) sent.push_back({kLength, 256});
        if (c.form == 2) sent.push_back({kLength, 128});
        EXPECT_EQ(Log(), sent) << c.form;
    }
    ExpectBufferConventions();
}

TEST_F(MediaTest, LengthInMinutesOverflowsFrom547Minutes) {
    for (const char* reply : {"32820000", "1966080000", "9e15"}) {
        mci.On(kLength, reply);
        EXPECT_THROW(player.LENGTHFORMAT(1), OverflowError) << reply;
    }
    mci.On(kLength, "32820000");
    EXPECT_EQ(player.LENGTHFORMAT(0), "32820");  // seconds alone still fit
}

TEST_F(MediaTest, PositionFormats) {
    const std::string kSetTmsf = "set MYPLAYER time format tmsf ";
    struct Case { int form; std::string reply; std::string text; std::vector<Sent> sent; } cases[] = {
        {0, "82500", "82", {{kSetTmsf, 0}, {kPosition, 256}}},
        {0, "82501  ", "83", {{kSetTmsf, 0}, {kPosition, 256}}},
        {0, "abc", "0", {{kSetTmsf, 0}, {kPosition, 256}}},
        {0, "", "0", {{kSetTmsf, 0}, {kPosition, 256}}},
        {0, "1e999", "0", {{kSetTmsf, 0}, {kPosition, 256}}},
        {1, "83000", "01:23", {{kSetMsLong, 0}, {kPosition, 256}}},
        {1, "7000", "00:07", {{kSetMsLong, 0}, {kPosition, 256}}},
        {1, "12x", "00:00", {{kSetMsLong, 0}, {kPosition, 256}}},
        // 547 minutes: the subtraction is skipped, the seconds stay whole
        {1, "32820000", "547:32820", {{kSetMsLong, 0}, {kPosition, 256}}},
        // minutes beyond 16 bits: they stay 0
        {1, "1966080000", "00:1966080", {{kSetMsLong, 0}, {kPosition, 256}}},
        {2, "0:01:02:03  ", "0:01:02:03", {{kPosition, 256}}},
        {3, "83000", "", {}},
    };
    for (const auto& c : cases) {
        mci.Clear();
        mci.On(kPosition, c.reply);
        EXPECT_EQ(player.POSFORMAT(c.form), c.text) << c.form << " " << c.reply;
        EXPECT_EQ(Log(), c.sent) << c.form << " " << c.reply;
    }
    ExpectBufferConventions();
}

TEST_F(MediaTest, EndOfFilmComparesRoundedPositionWithRoundedLength) {
    struct Case { int form; std::string position, length; bool ended; } cases[] = {
        {0, "", "", true},  // nothing open: "0" against "0"
        {0, "82500", "83400", false},
        {0, "82501", "83400", true},
        {0, "81499", "82500", false},
        {0, "81500", "82500", true},
        {1, "82600", "83400", true},
        {1, "1000", "83400", false},
        {2, "83400", "83400", true},
        {2, "ABC", "abc", true},  // compared without regard to case
        {2, "83399", "83400", false},
    };
    for (const auto& c : cases) {
        mci.On(kPosition, c.position);
        mci.On(kLength, c.length);
        EXPECT_EQ(player.THE_ENDOFSONG(c.form), c.ended)
            << c.form << " " << c.position << "/" << c.length;
    }
}

TEST_F(MediaTest, EndOfFilmAsksPositionFirstThenLength) {
    player.THE_ENDOFSONG(0);
    const std::vector<Sent> sent = {{"set MYPLAYER time format tmsf ", 0}, {kPosition, 256},
                                    {kSetMsLong, 0}, {kLength, 256}};
    EXPECT_EQ(Log(), sent);
}

TEST_F(MediaTest, EndOfFilmWithAnUnknownFormIsTrueAndSilent) {
    for (int form : {7, 3, -1}) EXPECT_TRUE(player.THE_ENDOFSONG(form)) << form;
    EXPECT_TRUE(mci.log.empty());
}

}  // namespace
}  // namespace mevra::testing
