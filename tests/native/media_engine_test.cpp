// Which engine plays a film, what each is sent, and what the user is told; the loop's
// end test on a film shorter than the timer's tick; the open's path with and without
// quotes.
#include <string>
#include <vector>
#include "fakes/FakeFilmPlayer.h"
#include "media_fixture.h"

namespace mevra::testing {
namespace {

constexpr Hwnd kParent = 65556;
constexpr std::uint32_t kMciCannotOpen = 263;
constexpr std::uint32_t kMciFileMissing = 275;

std::string Padded(const std::string& command) {
    std::string field = command;
    field.resize(255, ' ');
    return field;
}

class EngineTest : public MediaTest {
protected:
    EngineTest() {
        sys.window_rects[kParent] = Rect{0, 0, 800, 600};
        player.SethwndParent(kParent);
        mci.SetErrorText(kMciCannotOpen, "MCI cannot open it.");
        mci.SetErrorText(kMciFileMissing, "The specified file cannot be found.");
    }
    // A film at path whose short form is short_form (none when empty).
    void Film(const std::string& path, const std::string& short_form) {
        if (!short_form.empty()) sys.short_paths[path] = short_form;
        sys.real_paths[path] = path;
        player.SetFilename(path);
    }
    std::string OpenSent() const {
        for (const auto& s : mci.log)
            if (s.command.rfind("open ", 0) == 0 && s.command.find("cdaudio") == std::string::npos) return s.command;
        return std::string();
    }

