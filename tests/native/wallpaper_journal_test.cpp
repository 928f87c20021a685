// The wallpaper journal: written once at the clear, removed once at the
// restore, and at start-up applied exactly when complete, thrown away when not.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>
#include "desktop/RegistryMod.h"
#include "desktop/WallpaperJournal.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSystemSettings.h"

using namespace mevra;

namespace {

constexpr std::uint32_t kHkcu = kHkeyCurrentUser;
constexpr char kDesk[] = "Control Panel\\Desktop";
constexpr char kMissing[] = "<missing>";
const std::string kCleared = " ";  // what the clear leaves in "Wallpaper"

std::string Sz(const std::string& text) { return text + '\0'; }

SavedValue Text(const std::string& text) {
    return SavedValue{true, kRegSz, std::vector<std::uint8_t>(text.begin(), text.end())};
}

// Text as the wide calls read it: UTF-16LE with its NUL.
SavedValue WideSz(const std::u16string& text) {
    SavedValue v{true, kRegSz, {}};
    for (char16_t c : text + u'\0') {
        v.data.push_back(static_cast<std::uint8_t>(c & 0xFF));
        v.data.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return v;
}

struct Journal : ::testing::Test {
    fake::FakeRegistry reg;
    fake::FakeSystemSettings sys;

    // The user's values, each a text (stored with its NUL) or absent.
    void User(std::optional<std::string> wallpaper, std::optional<std::string> tile,
              std::optional<std::string> style) {
        reg.AddKey(kHkcu, kDesk);
        const std::pair<const char*, std::optional<std::string>*> values[] = {
            {"Wallpaper", &wallpaper}, {"TileWallpaper", &tile}, {"WallpaperStyle", &style}};
        for (const auto& v : values)
            if (*v.second) reg.PutString(kHkcu, kDesk, v.first, **v.second);
    }
    std::string Desk(const char* name) const { return reg.Bytes(kHkcu, kDesk, name); }
    std::string Values() const {
        return Desk("Wallpaper") + "|" + Desk("TileWallpaper") + "|" + Desk("WallpaperStyle");
    }
    bool JournalThere() const { return reg.Find(kHkcu, kJournalKey, kJournalValue) != nullptr; }
    std::vector<std::uint8_t> JournalBytes() const {
        return reg.Find(kHkcu, kJournalKey, kJournalValue)->data;
    }
    // A run that cleared the wallpaper and then died.
    void Crash() {
        RegistryMod run(reg, sys);
        run.ManageWallpaper(0);
    }
};

}  // namespace

TEST_F(Journal, WrittenOnceAtClearAndRemovedOnceAtRestore) {
    User("C:\\w.bmp", "1", std::nullopt);
    RegistryMod mod(reg, sys);
    reg.ClearCalls();
    mod.ManageWallpaper(0);

    std::vector<fake::FakeRegistry::Call> writes;
    for (const auto& c : reg.CallsOf("set"))
        if (c.key == "hkcu\\software\\mevra") writes.push_back(c);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].name, kJournalValue);
    EXPECT_EQ(writes[0].type, kRegBinary);
    const auto recorded = DecodeJournal(writes[0].data);
    ASSERT_TRUE(recorded);
    EXPECT_EQ(recorded->wallpaper, WideSz(u"C:\\w.bmp"));
    EXPECT_EQ(recorded->tile, WideSz(u"1"));
    EXPECT_FALSE(recorded->style.present);

    // Play again while cleared: the journal stays as the user's values wrote it.
    mod.ManageWallpaper(0);
    EXPECT_EQ(JournalBytes(), writes[0].data);

    reg.ClearCalls();
    mod.ManageWallpaper(2);
    std::size_t journal_deletes = 0;
    for (const auto& c : reg.CallsOf("delete")) journal_deletes += c.name == kJournalValue;
    EXPECT_EQ(journal_deletes, 1u);
    EXPECT_EQ(reg.CallsOf("delete key").size(), 1u);
    EXPECT_FALSE(JournalThere());
    EXPECT_FALSE(reg.HasKey(kHkcu, kJournalKey));
    EXPECT_EQ(Values(), Sz("C:\\w.bmp") + "|" + Sz("1") + "|" + kMissing);
    EXPECT_EQ(reg.OpenKeyCount(), 0u);
}

