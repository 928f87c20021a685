// The tray record: the fields each call sets, the NUL-then-blanks padding of
// the text fields, and the balloon that its timer clears, the thread never held.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include "fakes/ShellFakes.h"
#include "shell/Systray.h"

namespace mevra {
namespace {

constexpr Hwnd kOwner = 0x1234;
constexpr std::intptr_t kIcon = 0x5678;

// The field as bytes: text, NUL, then only blanks to the end.
template <std::size_t N>
void ExpectPadded(const char (&field)[N], const std::string& text) {
    ASSERT_LT(text.size(), N);
    EXPECT_EQ(std::string(field, text.size()), text);
    EXPECT_EQ(field[text.size()], '\0');
    for (std::size_t i = text.size() + 1; i < N; ++i) ASSERT_EQ(field[i], ' ') << "at " << i;
}

class SystrayTest : public ::testing::Test {
protected:
    SystrayTest() { tray.SetOwner(kOwner); }
    fake::Journal j;
    fake::FakeTrayApi api{j};
    Systray tray{api};
};

TEST_F(SystrayTest, AddAndDeleteSetTheIconFields) {
    for (bool remove : {false, true}) {
        tray.SetTrayIcon(kIcon, "Mevra", remove);
        const auto& sent = api.sent.back();
        EXPECT_EQ(sent.message, remove ? kNimDelete : kNimAdd);
        const TrayIconRecord& r = sent.record;
        EXPECT_EQ(r.cbSize, kTrayRecordXpSize);
        EXPECT_EQ(r.hWnd, kOwner);
        EXPECT_EQ(r.uID, 1u);
        EXPECT_EQ(r.uFlags, 7u);
        EXPECT_EQ(r.uCallbackMessage, 0x200u);
        EXPECT_EQ(r.hIcon, kIcon);
        ExpectPadded(r.szTip, "Mevra");
        EXPECT_EQ(r.dwState, 0u);
        EXPECT_EQ(r.dwStateMask, 0u);
        EXPECT_EQ(r.uTimeout, 0u);
    }
    if (sizeof(void*) == 4) {
        EXPECT_EQ(api.sent[0].record.cbSize, 488u);
    }
}

TEST_F(SystrayTest, BalloonFillsTheInfoFieldsThenItsTimerClearsIt) {
    tray.SetTrayIcon(kIcon, "Mevra", false);
    tray.ShowTrayBalloon("clip.avi", "Mevra", kBalloonInfoFlags, true, 1500);
    ASSERT_EQ(api.sent.size(), 2u);
    EXPECT_EQ(api.timers, std::vector<std::uint32_t>{1500});
    tray.BalloonTimeUp();
    ASSERT_EQ(api.sent.size(), 3u);
    const TrayIconRecord& shown = api.sent[1].record;
    EXPECT_EQ(api.sent[1].message, kNimModify);
    EXPECT_EQ(shown.uFlags, 0x17u);
    EXPECT_EQ(shown.dwInfoFlags, 0x11u);
    ExpectPadded(shown.szInfo, "clip.avi");
    ExpectPadded(shown.szInfoTitle, "Mevra");

    // The clearing call: same record, empty texts, the tip and icon untouched.
    const TrayIconRecord& cleared = api.sent[2].record;
    EXPECT_EQ(api.sent[2].message, kNimModify);
    EXPECT_EQ(cleared.uFlags, 0x17u);
    EXPECT_EQ(cleared.dwInfoFlags, 0u);
    ExpectPadded(cleared.szInfo, "");
    ExpectPadded(cleared.szInfoTitle, "");
    ExpectPadded(cleared.szTip, "Mevra");
    EXPECT_EQ(cleared.hIcon, kIcon);
    EXPECT_EQ(cleared.uID, 1u);
    EXPECT_EQ(j, (fake::Journal{"tray: add", "tray: modify clip.avi", "tray: timer 1500",
                                "tray: timer off", "tray: modify "}));
}

TEST_F(SystrayTest, NamedBalloonSetsWhatAnyBalloonDoesAndPassesTheNameOn) {
    tray.SetTrayIcon(kIcon, "Mevra", false);
    tray.ShowTrayBalloon("clip.avi", "Mevra", kBalloonInfoFlags, true, 1500);
    tray.ShowNamedBalloon("\xd0\xa4.avi", ": gone", "Mevra", kBalloonInfoFlags, 1500);
    tray.BalloonTimeUp();
    ASSERT_EQ(api.sent.size(), 4u);
    const auto& ansi = api.sent[1];
    const auto& wide = api.sent[2];
    EXPECT_EQ(wide.message, kNimModify);
    EXPECT_EQ(wide.name, "\xd0\xa4.avi");
    ExpectPadded(wide.record.szInfo, ": gone");
    // Everything else as the ANSI balloon had it.
    ExpectPadded(wide.record.szInfoTitle, "Mevra");
    ExpectPadded(wide.record.szTip, "Mevra");
    EXPECT_EQ(wide.record.uFlags, ansi.record.uFlags);
    EXPECT_EQ(wide.record.dwInfoFlags, ansi.record.dwInfoFlags);
    EXPECT_EQ(wide.record.hWnd, kOwner);
    EXPECT_EQ(wide.record.hIcon, kIcon);
    EXPECT_EQ(wide.record.cbSize, ansi.record.cbSize);
    EXPECT_EQ(api.timers, (std::vector<std::uint32_t>{1500, 1500}));
    EXPECT_EQ(api.sent[3].name, "");
    ExpectPadded(api.sent[3].record.szInfo, "");
}

// What the timer does after each sequence: a newer balloon takes the older one's place
// and its time; one without a time (or a clear) leaves no timer to cut it short.
TEST_F(SystrayTest, TheNewestBalloonOwnsTheTimer) {
    const struct {
        const char* what;
        std::vector<std::pair<std::string, std::int32_t>> shown;  // text ("" clears), time
        std::vector<std::uint32_t> starts;
        bool running;
    } cases[] = {
        {"one", {{"a", 1500}}, {1500}, true},
        {"newer replaces older", {{"a", 1500}, {"b", 1000}}, {1500, 1000}, true},
        {"newer without a time", {{"a", 1500}, {"b", 0}}, {1500}, false},
        {"cleared by hand", {{"a", 1500}, {"", 1500}}, {1500}, false},
        {"no time at all", {{"a", 0}, {"b", -5}}, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        api.timers.clear();
        api.timerRunning = false;
        Systray fresh{api};
        for (const auto& [text, ms] : c.shown)
            fresh.ShowTrayBalloon(text, "Mevra", kBalloonInfoFlags, !text.empty(), ms);
        EXPECT_EQ(api.timers, c.starts);
        EXPECT_EQ(api.timerRunning, c.running);
        EXPECT_EQ(fresh.BalloonTimerRunning(), c.running);
    }
}

TEST_F(SystrayTest, VistaShellsGetTheWholeRecordAndRealtimeBalloons) {
    for (bool vista : {false, true}) {
        api.realtime = vista;
        tray.SetTrayIcon(kIcon, "Mevra", false);
        EXPECT_EQ(api.sent.back().record.cbSize, vista ? kTrayRecordVistaSize : kTrayRecordXpSize);
        EXPECT_EQ(api.sent.back().record.uFlags, 7u);
        tray.ShowTrayBalloon("x", "Mevra", kBalloonInfoFlags, true, 1500);
        tray.BalloonTimeUp();
        for (std::size_t i = api.sent.size() - 2; i < api.sent.size(); ++i) {
            EXPECT_EQ(api.sent[i].record.cbSize, vista ? kTrayRecordVistaSize : kTrayRecordXpSize);
            EXPECT_EQ(api.sent[i].record.uFlags, vista ? 0x57u : 0x17u);
        }
    }
}

TEST_F(SystrayTest, OverlongTextsAreCutAndStillEndWithANul) {
    tray.SetTrayIcon(kIcon, std::string(300, 't'), false);
    tray.ShowTrayBalloon(std::string(300, 'i'), std::string(100, 'h'), kBalloonInfoFlags, true, 0);
    const TrayIconRecord& r = api.sent.back().record;
    ExpectPadded(r.szTip, std::string(kTipChars - 1, 't'));
    ExpectPadded(r.szInfo, std::string(kInfoChars - 1, 'i'));
    ExpectPadded(r.szInfoTitle, std::string(kInfoTitleChars - 1, 'h'));
}

TEST_F(SystrayTest, ShorterTextLeavesNoRestOfTheLongerOne) {
    tray.ShowTrayBalloon("a much longer balloon text", "Mevra", kBalloonInfoFlags, true, 0);
    tray.ShowTrayBalloon("short", "Mevra", kBalloonInfoFlags, true, 0);
    ExpectPadded(api.sent.back().record.szInfo, "short");
}

}  // namespace
}  // namespace mevra
