#include <gtest/gtest.h>
#include <optional>
#include <string>
#include "desktop/RegistryMod.h"
#include "desktop/SystemSettings.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSystemSettings.h"

using namespace mevra;

namespace {

constexpr std::uint32_t kHkcu = kHkeyCurrentUser;
constexpr char kDesk[] = "Control Panel\\Desktop";
constexpr std::uint32_t kApplyFlags = kSpifUpdateIniFile | kSpifSendWinIniChange;
constexpr char kUntouched[] = "untouched";

struct RegistryWallpaper : ::testing::Test {
    fake::FakeRegistry reg;
    fake::FakeSystemSettings sys;
    RegistryMod mod{reg, sys};

    void Put(const char* name, const std::optional<std::string>& text) {
        if (text) reg.PutString(kHkcu, kDesk, name, *text);
    }
    // After the clear, marks tile and style so that a restore that leaves them
    // alone can be told from one that writes them.
    void MarkTileAndStyle() {
        reg.PutString(kHkcu, kDesk, "TileWallpaper", kUntouched);
        reg.PutString(kHkcu, kDesk, "WallpaperStyle", kUntouched);
    }
    std::string Stored(const char* name) {
        std::string s = reg.Bytes(kHkcu, kDesk, name);
        return s == std::string(kUntouched) + '\0' ? kUntouched : s;
    }
};

}  // namespace

TEST_F(RegistryWallpaper, RestoreBringsBackTileAndStyleAsTheyWere) {
    const std::nullopt_t none = std::nullopt;
    const std::string missing = "<missing>";
    // As the user's tools store them: with the NUL.
    auto sz = [](const char* text) { return std::string(text) + '\0'; };
    struct Case {
        std::optional<std::string> style, tile;
        std::string want_tile, want_style;
    } cases[] = {
        // Both read as numbers: written back as read.
        {"0", "1", "1", "0"},  // tiled stays tiled
        {"0", "0", "0", "0"},  // centred stays centred
        {"1", "0", "0", "1"},
        {"2", "0", "0", "2"},
        {"2", "1", "1", "2"},
        {"6", "0", "0", "6"},
        {"10", "1", "1", "10"},
        // A style that is not a number, with a tile that is not "1": stretched.
        {"", "0", "0", "2"},
        {"abc", "1", "0", "2"},
        {"2", "x", "0", "2"},
        // Tiled without a style stays tiled, and what was absent stays absent:
        // the stored bytes come back as they were.
        {"", "1", sz("1"), sz("")},
        {none, "1", sz("1"), missing},
        {none, none, missing, missing},
        {"0", none, missing, sz("0")},
        {"1.5", none, missing, sz("1.5")},
        {"6", none, missing, sz("6")},
        {"99999999999999999999", none, missing, sz("99999999999999999999")},
        // Too large for a style: tile and style left alone.
        {"70000", "1", kUntouched, kUntouched},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("style " + c.style.value_or("<none>") + ", tile " + c.tile.value_or("<none>"));
        reg = fake::FakeRegistry();
        sys = fake::FakeSystemSettings();
        mod.WallpaperCleared = false;
        Put("Wallpaper", std::string("C:\\WINDOWS\\bubbles.bmp"));
        Put("WallpaperStyle", c.style);
        Put("TileWallpaper", c.tile);

        mod.ManageWallpaper(0);
        MarkTileAndStyle();
        mod.ManageWallpaper(2);

        EXPECT_EQ(Stored("TileWallpaper"), c.want_tile);
        EXPECT_EQ(Stored("WallpaperStyle"), c.want_style);
        ASSERT_EQ(sys.wallpapers.size(), 2u);
        EXPECT_EQ(sys.wallpapers[1].path, "C:\\WINDOWS\\bubbles.bmp");
        EXPECT_EQ(sys.wallpapers[1].flags, kApplyFlags);
        EXPECT_EQ(reg.OpenKeyCount(), 0u);
    }
}

