// The open dialog's portable half: the filter list, the record each ShowOpen
// fills, what an accepted or cancelled dialog leaves, and the centring rule.
#include <gtest/gtest.h>

#include <deque>
#include <limits>
#include "dialogs/CDialogEX.h"

namespace mevra {
namespace {

using namespace std::string_literals;

// Plays the user: accepts with a file buffer (and filter index) or cancels.
class ScriptedFileDialog final : public FileDialogApi {
public:
    struct Answer {
        bool accept = false;
        std::string buffer;
        std::uint32_t filterIndex = 0;
    };
    std::deque<Answer> answers;
    std::vector<OpenFileRecord> seen;
    std::vector<DialogLayout> layouts;

    bool RunOpenDialog(OpenFileRecord& record, const DialogLayout& layout) override {
        seen.push_back(record);
        layouts.push_back(layout);
        Answer a = answers.empty() ? Answer{} : answers.front();
        if (!answers.empty()) answers.pop_front();
        if (!a.accept) return false;
        record.file = a.buffer;
        record.nFilterIndex = a.filterIndex;
        return true;
    }
};

TEST(BuildFilter, BarsBecomeNulsAndTwoNulsEndTheList) {
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {"Movie|*.avi|Other|*.mov", "Movie\0*.avi\0Other\0*.mov\0\0"s},
        {"Movie\0*.avi\0"s, "Movie\0*.avi\0\0\0"s},
        {"", "\0\0"s},
        {"||", "\0\0\0\0"s},
    };
    for (const Case& c : cases) EXPECT_EQ(BuildFilter(c.in), c.out);
}

TEST(ChosenPath, CutsAtTheFirstNulAndTrimsBlanks) {
    EXPECT_EQ(ChosenPath("C:\\a\\clip.avi\0\0\0garbage"s), "C:\\a\\clip.avi");
    EXPECT_EQ(ChosenPath("  C:\\with blanks\\my clip.avi  \0"s), "C:\\with blanks\\my clip.avi");
    EXPECT_EQ(ChosenPath("\0C:\\x"s), "");
    EXPECT_EQ(ChosenPath("   "), "");
    EXPECT_EQ(ChosenPath("\tC:\\x\t"), "\tC:\\x\t");  // only blanks are trimmed
}

TEST(CentredCoordinate, TwipsRuleIsExactAt96DpiAndDriftsElsewhere) {
    EXPECT_EQ(CentredCoordinate(1024, 96, 433), 296);   // 295.5 rounds to the even 296
    EXPECT_EQ(CentredCoordinate(1024, 96, 431), 296);   // 296.5 rounds to 296
    EXPECT_EQ(CentredCoordinate(768, 96, 307), 230);    // 230.5 -> 230
    EXPECT_EQ(CentredCoordinate(800, 96, 900), -50);    // larger than the screen
    EXPECT_EQ(CentredCoordinate(1280, 120, 400), 312);  // 1280*1440/120/15 = 1024
    EXPECT_EQ(CentredCoordinate(1024, 0, 424), 300);    // no reading: taken as 96 dpi
    EXPECT_THROW(CentredCoordinate(std::numeric_limits<std::int32_t>::max(), 1, 0), OverflowError);
}

class CDialogEXTest : public ::testing::Test {
protected:
    ScriptedFileDialog api;
    CDialogEX dlg{api};
};

// The banner's place and the dialog's height at each scale, and when the dialog's own
// controls reach down to where the banner would go.
TEST(PlaceBanner, ScaledDesignOrBelowTheControls) {
    const DialogLayout design{0, 10, 270, 307};
    const struct { std::int32_t dpi, controlsBottom, bannerHeight, left, top, height; } cases[] = {
        {96, 250, 35, 10, 270, 307},    // the design, to the pixel
        {144, 380, 53, 15, 405, 461},
        {192, 500, 70, 20, 540, 614},
        {144, 420, 53, 15, 426, 482},   // controls lower than the design: banner below them
        {96, 290, 35, 10, 294, 331},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dpi);
        const BannerPlacement p = PlaceBanner(design, c.dpi, c.controlsBottom, 35, c.bannerHeight);
        EXPECT_EQ(p.left, c.left);
        EXPECT_EQ(p.top, c.top);
        EXPECT_EQ(p.dialogHeight, c.height);
    }
}

