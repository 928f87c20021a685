// A slideshow and a picture whose file is gone: saved at the clear, given back at
// Stop and from the journal at the next start; without them, nothing changes.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>
#include "desktop/RegistryMod.h"
#include "desktop/WallpaperJournal.h"
#include "fakes/FakeDesktopWallpaper.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSystemSettings.h"

using namespace mevra;

namespace {

constexpr char kDesk[] = "Control Panel\\Desktop";
const std::u16string kPicture = u"C:\\Users\\\u0410\u043d\u043d\u0430\\sea.jpg";
const WideText kCopy = {u'C', u':', u'\\', u'c', u'.', u'j', u'p', u'g'};

WideText W(const std::u16string& s) { return WideText(s.begin(), s.end()); }

std::string Utf16Sz(const std::u16string& s) {
    std::string bytes;
    for (char16_t c : s + u'\0') {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

Slideshow Show() {
    return Slideshow{W(std::u16string(u"C:\\Bilder\0D:\\\u58c1\u7d19\0", 16)), 1, 600000};
}

}  // namespace

TEST(WallpaperSlideshow, SavedAtTheClearAndGivenBackAtStopAndAfterACrash) {
    struct Case {
        const char* name;
        bool adapter, running, file_there, copy_there, refuse, spotlight;
        bool want_started;         // the slideshow is asked to run again
        const WideText* want_shown;  // the picture shown, nullptr: only the slideshow
        std::uint8_t want_format;
    } cases[] = {
        {"no adapter", false, true, false, true, false, false, false, nullptr, 2},
        {"picture there", true, false, true, true, false, false, false, nullptr, 2},
        {"slideshow", true, true, false, true, false, false, true, nullptr, 3},
        {"slideshow refused", true, true, true, false, true, false, true, nullptr, 3},
        {"picture gone, copy", true, false, false, true, false, false, false, &kCopy, 3},
        {"picture gone, no copy", true, false, false, false, false, false, false, nullptr, 2},
        {"spotlight", true, false, true, false, false, true, false, nullptr, 2},
    };
    const WideText picture = W(kPicture);
    for (const bool crash : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (crash ? ", after a crash" : ", at Stop"));
            fake::FakeRegistry reg;
            fake::FakeSystemSettings sys;
            fake::FakeDesktopWallpaper desk;
            reg.PutWide(kHkeyCurrentUser, kDesk, "Wallpaper", kPicture);
            reg.PutString(kHkeyCurrentUser, kDesk, "WallpaperStyle", "10");
            reg.PutString(kHkeyCurrentUser, kDesk, "TileWallpaper", "0");
            if (c.spotlight)
                reg.PutRaw(kHkeyCurrentUser,
                           "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Wallpapers",
                           "BackgroundType", kRegDword, {3, 0, 0, 0});
            if (c.running) desk.running = Show();
            if (c.file_there) desk.files.push_back(picture);
            if (c.copy_there) desk.windows_copy = kCopy;
            desk.refuse_slideshow = c.refuse;
            DesktopWallpaper* adapter = c.adapter ? &desk : nullptr;

            std::optional<RegistryMod> mod(std::in_place, reg, sys, adapter);
            mod->ManageWallpaper(kWallpaperSaveAndClear);
            const auto* journal = reg.Find(kHkeyCurrentUser, kJournalKey, kJournalValue);
            ASSERT_TRUE(journal);
            EXPECT_EQ(journal->data[4], c.want_format);
            sys.wallpapers.clear();
            if (crash) {
                mod.emplace(reg, sys, adapter);
                mod->ApplyLeftoverJournal();
            } else {
                mod->ManageWallpaper(kWallpaperRestore);
            }

            EXPECT_FALSE(reg.Find(kHkeyCurrentUser, kJournalKey, kJournalValue));
            ASSERT_EQ(desk.started.size(), c.want_started ? 1u : 0u);
            if (c.want_started) {
                EXPECT_EQ(desk.started[0], Show());
            }
            if (c.want_started && !c.refuse) {
                EXPECT_TRUE(sys.wallpapers.empty());
            } else {
                ASSERT_EQ(sys.wallpapers.size(), 1u);
                EXPECT_EQ(sys.wallpapers[0].wide, c.want_shown ? *c.want_shown : picture);
                // The copy is only shown: the value keeps the user's own path.
                if (c.want_shown) {
                    const auto* value = reg.Find(kHkeyCurrentUser, kDesk, "Wallpaper");
                    ASSERT_TRUE(value);
                    EXPECT_EQ(std::string(value->data.begin(), value->data.end()),
                              Utf16Sz(kPicture));
                }
            }
            EXPECT_EQ(desk.deleted, c.want_shown ? std::vector<WideText>{kCopy}
                                                 : std::vector<WideText>{});
            bool said_spotlight = false;
            for (const auto& line : sys.debug_lines)
                said_spotlight |= line.find("Spotlight") != std::string::npos;
            EXPECT_EQ(said_spotlight, c.spotlight && !crash);
        }
    }
}

TEST(WallpaperSlideshow, JournalKeepsTheSlideshowAndCopyAndRefusesEveryCut) {
    WallpaperRecord plain;
    plain.wallpaper = SavedValue{true, kRegSz, {'a', 0, 0, 0}};
    plain.colour = 0x102030;
    WallpaperRecord shown = plain;
    shown.slideshow = Show();
    WallpaperRecord copied = plain;
    copied.copy = kCopy;
    WallpaperRecord both = shown;
    both.copy = kCopy;

    struct Case { const char* name; const WallpaperRecord* record; std::uint8_t format; } cases[] = {
        {"neither: the format older versions read", &plain, 2},
        {"slideshow", &shown, 3},
        {"copy", &copied, 3},
        {"both", &both, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> bytes = EncodeJournal(*c.record);
        EXPECT_EQ(bytes[4], c.format);
        const auto back = DecodeJournal(bytes);
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, *c.record);
        for (std::size_t n = 0; n < bytes.size(); ++n)
            EXPECT_FALSE(DecodeJournal(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + n)))
                << n;
    }
}