TEST_F(RegistryWallpaper, PathComesFromWallpaperOrItsFallback) {
    struct Case {
        std::optional<std::string> wallpaper, original, style;
        std::string want_path, want_style;
    } cases[] = {
        {"C:\\a.bmp", "C:\\orig.bmp", "2", "C:\\a.bmp", "2"},
        {"", "C:\\orig.bmp", "0", "C:\\orig.bmp", "0"},
        // No Wallpaper value: none shown, none stored, style as it was.
        {std::nullopt, "C:\\orig.bmp", "abc", "", std::string("abc") + '\0'},
        {"", std::nullopt, "2", "", "2"},
        {std::nullopt, std::nullopt, std::nullopt, "", "<missing>"},
        // The blank an earlier clear left behind is kept as the path.
        {" ", "C:\\orig.bmp", "2", " ", "2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("wallpaper " + c.wallpaper.value_or("<none>"));
        reg = fake::FakeRegistry();
        sys = fake::FakeSystemSettings();
        mod.WallpaperCleared = false;
        Put("Wallpaper", c.wallpaper);
        Put("OriginalWallpaper", c.original);
        Put("WallpaperStyle", c.style);
        Put("TileWallpaper", std::string("0"));

        mod.ManageWallpaper(0);
        mod.ManageWallpaper(2);

        ASSERT_EQ(sys.wallpapers.size(), 2u);
        EXPECT_EQ(sys.wallpapers[1].path, c.want_path);
        EXPECT_EQ(Stored("WallpaperStyle"), c.want_style);
        if (!c.wallpaper) {
            EXPECT_EQ(Stored("Wallpaper"), "<missing>");
        }
    }
}

TEST_F(RegistryWallpaper, ClearSetsColourBlanksWallpaperAndFlags) {
    Put("Wallpaper", std::string("C:\\a.bmp"));
    mod.ManageWallpaper(0);

    ASSERT_EQ(sys.sys_colors.size(), 1u);
    EXPECT_EQ(sys.sys_colors[0].element, kColorBackground);
    EXPECT_EQ(sys.sys_colors[0].color, 0x100010u);
    EXPECT_EQ(reg.Bytes(kHkcu, kDesk, "Wallpaper"), " ");  // no NUL stored
    ASSERT_EQ(sys.wallpapers.size(), 1u);
    EXPECT_EQ(sys.wallpapers[0].path, "");
    EXPECT_EQ(sys.wallpapers[0].flags, kApplyFlags);
    EXPECT_TRUE(mod.WallpaperCleared);

    // The save reads the key with a trailing backslash, the writes go without.
    for (const auto& open : reg.CallsOf("open")) EXPECT_EQ(open.key, "HKCU\\Control Panel\\Desktop\\");
    for (const auto& create : reg.CallsOf("create"))
        if (create.key != "HKCU\\Software\\Mevra") {
            EXPECT_EQ(create.key, "HKCU\\Control Panel\\Desktop");
        }
}

TEST_F(RegistryWallpaper, RestoreWritesTileBeforeStyleThenAppliesPath) {
    Put("Wallpaper", std::string("C:\\a.bmp"));
    Put("WallpaperStyle", std::string("0"));
    Put("TileWallpaper", std::string("1"));
    mod.ManageWallpaper(0);
    reg.ClearCalls();
    mod.ManageWallpaper(2);
    auto sets = reg.CallsOf("set");
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0].name, "TileWallpaper");
    EXPECT_EQ(sets[1].name, "WallpaperStyle");
    EXPECT_EQ(sets[0].type, kRegSz);
    EXPECT_EQ(sys.wallpapers.back().path, "C:\\a.bmp");
}

TEST_F(RegistryWallpaper, RestoreWithoutSaveLeavesEverythingAlone) {
    Put("Wallpaper", std::string("C:\\a.bmp"));
    mod.ManageWallpaper(2);
    EXPECT_TRUE(reg.CallsOf("set").empty());
    EXPECT_TRUE(sys.wallpapers.empty());
    EXPECT_EQ(reg.Bytes(kHkcu, kDesk, "Wallpaper"), std::string("C:\\a.bmp") + '\0');
}

TEST_F(RegistryWallpaper, SecondClearKeepsTheFirstSave) {
    Put("Wallpaper", std::string("C:\\a.bmp"));
    Put("WallpaperStyle", std::string("2"));
    mod.ManageWallpaper(0);
    mod.ManageWallpaper(0);  // the desktop already shows the blank
    mod.ManageWallpaper(2);
    EXPECT_EQ(sys.wallpapers.back().path, "C:\\a.bmp");

    // Once the shell has let go of the clear, a new save reads afresh.
    mod.WallpaperCleared = false;
    Put("Wallpaper", std::string("C:\\b.bmp"));
    mod.ManageWallpaper(0);
    mod.ManageWallpaper(2);
    EXPECT_EQ(sys.wallpapers.back().path, "C:\\b.bmp");
}

TEST_F(RegistryWallpaper, OtherActionsDoNothing) {
    Put("Wallpaper", std::string("C:\\a.bmp"));
    for (std::int32_t action : {1, 3, -1}) mod.ManageWallpaper(action);
    EXPECT_TRUE(reg.Calls().empty());
    EXPECT_TRUE(sys.wallpapers.empty());
    EXPECT_FALSE(mod.WallpaperCleared);
}