TEST(KeptOnScreen, MovesOnlyWhatWouldLeaveTheScreen) {
    EXPECT_EQ(KeptOnScreen(100, 400, 1024), 100);
    EXPECT_EQ(KeptOnScreen(-144, 800, 1024), 0);
    EXPECT_EQ(KeptOnScreen(700, 400, 1024), 624);
    EXPECT_EQ(KeptOnScreen(50, 2000, 1024), 0);  // larger than the screen: start at 0
}

TEST_F(CDialogEXTest, ShowOpenFillsTheRecord) {
    dlg.SetFilter("Movie|*.avi");
    dlg.SetPreviewWindow(0x4242, 6, 247);
    dlg.SetDialogHeight(307);
    dlg.ShowOpen(0x1000, "start.avi", std::string("C:\\Films"), "  OPEN MEDIA FILE");
    ASSERT_EQ(api.seen.size(), 1u);
    const OpenFileRecord& r = api.seen[0];
    EXPECT_EQ(r.hwndOwner, 0x1000);
    EXPECT_EQ(r.filter, "Movie\0*.avi\0\0"s);
    EXPECT_EQ(r.nFilterIndex, 0u);
    ASSERT_EQ(r.file.size(), 260u);
    EXPECT_EQ(r.file.substr(0, 10), "start.avi\0"s);
    EXPECT_EQ(r.file.find_first_not_of('\0', 9), std::string::npos);
    EXPECT_EQ(r.nMaxFile, 255u);
    EXPECT_EQ(r.nMaxFileTitle, 255u);
    EXPECT_EQ(r.initialDir, std::optional<std::string>("C:\\Films"));
    EXPECT_EQ(r.title, "  OPEN MEDIA FILE");
    EXPECT_EQ(r.flags, 0x81024u);
    const DialogLayout& l = api.layouts[0];
    EXPECT_EQ(l.banner, 0x4242);
    EXPECT_EQ(l.bannerLeft, 10);
    EXPECT_EQ(l.bannerTop, 270);
    EXPECT_EQ(l.height, 307);
}

TEST_F(CDialogEXTest, AcceptedThenCancelledKeepsTheEarlierPath) {
    EXPECT_EQ(dlg.LastOpenedFile(), "");
    api.answers.push_back({true, "C:\\Films\\clip.avi" + std::string(200, '\0'), 1});
    api.answers.push_back({false, "", 0});
    dlg.ShowOpen(1, "", std::nullopt, "t");
    EXPECT_EQ(dlg.LastOpenedFile(), "C:\\Films\\clip.avi");
    dlg.ShowOpen(1, "", std::nullopt, "t");
    EXPECT_EQ(dlg.LastOpenedFile(), "C:\\Films\\clip.avi");
}

TEST_F(CDialogEXTest, LastChosenFilterIsPreselectedNextTime) {
    api.answers.push_back({true, "C:\\x.mov"s + '\0', 2});
    dlg.ShowOpen(1, "", std::nullopt, "t");
    api.answers.push_back({false, "", 0});
    dlg.ShowOpen(1, "", std::nullopt, "t");
    ASSERT_EQ(api.seen.size(), 2u);
    EXPECT_EQ(api.seen[1].nFilterIndex, 2u);
}

TEST_F(CDialogEXTest, FileBufferAlwaysKeepsANul) {
    dlg.ShowOpen(1, std::string(400, 'a'), std::nullopt, "t");
    const std::string& file = api.seen[0].file;
    ASSERT_EQ(file.size(), 260u);
    EXPECT_EQ(file.find('\0'), 259u);
}

TEST_F(CDialogEXTest, EachShowUsesTheFilterSetLast) {
    dlg.SetFilter("A|*.a");
    dlg.ShowOpen(1, "", std::nullopt, "t");
    dlg.SetFilter("B|*.b");
    dlg.ShowOpen(1, "", std::nullopt, "t");
    EXPECT_EQ(api.seen[1].filter, "B\0*.b\0\0"s);
}

}  // namespace
}  // namespace mevra