    fakes::FakeFilmPlayer mfApi;
    MfEngine engine{mfApi};
    KORVANECLASS player{mci, sys, &engine};
};

TEST_F(EngineTest, ChoosesTheEngineBySettingAndOutcome) {
    struct Case {
        const char* setting;
        const char* film;
        std::uint32_t mciOpen;  // the open's MCI result
        bool mfThere;
        std::int32_t mfOpen;
        bool mfPlays;                 // the film ends up with Media Foundation
        bool mciAsked;                // an MCI open went out
        std::uint32_t code;           // PlayMEDIAFILE's code
        const char* text;             // what the balloon says after the name
    } cases[] = {
        {"", "C:\\F\\CLIP.AVI", 0, true, 0, false, true, 0, "Success"},
        {"auto", "C:\\F\\CLIP.MP4", kMciCannotOpen, true, 0, true, true, 0, "Success"},
        {"mci", "C:\\F\\CLIP.MP4", kMciCannotOpen, true, 0, false, true, kMciCannotOpen, "MCI cannot open it."},
        {"mf", "C:\\F\\CLIP.AVI", 0, true, 0, true, false, 0, "Success"},
        {"mf", "C:\\F\\CLIP.AVI", 0, true, hr::kUnsupportedByteStream, false, true, 0, "Success"},
        {"MF", "C:\\F\\CLIP.MP4", kMciCannotOpen, true, hr::kCodecNotFound, false, true, kMciCannotOpen,
         "this Windows has no decoder for the film's format"},
        {"weird", "C:\\F\\CLIP.MP4", kMciCannotOpen, false, 0, false, true, kMciCannotOpen,
         "Media Foundation (the Media Feature Pack) is missing: install it to play this film"},
        {"", "C:\\F\\CLIP.AVI", kMciCannotOpen, false, 0, false, true, kMciCannotOpen, "MCI cannot open it."},
        {"", "C:\\F\\GONE.AVI", kMciFileMissing, true, hr::kFileNotFound, false, true, kMciFileMissing,
         "the file is gone"},
        {"", "C:\\F\\LOCKED.MP4", kMciCannotOpen, true, hr::kSharingViolation, false, true, kMciCannotOpen,
         "the file is locked or may not be read"},
        {"", "C:\\F\\ODD.MKV", kMciCannotOpen, true, static_cast<std::int32_t>(0x80004005), false, true,
         kMciCannotOpen, "this Windows cannot play this film (0x80004005)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.setting) + " " + c.film);
        mci.Clear();
        mfApi.calls.clear();
        engine.Close();
        engine.SetChoice(ParseEngineChoice(c.setting));
        mfApi.available = c.mfThere;
        mfApi.open_result = c.mfOpen;
        Film(c.film, c.film);
        mci.unknown_command_code = 0;
        const std::string ext = std::string(c.film).substr(std::string(c.film).rfind('.') + 1);
        const std::string type = ext == "AVI" ? "MPEGVideo" : "";
        mci.On(Padded("open " + std::string(c.film) + " type " + type +
                      " Alias MYPLAYER parent 65556 Style 1073741824"),
               "", c.mciOpen);
        mci.On("status MYPLAYER length", "6000");
        const OpenResult r = player.PlayMEDIAFILE();
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(r.text, c.text);
        EXPECT_EQ(engine.Holds(), c.mfPlays);
        EXPECT_EQ(!OpenSent().empty(), c.mciAsked);
        if (c.mfPlays) {
            EXPECT_EQ(mfApi.calls.front(), "Open " + std::string(c.film) + " 65556 800x600");
            EXPECT_EQ(mfApi.calls.back(), "Play");
        }
        if (!c.mfThere) {
            EXPECT_TRUE(mfApi.calls.empty());
        }
    }
}

TEST_F(EngineTest, UnknownSettingIsAutomatic) {
    EXPECT_EQ(ParseEngineChoice("Auto"), EngineChoice::automatic);
    EXPECT_EQ(ParseEngineChoice("dshow"), EngineChoice::automatic);
    EXPECT_EQ(ParseEngineChoice("Mci"), EngineChoice::mci);
}

TEST_F(EngineTest, NamesTheStoreExtensionForTheCodecsItSells) {
    const struct { const char* codec; const char* name; } cases[] = {
        {"HEVC", "\"HEVC Video Extensions\""}, {"VP9", "\"VP9 Video Extensions\""}, {"AV1", "\"AV1 Video Extension\""}};
    for (const auto& c : cases)
        EXPECT_NE(FilmFailureText(hr::kCodecNotFound, "x.mp4", c.codec).find(c.name), std::string::npos) << c.codec;
}

TEST_F(EngineTest, OpenQuotesTheLongPathOnlyWhereTheShortFormHasABlank) {
    struct Case { const char* path; const char* short_form; const char* sent; } cases[] = {
        {"C:\\My Films\\a clip.avi", "C:\\MYFILM~1\\ACLIP~1.AVI", "C:\\MYFILM~1\\ACLIP~1.AVI"},
        {"C:\\Films\\clip.avi", "C:\\Films\\clip.avi", "C:\\Films\\clip.avi"},
        // exFAT: the "short" form is the long one.
        {"E:\\My Films\\a clip.avi", "E:\\My Films\\a clip.avi", "\"E:\\My Films\\a clip.avi\""},
        // No short form: the file cannot be found, and the open says so as it always has.
        {"C:\\gone clip.avi", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        mci.Clear();
        Film(c.path, c.short_form);
        engine.SetChoice(EngineChoice::mci);
        player.PlayMEDIAFILE();
        const std::string type = std::string(c.short_form).empty() ? "" : "MPEGVideo";
        EXPECT_EQ(OpenSent(), Padded("open " + std::string(c.sent) + " type " + type +
                                     " Alias MYPLAYER parent 65556 Style 1073741824"));
    }
}

class MfFilmTest : public EngineTest {
protected:
    MfFilmTest() {
        engine.SetChoice(EngineChoice::mf);
        Film("C:\\F\\CLIP.MP4", "C:\\F\\CLIP.MP4");
        EXPECT_EQ(player.PlayMEDIAFILE().code, 0u);
        mci.Clear();
        mfApi.calls.clear();
    }
};

TEST_F(MfFilmTest, AFilmShorterThanATickRestartsOncePerEnd) {
    mfApi.duration = 300;
    // Each tick: the timer asks, and on an end the loop plays the film again.
    int restarts = 0;
    const bool endBeforeTick[] = {true, false, false, true, false};
    for (bool ended : endBeforeTick) {
        if (ended) mfApi.RaiseEnd();
        // What the player says between the end and the seek: still at its end.
        mfApi.position = 300;
        if (player.THE_ENDOFSONG(0)) {
            ++restarts;
            player.PlayMEDIAFILE();
            mfApi.position = 300;
        }
    }
    EXPECT_EQ(restarts, 2);
    EXPECT_TRUE(mci.log.empty()) << "MCI was asked about a film Media Foundation plays";
}

TEST_F(MfFilmTest, WithoutSeekingTheLoopRestartsWithANewPlayer) {
    mfApi.seek_result = hr::kNotImplemented;
    mfApi.RaiseEnd();
    ASSERT_TRUE(player.THE_ENDOFSONG(0));
    EXPECT_EQ(player.PlayMEDIAFILE().code, kMciErrDuplicateAlias);
    EXPECT_EQ(mfApi.calls, (std::vector<std::string>{"Seek 0", "Close", "Open C:\\F\\CLIP.MP4 65556 800x600", "Play"}));
    EXPECT_TRUE(engine.Holds());
}

TEST_F(MfFilmTest, RefusedCallsAreNotTakenForDone) {
    mfApi.mute_result = hr::kNotImplemented;
    mfApi.seek_result = hr::kNotImplemented;
    EXPECT_FALSE(player.SetAudioState(kAudioAllChannels, 1));
    mfApi.mute_result = 0;
    EXPECT_TRUE(player.SetAudioState(kAudioAllChannels, 1));
    EXPECT_FALSE(player.SetAudioState(kAudioLeftChannel, 1));
    mfApi.position = 2000;
    player.FForward(5);
    EXPECT_EQ(player.PositionMs(), 2000) << "a refused seek moved the film";
    EXPECT_TRUE(engine.Holds());
}

TEST_F(MfFilmTest, CommandsGoToTheFilmAndCloseLeavesNothingOpen) {
    player.setCommand(kCmdPause);
    player.setCommand(kCmdResume);
    player.PutWindow(1024, 768);
    player.setCommand(kCmdStop);
    player.setCommand(kCmdClose);
    EXPECT_EQ(mfApi.calls, (std::vector<std::string>{"Pause", "Play", "Place 1024x768", "Stop", "Close"}));
    EXPECT_FALSE(mfApi.open);
    EXPECT_TRUE(mci.log.empty());
    // With the film closed, the commands are MCI's again.
    player.setCommand(kCmdStop);
    EXPECT_EQ(mci.Commands().back(), "stop MYPLAYER");
}

TEST_F(MfFilmTest, AResumeThatDoesNotTakeStartsTheFilmAgain) {
    struct Case {
        std::int32_t seek;
        bool stuck, reopens;
        std::vector<std::string> calls;
        bool going;
    };
    const std::string open = "Open C:\\F\\CLIP.MP4 65556 800x600";
    const std::vector<std::string> again = {"Pause", "Play", "Stop", "Seek 2500", "Play"};
    std::vector<std::string> renewed = again, lost = again;
    renewed.insert(renewed.end(), {"Close", open, "Seek 2500", "Play"});
    lost.insert(lost.end(), {"Close", open});
    const Case cases[] = {
        {0, false, true, again, true},
        {hr::kNotImplemented, false, true, again, true},  // from the start
        {0, true, true, renewed, true},
        {0, true, false, lost, false},
    };
    for (const Case& c : cases) {
        mfApi.open_result = 0;
        player.setCommand(kCmdClose);
        ASSERT_EQ(player.PlayMEDIAFILE().code, 0u);
        mfApi.calls.clear();
        mfApi.stuck_after_pause = true;
        mfApi.stuck_after_stop = c.stuck;
        mfApi.seek_result = c.seek;
        mfApi.position = 2500;
        player.setCommand(kCmdPause);
        mfApi.open_result = c.reopens ? 0 : hr::kFileNotFound;
        EXPECT_EQ(player.setCommand(kCmdResume), c.going);
        EXPECT_EQ(mfApi.calls, c.calls);
        EXPECT_EQ(engine.Mode(), c.going ? "playing" : "");
    }
}

TEST_F(MfFilmTest, AReplacedLayerGetsTheFilmAtItsPosition) {
    sys.window_rects[70000] = Rect{0, 0, 1024, 768};
    player.SethwndParent(70000);
    EXPECT_EQ(player.ReopenAt(2500, true).code, 0u);
    EXPECT_EQ(mfApi.calls, (std::vector<std::string>{"Close", "Open C:\\F\\CLIP.MP4 70000 1024x768", "Seek 2500",
                                                     "Play", "Pause"}));
}

TEST_F(MfFilmTest, NoSoundDeviceStillShowsThePicture) {
    player.setCommand(kCmdClose);
    mfApi.calls.clear();
    mfApi.open_result = mfApi.no_audio_result = hr::kNoAudioDevice;
    EXPECT_EQ(player.PlayMEDIAFILE().code, 0u);
    EXPECT_EQ(mfApi.calls, (std::vector<std::string>{"Open C:\\F\\CLIP.MP4 65556 800x600",
                                                     "Open C:\\F\\CLIP.MP4 65556 800x600 silent", "Play"}));
}

}  // namespace
}  // namespace mevra::testing
