// The hotkey table, the id counting of AddHotKey / RemoveHotKeys and the
// WM_HOTKEY dispatch.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include "fakes/ShellFakes.h"
#include "shell/HOTKEYmod.h"

namespace mevra {
namespace {

constexpr Hwnd kWnd = 0x99;

TEST(HotkeyTable, RowsAreTheNineCombinationsInOrder) {
    const std::vector<std::pair<std::uint32_t, std::uint16_t>> expected{
        {2, 0x4F}, {4, 0x2E}, {4, 0x2D}, {2, 0x25}, {2, 0x27},
        {2, 0x50}, {2, 0x53}, {2, 0x4D}, {2, 0x20}};
    ASSERT_EQ(kHotkeyTable.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(kHotkeyTable[i].modifiers, expected[i].first) << i;
        EXPECT_EQ(kHotkeyTable[i].key, expected[i].second) << i;
    }
}

TEST(HotkeyRegistration, IdsCountUpAndFailuresStillUseAnId) {
    fake::Journal j;
    fake::FakeHotkeyApi api{j};
    api.heldElsewhere.insert({kModControl, 'P'});
    HOTKEYmod mod{api};
    EXPECT_TRUE(mod.AddHotKey(kWnd, kModControl, 'O'));
    EXPECT_FALSE(mod.AddHotKey(kWnd, kModControl, 'P'));
    EXPECT_TRUE(mod.AddHotKey(kWnd, kModControl, 'S'));
    EXPECT_TRUE(mod.AddHotKey(kWnd, 0, 0));  // a row switched off: its id, nothing registered
    EXPECT_TRUE(mod.AddHotKey(kWnd, kModShift, 'M'));
    EXPECT_EQ(mod.m_lngHotKeyCount, 5);
    ASSERT_EQ(api.registerCalls.size(), 4u);
    EXPECT_EQ(api.registerCalls[2], std::make_tuple(kWnd, 3, kModControl, std::uint32_t{'S'}));
    EXPECT_EQ(api.registerCalls[3], std::make_tuple(kWnd, 5, kModShift, std::uint32_t{'M'}));

    mod.RemoveHotKeys(kWnd);
    EXPECT_EQ(api.unregisterCalls, (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(mod.m_lngHotKeyCount, 0);
    EXPECT_TRUE(api.registered.empty());
    // Counting starts again at 1.
    mod.AddHotKey(kWnd, kModShift, kVkInsert);
    EXPECT_EQ(std::get<1>(api.registerCalls.back()), 1);
}

TEST(HotkeyRegistration, CountOverflowIsAnErrorAndRegistersNothing) {
    fake::Journal j;
    fake::FakeHotkeyApi api{j};
    HOTKEYmod mod{api};
    mod.m_lngHotKeyCount = std::numeric_limits<std::int32_t>::max();
    EXPECT_THROW(mod.AddHotKey(kWnd, kModControl, 'O'), OverflowError);
    EXPECT_TRUE(api.registerCalls.empty());
    EXPECT_EQ(mod.m_lngHotKeyCount, std::numeric_limits<std::int32_t>::max());
}

class RecordingTarget final : public HotkeyTarget {
public:
    explicit RecordingTarget(fake::Journal& j) : j_(j) {}
    void OPENVIDEO() override { j_.push_back("OPENVIDEO"); }
    void HDesktop() override { j_.push_back("HDesktop"); }
    void SDesktop() override { j_.push_back("SDesktop"); }
    void Play() override { j_.push_back("Play"); }
    void StopPlay() override { j_.push_back("StopPlay"); }
    void Mute() override { j_.push_back("Mute"); }
    void Paused() override { j_.push_back("Paused"); }

private:
    fake::Journal& j_;
};

TEST(HotkeyDispatch, EachIdRunsItsRowsAction) {
    const std::vector<std::string> expected{"OPENVIDEO", "HDesktop", "SDesktop",
                                            "media: FForward -10", "media: FForward 10",
                                            "Play", "StopPlay", "Mute", "Paused"};
    for (std::int32_t id = 1; id <= 9; ++id) {
        fake::Journal j;
        RecordingTarget form{j};
        fake::RecordingPlayer hotkeyMedia{j};
        EXPECT_TRUE(DispatchHotkey(id, form, &hotkeyMedia));
        EXPECT_EQ(j, fake::Journal{expected[static_cast<std::size_t>(id - 1)]}) << "id " << id;
    }
}

TEST(HotkeyDispatch, IdsOutsideTheTableDoNothing) {
    fake::Journal j;
    RecordingTarget form{j};
    fake::RecordingPlayer hotkeyMedia{j};
    for (std::int32_t id : {0, -1, 10, std::numeric_limits<std::int32_t>::min()})
        EXPECT_FALSE(DispatchHotkey(id, form, &hotkeyMedia)) << id;
    EXPECT_TRUE(j.empty());
}

// Presses made while a command runs (a modal loop in it passes them on) wait for it,
// then run each once, in the order pressed.
TEST(HotkeyQueue, PressesDuringACommandRunAfterItInOrder) {
    const struct {
        const char* what;
        std::int32_t first;
        std::vector<std::int32_t> during, ran;
    } cases[] = {
        {"Pause, Play, Pause", 1, {9, 6, 9}, {1, 9, 6, 9}},
        {"Mute twice", 1, {8, 8}, {1, 8, 8}},
        {"Open again while Open runs", 1, {1, 7, 1}, {1, 7}},
        {"Opens waiting behind Play", 6, {1, 8, 1, 6, 6, 1}, {6, 1, 8, 6, 6}},
        {"ids outside the table", 1, {0, 10, 5, -3}, {1, 5}},
        {"nothing meanwhile", 6, {}, {6}},
    };
    for (const auto& c : cases) {
        HotkeyQueue queue;
        std::vector<std::int32_t> ran;
        std::function<void(std::int32_t)> run = [&](std::int32_t id) {
            ran.push_back(id);
            if (ran.size() == 1)
                for (std::int32_t later : c.during) queue.Press(later, run);
        };
        queue.Press(c.first, run);
        EXPECT_EQ(ran, c.ran) << c.what;
        EXPECT_EQ(queue.Waiting(), 0u) << c.what;
        // Done means idle: the next press runs at once, even the key that ran first.
        ran.clear();
        queue.Press(c.first, [&](std::int32_t id) { ran.push_back(id); });
        EXPECT_EQ(ran, std::vector<std::int32_t>{c.first}) << c.what;
    }
    // Held while a film command ran: nothing runs until Run, then all in order.
    HotkeyQueue queue;
    std::vector<std::int32_t> ran;
    for (std::int32_t id : {9, 6, 1, 9, 1}) queue.Hold(id);
    EXPECT_EQ(queue.Waiting(), 4u);
    queue.Run([&](std::int32_t id) { ran.push_back(id); });
    EXPECT_EQ(ran, (std::vector<std::int32_t>{9, 6, 1, 9}));
}

TEST(HotkeyDispatch, SeekWithoutASecondPlayerIsIgnored) {
    fake::Journal j;
    RecordingTarget form{j};
    EXPECT_TRUE(DispatchHotkey(5, form, nullptr));
    EXPECT_TRUE(j.empty());
}

}  // namespace
}  // namespace mevra