TEST_F(Journal, StartUpActsOnWhatIsFound) {
    const std::string tiled = Sz("C:\\w.bmp") + "|" + Sz("1") + "|" + Sz("0");
    const std::string absent = std::string(kMissing) + "|" + kMissing + "|" + kMissing;
    const std::string cleared_tiled = kCleared + "|" + Sz("1") + "|" + Sz("0");
    struct Case {
        const char* state;
        std::optional<std::string> wallpaper, tile, style;
        // Spoils the journal the crashed run left; nullptr keeps it.
        void (*spoil)(std::vector<std::uint8_t>&, std::uint32_t& type);
        std::string want_values;
        const char* want_applied;  // the path shown, nullptr for none
    } cases[] = {
        {"complete, tiled", "C:\\w.bmp", "1", "0", nullptr, tiled, "C:\\w.bmp"},
        {"complete, stretched", "C:\\s.bmp", "0", "2", nullptr,
         Sz("C:\\s.bmp") + "|" + Sz("0") + "|" + Sz("2"), "C:\\s.bmp"},
        {"complete, all absent", std::nullopt, std::nullopt, std::nullopt, nullptr, absent, ""},
        {"half-written", "C:\\w.bmp", "1", "0",
         [](std::vector<std::uint8_t>& b, std::uint32_t&) { b.resize(b.size() / 2); },
         cleared_tiled, nullptr},
        {"end marker missing", "C:\\w.bmp", "1", "0",
         [](std::vector<std::uint8_t>& b, std::uint32_t&) { b.resize(b.size() - 1); },
         cleared_tiled, nullptr},
        {"a byte changed", "C:\\w.bmp", "1", "0",
         [](std::vector<std::uint8_t>& b, std::uint32_t&) { b[12] ^= 0x20; }, cleared_tiled,
         nullptr},
        {"bytes after the end", "C:\\w.bmp", "1", "0",
         [](std::vector<std::uint8_t>& b, std::uint32_t&) { b.push_back(0); }, cleared_tiled,
         nullptr},
        {"not binary", "C:\\w.bmp", "1", "0",
         [](std::vector<std::uint8_t>&, std::uint32_t& type) { type = kRegSz; }, cleared_tiled,
         nullptr},
        {"empty", "C:\\w.bmp", "1", "0",
         [](std::vector<std::uint8_t>& b, std::uint32_t&) { b.clear(); }, cleared_tiled, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        reg = fake::FakeRegistry();
        sys = fake::FakeSystemSettings();
        User(c.wallpaper, c.tile, c.style);
        Crash();
        ASSERT_TRUE(JournalThere());
        if (c.spoil) {
            auto* v = const_cast<fake::FakeRegistry::Value*>(reg.Find(kHkcu, kJournalKey, kJournalValue));
            c.spoil(v->data, v->type);
        }
        sys.wallpapers.clear();

        RegistryMod next(reg, sys);
        next.ApplyLeftoverJournal();

        EXPECT_EQ(Values(), c.want_values);
        if (c.want_applied) {
            ASSERT_EQ(sys.wallpapers.size(), 1u);
            EXPECT_EQ(sys.wallpapers[0].path, c.want_applied);
        } else {
            EXPECT_TRUE(sys.wallpapers.empty());
        }
        EXPECT_FALSE(JournalThere());
        EXPECT_FALSE(reg.HasKey(kHkcu, kJournalKey));
        EXPECT_EQ(reg.OpenKeyCount(), 0u);
    }
}

TEST_F(Journal, NoJournalTouchesNothingAndAnotherValueKeepsTheKey) {
    User("C:\\w.bmp", "1", "0");
    RegistryMod mod(reg, sys);
    reg.ClearCalls();
    mod.ApplyLeftoverJournal();
    EXPECT_TRUE(reg.CallsOf("set").empty());
    EXPECT_TRUE(reg.CallsOf("delete").empty());
    EXPECT_TRUE(sys.wallpapers.empty());

    Crash();
    reg.PutString(kHkcu, kJournalKey, "Other", "kept");
    mod.ApplyLeftoverJournal();
    EXPECT_FALSE(JournalThere());
    EXPECT_TRUE(reg.Find(kHkcu, kJournalKey, "Other"));
}

TEST_F(Journal, EveryCutOfTheDataIsRefused) {
    WallpaperRecord record;
    record.wallpaper = Text(Sz("C:\\a picture.bmp"));
    record.style = SavedValue{true, kRegDword, {2, 0, 0, 0}};
    const std::vector<std::uint8_t> whole = EncodeJournal(record);
    ASSERT_TRUE(DecodeJournal(whole));
    EXPECT_EQ(*DecodeJournal(whole), record);
    for (std::size_t n = 0; n < whole.size(); ++n)
        EXPECT_FALSE(DecodeJournal(std::vector<std::uint8_t>(whole.begin(), whole.begin() + n))) << n;
}

TEST_F(Journal, WidePathsAndTheColourComeBackWholeAndOldJournalsStillApply) {
    const std::u16string path = u"C:\\Users\\\u0410\u043d\u043d\u0430\\\u58c1\u7d19.bmp";
    WallpaperRecord old;  // as an older version wrote it: through the code page
    old.wide = false;
    old.wallpaper = Text(Sz("C:\\old.bmp"));
    old.tile = Text(Sz("1"));
    struct Case {
        const char* how;
        std::function<void(Journal&)> run;
        std::u16string want_value;  // "Wallpaper" as the wide calls read it afterwards
        std::string want_shown;     // as the fake's ASCII view of the path shown
    } cases[] = {
        {"stop", [](Journal& t) {
             RegistryMod mod(t.reg, t.sys);
             mod.ManageWallpaper(0);
             mod.ManageWallpaper(2);
         }, path + u'\0', "C:\\Users\\????\\??.bmp"},
        {"killed, then restarted", [](Journal& t) {
             t.Crash();
             RegistryMod(t.reg, t.sys).ApplyLeftoverJournal();
         }, path + u'\0', "C:\\Users\\????\\??.bmp"},
        {"old journal at start-up", [&old](Journal& t) {
             t.reg.PutRaw(kHkcu, kJournalKey, kJournalValue, kRegBinary, EncodeJournal(old));
             t.reg.PutString(kHkcu, kDesk, "Wallpaper", "");
             RegistryMod(t.reg, t.sys).ApplyLeftoverJournal();
         }, std::u16string(u"C:\\old.bmp") + u'\0', "C:\\old.bmp"},
        {"journal of a later format", [&old](Journal& t) {
             auto bytes = EncodeJournal(old);
             bytes[4] = 9;
             t.reg.PutRaw(kHkcu, kJournalKey, kJournalValue, kRegBinary, bytes);
             t.reg.PutString(kHkcu, kDesk, "Wallpaper", "");
             RegistryMod(t.reg, t.sys).ApplyLeftoverJournal();
         }, std::u16string(1, u'\0'), "<none>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        reg = fake::FakeRegistry();
        sys = fake::FakeSystemSettings();
        reg.PutWide(kHkcu, kDesk, "Wallpaper", path);
        sys.desktop_color = 0x00C08040;
        c.run(*this);
        EXPECT_EQ(sys.GetSysColor(kColorBackground), 0x00C08040u);  // the user's, not the film's
        sys.wallpapers.erase(sys.wallpapers.begin(),
                             std::find_if(sys.wallpapers.begin(), sys.wallpapers.end(),
                                          [](const auto& w) { return !w.path.empty(); }));
        EXPECT_EQ(reg.WideBytes(kHkcu, kDesk, "Wallpaper"), c.want_value);
        EXPECT_EQ(sys.wallpapers.empty() ? "<none>" : sys.wallpapers.back().path, c.want_shown);
        if (c.want_value == path + u'\0') {
            EXPECT_EQ(sys.wallpapers.back().wide, WideText(path.begin(), path.end()));
        }
        EXPECT_FALSE(JournalThere());
    }
}

TEST_F(Journal, StartUpAppliesItOnlyOverTheBlankItLeft) {
    struct Case {
        const char* wallpaper_now;  // nullptr: no journal was left
        std::string want;
        bool applied;
    } cases[] = {
        {" ", Sz("C:\\w.bmp"), true},
        {"", Sz("C:\\w.bmp"), true},
        {"C:\\new.bmp", Sz("C:\\new.bmp"), false},
        {nullptr, Sz("C:\\w.bmp"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wallpaper_now ? c.wallpaper_now : "<no journal>");
        reg = fake::FakeRegistry();
        sys = fake::FakeSystemSettings();
        User("C:\\w.bmp", "0", "2");
        if (c.wallpaper_now) {
            Crash();
            reg.PutString(kHkcu, kDesk, "Wallpaper", c.wallpaper_now);
        }
        sys.wallpapers.clear();
        RegistryMod(reg, sys).ApplyLeftoverJournal();
        EXPECT_EQ(Desk("Wallpaper"), c.want);
        EXPECT_EQ(sys.wallpapers.size(), c.applied ? 1u : 0u);
        EXPECT_FALSE(JournalThere());
    }
}
