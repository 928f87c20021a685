#include <algorithm>
#include <limits>
#include <string>
#include <vector>
#include "media_fixture.h"

namespace mevra::testing {
namespace {

constexpr Hwnd kDesktop = 65556;
const std::string kLongPath = "C:\\My Films\\holiday clip.avi";
const std::string kShortPath = "C:\\MYFILM~1\\HOLIDA~1.AVI";
const std::string kOpenCommand = "open " + kShortPath +
                                 " type MPEGVideo Alias MYPLAYER parent 65556 Style 1073741824";

std::string Padded(const std::string& command) {
    std::string field = command;
    field.resize(255, ' ');
    return field;
}

TEST_F(MediaTest, AliasDefaultsOnceAndIsUsedAsWritten) {
    EXPECT_EQ(player.AliasName(), "MYPLAYER");
    EXPECT_EQ(player.hwndParent(), 0);
    player.SetAliasName("");
    EXPECT_EQ(player.AliasName(), "");
    player.SetAliasName("FILM2");
    player.setCommand(1);
    EXPECT_EQ(mci.Commands(), (std::vector<std::string>{
                                  "open  Type cdaudio alias FILM2 wait shareable", "stop FILM2"}));
}

TEST_F(MediaTest, EveryCommandCodeOpensTheCdDeviceFirst) {
    struct Case { int cmd; std::string drive; std::int32_t value; std::vector<Sent> after; } cases[] = {
        {1, "", 0, {{"stop MYPLAYER", 0}}},
        {2, "", 0, {{"play MYPLAYER", 0}}},
        {3, "", 90000, {{"set MYPLAYER time format ms", 128}, {"seek MYPLAYER to 90000", 0},
                        {"play MYPLAYER from 90000", 0}}},
        {3, "", -1, {{"set MYPLAYER time format ms", 128}, {"seek MYPLAYER to -1", 0},
                     {"play MYPLAYER from -1", 0}}},
        {4, "", 500, {{"set MYPLAYER speed 500", 0}}},
        {5, "", 0, {{"close MYPLAYER", 0}}},
        {6, "", 0, {{"pause MYPLAYER wait", 0}}},
        {7, "", 0, {{"resume MYPLAYER", 0}}},
        {9, "", 0, {}},
        {0, "", 0, {}},
        {-3, "", 0, {}},
        {1, "D:", 0, {{"stop MYPLAYER", 0}}},
    };
    for (const auto& c : cases) {
        mci.Clear();
        player.setCommand(c.cmd, c.drive, c.value);
        std::vector<Sent> sent = {{"open " + c.drive + " Type cdaudio alias MYPLAYER wait shareable", 0}};
        sent.insert(sent.end(), c.after.begin(), c.after.end());
        EXPECT_EQ(Log(), sent) << c.cmd;
        ExpectBufferConventions();
    }
}

TEST_F(MediaTest, FailingCommandsAreSilent) {
    mci.unknown_command_code = 263;
    for (int cmd = 0; cmd <= 9; ++cmd) EXPECT_NO_THROW(player.setCommand(cmd));
    EXPECT_NO_THROW(player.SetAudioState(2, 1));
    EXPECT_NO_THROW(player.THE_ENDOFSONG(0));
}

TEST_F(MediaTest, FilenameReadsTheShortFormOnly) {
    sys.short_paths[kLongPath] = kShortPath;
    player.SetFilename(kLongPath);
    EXPECT_EQ(player.Filename(), kShortPath);
    EXPECT_EQ(sys.short_path_sizes.back(), 255u);

    player.SetFilename("C:\\nowhere\\missing.avi");
    EXPECT_EQ(player.Filename(), "");
    player.SetFilename("");
    EXPECT_EQ(player.Filename(), "");
}

TEST_F(MediaTest, ShortFormThatDoesNotFitReadsAsEmpty) {
    const std::string fits(254, 'A'), too_long(255, 'B'), far_too_long(400, 'C');
    sys.short_paths = {{"fits", fits}, {"too long", too_long}, {"far", far_too_long}};
    player.SetFilename("fits");
    EXPECT_EQ(player.Filename(), fits);
    player.SetFilename("too long");  // needs 256 with its NUL
    EXPECT_EQ(player.Filename(), "");
    player.SetFilename("far");
    EXPECT_EQ(player.Filename(), "");
}

TEST_F(MediaTest, DeviceTypeFollowsTheShortExtension) {
    struct Case { std::string short_path, type; } cases[] = {
        {"C:\\FILMS\\CLIP.MID", "Sequencer"},
        {"C:\\FILMS\\clip.wmv", "MPEGVideo"},
        {"C:\\FILMS\\CLIP.WMV", "MPEGVideo"},
        {"C:\\FILMS\\CLIP.RMI", "MPEGVideo"},
        {"C:\\FILMS\\CLIP.AVI", "MPEGVideo"},
        {"C:\\FILMS\\CLIP.MPE", "MPEGVideo"},
        {"C:\\FILMS\\clip.mpeg", "MPEGVideo"},
        {"C:\\FILMS\\clip.aifc", "MPEGVideo"},
        {"C:\\FILMS\\clip.Mpv2", "MPEGVideo"},
        {"C:\\FILMS\\CLIP.QT", "MPEGVideo"},
        {"C:\\FILMS\\CLIP.DAT", "MPEGVideo"},
        {"C:\\FILMS\\CLIP.TXT", ""},
        {"C:\\FILMS\\CLIP.MP3", ""},
        {"C:\\FILMS\\CLIP", ""},
        {"C:\\MY.DIR\\CLIP", ""},  // "DIR\CLIP" matches nothing
        {"C:\\FILMS\\CLIP.", ""},
        {".", ""},
    };
    for (const auto& c : cases) {
        sys.short_paths["film"] = c.short_path;
        player.SetFilename("film");
        EXPECT_EQ(player.DeviceType(), c.type) << c.short_path;
    }
    player.SetFilename("missing");
    EXPECT_EQ(player.DeviceType(), "");
}

TEST_F(MediaTest, OpenSendsTheFixedWidthCommandThenLeavesMilliseconds) {
    sys.short_paths[kLongPath] = kShortPath;
    player.SetFilename(kLongPath);
    EXPECT_EQ(player.OpenMediaFile(kDesktop, "MYPLAYER", "MPEGVideo"), "Success");
    const std::vector<Sent> sent = {{Padded(kOpenCommand), 0},
                                    {"set MYPLAYER time format milliseconds", 0},
                                    {"status MYPLAYER length", 256}};
    EXPECT_EQ(Log(), sent);
    EXPECT_EQ(mci.log[0].command.size(), 255u);
    ExpectBufferConventions();
}

TEST_F(MediaTest, OpenOfAMissingFileLeavesBlanksAndReportsMciMessage) {
    mci.unknown_command_code = 0;
    const std::string empty_open = "open  type  Alias MYPLAYER parent 65556 Style 1073741824";
    mci.On(Padded(empty_open), "", 275);
    mci.SetErrorText(275, "The specified file cannot be found.");
    player.SetFilename("C:\\no such film.avi");
    EXPECT_EQ(player.OpenMediaFile(kDesktop, "MYPLAYER", player.DeviceType()),
              "The specified file cannot be found.");
    EXPECT_EQ(mci.log.at(0).command, Padded(empty_open));
    EXPECT_EQ(mci.error_buffer_sizes, std::vector<std::uint32_t>{128});
}

TEST_F(MediaTest, OpenCutInsideItsAliasOrParentIsNotSent) {
    // "open <path> type MPEGVideo Alias MYPLAYER parent 65556" is 48 characters
    // besides the path; " Style 1073741824" follows.
    struct Case { std::size_t path; bool sent; } cases[] = {
        {207, true},   // exactly 255 with the parent: only the style is cut
        {200, true},
        {208, false},  // the parent's last digit would go
        {225, false},  // inside "MYPLAYER"
        {240, false},  // before the alias
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        mci.Clear();
        const std::string deep = "C:\\" + std::string(c.path - 12, 'D') + "\\CLIP.AVI";
        ASSERT_EQ(deep.size(), c.path);
        sys.short_paths["deep"] = deep;
        player.SetFilename("deep");
        player.SethwndParent(kDesktop);
        const OpenResult opened = player.PlayMEDIAFILE();
        if (c.sent) {
            const std::string full = "open " + deep + " type MPEGVideo Alias MYPLAYER parent 65556 Style 1073741824";
            EXPECT_EQ(mci.log.at(0).command, full.substr(0, 255));
            EXPECT_EQ(opened.code, 0u);
        } else {
            EXPECT_TRUE(mci.log.empty()) << mci.log.at(0).command;
            EXPECT_EQ(opened.code, kOpenNotSent);
            EXPECT_EQ(opened.text, kPathTooLongText);
        }
    }
}

TEST_F(MediaTest, OpenThatAnswersNoStatusIsClosedAndNotPlayed) {
    const std::string length = "status MYPLAYER length", position = "status MYPLAYER position";
    struct Case { std::uint32_t length_code, position_code; bool playable; } cases[] = {
        {0, 0, true},
        {0, 263, true},    // the position is not asked for when the length answers
        {263, 0, true},
        {263, 263, false},
        {346, 257, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.length_code) + "/" + std::to_string(c.position_code));
        mci = fakes::FakeMci();
        sys.short_paths[kLongPath] = kShortPath;
        sys.window_rects[kDesktop] = Rect{0, 0, 1024, 768};
        player.SetFilename(kLongPath);
        player.SethwndParent(kDesktop);
        mci.On(length, "", c.length_code);
        mci.On(position, "", c.position_code);
        const OpenResult opened = player.PlayMEDIAFILE();
        const auto commands = mci.Commands();
        if (c.playable) {
            EXPECT_EQ(opened.code, 0u);
            EXPECT_EQ(commands.back(), "play MYPLAYER");
            EXPECT_EQ(std::count(commands.begin(), commands.end(), position), c.length_code ? 1 : 0);
        } else {
            EXPECT_EQ(opened.code, c.position_code);
            EXPECT_EQ(opened.text, kNoAnswerText);
            EXPECT_EQ(commands.back(), "close MYPLAYER");
            EXPECT_EQ(std::count(commands.begin(), commands.end(), "play MYPLAYER"), 0);
        }
    }
}

TEST_F(MediaTest, PlayOpensPlacesSeeksAndPlays) {
    sys.short_paths[kLongPath] = kShortPath;
    sys.window_rects[kDesktop] = Rect{0, 0, 1024, 768};
    player.SetFilename(kLongPath);
    player.SethwndParent(kDesktop);
    OpenResult result = player.PlayMEDIAFILE(12);
    EXPECT_EQ(result.code, 0u);
    EXPECT_EQ(result.text, "Success");
    const std::vector<Sent> sent = {{Padded(kOpenCommand), 0},
                                    {"set MYPLAYER time format milliseconds", 0},
                                    {"status MYPLAYER length", 256},
                                    {"put MYPLAYER window at 0 0 1024 768", 0},
                                    {"seek MYPLAYER to 12000", 0},
                                    {"play MYPLAYER", 0}};
    EXPECT_EQ(Log(), sent);
    ExpectBufferConventions();

    mci.Clear();
    player.PlayMEDIAFILE();
    EXPECT_EQ(mci.log.at(4).command, "seek MYPLAYER to 0");
}

// A command sent with the alias free opens the CD drive under it; the film's open
// must find the alias free again, or "alias in use" would pass for success.
TEST_F(MediaTest, ACdDeviceOurCommandOpenedIsClosedBeforeTheFilmOpens) {
    constexpr std::uint32_t kNoDrive = 275;  // MCIERR_INVALID_DEVICE_NAME
    struct Case {
        const char* name;
        std::uint32_t cd_open_code;
        int command;
        bool closed_first;
    } cases[] = {
        {"pause, CD drive free", 0, kCmdPause, true},
        {"pause, no CD drive", kNoDrive, kCmdPause, false},
        {"close: the CD device went with it", 0, kCmdClose, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mci.On(kCdOpen, "", c.cd_open_code);
        sys.short_paths[kLongPath] = kShortPath;
        player.SetFilename(kLongPath);
        player.SethwndParent(kDesktop);
        player.setCommand(c.command);
        mci.Clear();
        player.PlayMEDIAFILE();
        const bool closed = mci.log.at(0).command == "close MYPLAYER";
        EXPECT_EQ(closed, c.closed_first);
        EXPECT_EQ(mci.log.at(closed ? 1 : 0).command, Padded(kOpenCommand));
        // The film holds the alias now: the next command's CD open is no longer ours.
        mci.On(kCdOpen, "", 289);  // MCIERR_DUPLICATE_ALIAS
        player.setCommand(kCmdStop);
        mci.Clear();
        player.PlayMEDIAFILE();
        EXPECT_EQ(mci.log.at(0).command, Padded(kOpenCommand));
    }
}

// A film moved to a new desktop window: closed, opened there, and played on from
// where it was ("play from": Wine's driver refuses a seek before the first play);
// from the start when that position is refused; paused again when it was.
TEST_F(MediaTest, ReopenOnAnotherWindowCarriesOnFromThePosition) {
    sys.short_paths[kLongPath] = kShortPath;
    sys.window_rects[kDesktop] = Rect{0, 0, 1280, 1024};
    player.SetFilename(kLongPath);
    player.SethwndParent(kDesktop);
    mci.On(Padded(kOpenCommand), "");
    mci.On("play MYPLAYER from 4200", "");
    EXPECT_EQ(player.ReopenAt(4200, true).code, 0u);
    const std::vector<std::string> sent = {"close MYPLAYER",
                                           Padded(kOpenCommand),
                                           "set MYPLAYER time format milliseconds",
                                           "status MYPLAYER length",
                                           "put MYPLAYER window at 0 0 1280 1024",
                                           "play MYPLAYER from 4200",
                                           "pause MYPLAYER wait"};
    EXPECT_EQ(mci.Commands(), sent);
    ExpectBufferConventions();

    mci.Clear();
    mci.On("play MYPLAYER from 9900", "", 282);  // past the end, say
    player.ReopenAt(9900, false);
    const auto tail = mci.Commands();
    ASSERT_EQ(tail.size(), 7u);
    EXPECT_EQ(tail[5], "play MYPLAYER from 9900");
    EXPECT_EQ(tail[6], "play MYPLAYER");

    mci.Clear();
    mci.On(Padded(kOpenCommand), "", 275);  // the file went meanwhile
    EXPECT_EQ(player.ReopenAt(4200, false).code, 275u);
    EXPECT_EQ(mci.Commands().size(), 4u) << "nothing is placed or played after a failed open";
}

TEST_F(MediaTest, PlayOnALoadedAliasRestartsTheFilmAndReportsTheOpenError) {
    sys.short_paths[kLongPath] = kShortPath;
    player.SetFilename(kLongPath);
    player.SethwndParent(kDesktop);
    mci.On(Padded(kOpenCommand), "", kMciErrDuplicateAlias);
    mci.SetErrorText(kMciErrDuplicateAlias, "The specified alias is already being used in this application.");
    OpenResult result = player.PlayMEDIAFILE(3);
    EXPECT_EQ(result.code, kMciErrDuplicateAlias);
    EXPECT_EQ(result.text, "The specified alias is already being used in this application.");
    const auto commands = mci.Commands();
    ASSERT_EQ(commands.size(), 6u);
    EXPECT_EQ(commands[4], "seek MYPLAYER to 3000");
    EXPECT_EQ(commands[5], "play MYPLAYER");
}

TEST_F(MediaTest, PlayStartOverflowIsThrownAfterOpenAndPlacementBeforeSeek) {
    sys.short_paths[kLongPath] = kShortPath;
    player.SetFilename(kLongPath);
    player.SethwndParent(kDesktop);
    for (std::int32_t where : {2147484, -2147484, std::numeric_limits<std::int32_t>::max()}) {
        mci.Clear();
        EXPECT_THROW(player.PlayMEDIAFILE(where), OverflowError) << where;
        const auto commands = mci.Commands();
        ASSERT_EQ(commands.size(), 4u) << where;
        EXPECT_EQ(commands[3], "put MYPLAYER window at 0 0 0 0");
    }
    mci.Clear();
    player.PlayMEDIAFILE(2147483);
    EXPECT_EQ(mci.Commands().at(4), "seek MYPLAYER to 2147483000");
    mci.Clear();
    player.PlayMEDIAFILE(-1);
    EXPECT_EQ(mci.Commands().at(4), "seek MYPLAYER to -1000");
}

TEST_F(MediaTest, MoveVideoToMeasuresWhenASizeIsZeroAndAppliesTheMargin) {
    sys.window_rects[42] = Rect{100, 50, 740, 450};  // 640 x 400
    struct Case {
        Hwnd hwnd; std::int32_t left, top, width, height, margin;
        std::string command; std::int32_t width_after, height_after;
    } cases[] = {
        {0, 0, 0, 0, 0, 0, "put MYPLAYER window at 0 0 0 0", 0, 0},
        {0, 0, 0, 800, 600, 10, "put MYPLAYER window at 10 10 780 580", 800, 600},
        {42, 0, 0, 0, 480, 0, "put MYPLAYER window at 0 0 640 400", 640, 400},
        {42, 5, 6, 320, 0, 2, "put MYPLAYER window at 7 8 636 396", 640, 400},
        {42, -10, -20, 300, 200, -5, "put MYPLAYER window at -15 -25 310 210", 300, 200},
        {7, 0, 0, 0, 480, 0, "put MYPLAYER window at 0 0 0 0", 0, 0},  // GetWindowRect fails
    };
    for (const auto& c : cases) {
        mci.Clear();
        std::int32_t width = c.width, height = c.height;
        EXPECT_EQ(player.MoveVideoTo(c.hwnd, c.left, c.top, width, height, c.margin), "Success");
        EXPECT_EQ(Log(), (std::vector<Sent>{{c.command, 0}}));
        EXPECT_EQ(width, c.width_after) << c.command;
        EXPECT_EQ(height, c.height_after) << c.command;
    }
    ExpectBufferConventions();
}

TEST_F(MediaTest, MoveVideoToReportsTheMciMessage) {
    mci.On("put MYPLAYER window at 0 0 800 600", "", 263);
    mci.SetErrorText(263, "The specified device is not open or is not recognized by MCI.");
    std::int32_t width = 800, height = 600;
    EXPECT_EQ(player.MoveVideoTo(0, 0, 0, width, height),
              "The specified device is not open or is not recognized by MCI.");
    EXPECT_EQ(mci.error_buffer_sizes, std::vector<std::uint32_t>{128});
}

TEST_F(MediaTest, MoveVideoToOverflowSendsNothing) {
    const std::int32_t max = std::numeric_limits<std::int32_t>::max();
    const std::int32_t min = std::numeric_limits<std::int32_t>::min();
    sys.window_rects[9] = Rect{-1, 0, max, 10};
    struct Case { Hwnd hwnd; std::int32_t left, top, width, height, margin; } cases[] = {
        {0, max, 0, 10, 10, 1},      // left + margin
        {0, 0, max, 10, 10, 1},      // top + margin
        {0, 0, 0, 10, 10, 1 << 30},  // twice the margin
        {0, 0, 0, min + 5, 10, 10},  // width - 2 margin
        {0, 0, 0, 10, min, 1},       // height - 2 margin
        {9, 0, 0, 0, 0, 0},          // measured width
    };
    for (const auto& c : cases) {
        mci.Clear();
        std::int32_t width = c.width, height = c.height;
        EXPECT_THROW(player.MoveVideoTo(c.hwnd, c.left, c.top, width, height, c.margin),
                     OverflowError);
        EXPECT_TRUE(mci.log.empty());
    }
}

TEST_F(MediaTest, JumpsPlayFromTheCurrentPositionPlusOrMinusSeconds) {
    struct Case { bool forward; std::int32_t seconds; std::string position, target; } cases[] = {
        {true, 5, "12345", "17345"},
        {false, 5, "3000", "-2000"},
        {true, -10, "30000", "20000"},
        {false, -10, "30000", "40000"},
        {true, 10, "12345.5", "22346"},
        {true, 0, "", "0"},  // nothing open
    };
    for (const auto& c : cases) {
        mci.Clear();
        mci.On("status MYPLAYER position", c.position);
        c.forward ? player.FForward(c.seconds) : player.FRewind(c.seconds);
        const std::vector<Sent> sent = {{"set MYPLAYER time format ms", 0},
                                        {"status MYPLAYER position", 256},
                                        {"set MYPLAYER time format ms", 128},
                                        {"play MYPLAYER from " + c.target, 0}};
        EXPECT_EQ(Log(), sent) << c.position;
        ExpectBufferConventions();
    }
}

TEST_F(MediaTest, JumpTargetOverflowIsThrownBeforeThePlay) {
    struct Case { bool forward; std::int32_t seconds; std::string position; } cases[] = {
        {true, 2147484, "0"},          // seconds x 1000
        {false, -2147484, "0"},
        {true, 10, "2147480000"},      // position + distance
        {false, 10, "-2147480000"},    // position - distance
        {false, -10, "2147480000"},
    };
    for (const auto& c : cases) {
        mci.Clear();
        mci.On("status MYPLAYER position", c.position);
        EXPECT_THROW(c.forward ? player.FForward(c.seconds) : player.FRewind(c.seconds),
                     OverflowError);
        ASSERT_EQ(mci.log.size(), 3u);
        EXPECT_EQ(mci.log.back().command, "set MYPLAYER time format ms");
    }
    mci.Clear();
    mci.On("status MYPLAYER position", "9999999999");  // the position itself overflows
    EXPECT_THROW(player.FForward(5), OverflowError);
    EXPECT_EQ(mci.log.size(), 2u);
}

TEST_F(MediaTest, AudioStateSwitchesOneChannelOrBoth) {
    struct Case { std::int32_t channel, state; std::vector<Sent> sent; } cases[] = {
        {0, 0, {{"set MYPLAYER audio right on", 0}}},
        {0, 1, {{"set MYPLAYER audio right off", 0}}},
        {1, 0, {{"set MYPLAYER audio left on", 0}}},
        {1, -5, {{"set MYPLAYER audio left off", 0}}},
        {2, 0, {{"set MYPLAYER audio all on", 0}}},
        {2, 1, {{"set MYPLAYER audio all off", 0}}},
        {3, 0, {}},
        {3, 1, {}},
        {-1, 0, {}},
    };
    for (const auto& c : cases) {
        mci.Clear();
        player.SetAudioState(c.channel, c.state);
        EXPECT_EQ(Log(), c.sent) << c.channel << "," << c.state;
    }
    ExpectBufferConventions();
}

TEST_F(MediaTest, DesktopWindowIsFoundByItsTitle) {
    EXPECT_EQ(player.GetHwndDesktop(), 0);
    sys.windows_by_title["Program Manager"] = kDesktop;
    EXPECT_EQ(player.GetHwndDesktop(), kDesktop);
    EXPECT_EQ(sys.found_titles, (std::vector<std::string>{"Program Manager", "Program Manager"}));
}

}  // namespace
}  // namespace mevra::testing
