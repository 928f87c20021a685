// Runs against Wine's registry in a throwaway prefix, never a real Windows one:
// every fixture refuses to run outside Wine.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>
#include "desktop/RegistryMod.h"
#include "desktop/Registry_win.h"
#include "desktop/SystemSettings_win.h"
#include "desktop/WallpaperJournal.h"

using namespace mevra;

namespace {

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

struct RawValue {
    DWORD type = 0;
    std::string bytes;
};

std::optional<RawValue> RawGet(HKEY hive, const std::string& path, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    UniqueRegKey guard(key);
    std::vector<BYTE> data(70000);
    DWORD size = static_cast<DWORD>(data.size()), type = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    return RawValue{type, std::string(data.begin(), data.begin() + size)};
}

// Stores bytes as given. Windows adds a NUL to a string value whose passed
// bytes are followed by one in memory, so a value meant to end without a NUL
// is passed with a non-zero byte after it.
void RawSet(HKEY hive, const std::string& path, const std::string& name, DWORD type,
            const std::string& bytes, bool unterminated = false) {
    const std::string buffer = unterminated ? bytes + 'X' : bytes;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(hive, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    UniqueRegKey guard(key);
    ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(buffer.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
}

void RawDelete(HKEY hive, const std::string& path, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    UniqueRegKey guard(key);
    RegDeleteValueA(key, name.c_str());
}

// Puts a value back the way it was found (or removes it if it was absent).
void RawRestore(HKEY hive, const std::string& path, const std::string& name,
                const std::optional<RawValue>& was) {
    if (was) RawSet(hive, path, name, was->type, was->bytes);
    else RawDelete(hive, path, name);
}

void DeleteTree(HKEY hive, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    std::vector<std::string> children;
    {
        UniqueRegKey guard(key);
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD len = sizeof name;
            if (RegEnumKeyExA(key, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            children.emplace_back(name, len);
        }
    }
    for (const auto& child : children) DeleteTree(hive, path + "\\" + child);
    RegDeleteKeyA(hive, path.c_str());
}

std::string RunningExe() {
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n);
}

const std::string kScratch = "Software\\MevraDesktopTest";
const std::string kDesk = "Control Panel\\Desktop";
const char* const kDeskValues[] = {"Wallpaper", "WallpaperStyle", "TileWallpaper", "OriginalWallpaper"};

struct RegistryWine : ::testing::Test {
    Win32Registry reg;
    Win32SystemSettings sys;
    RegistryMod mod{reg, sys};

    void SetUp() override {
        if (!UnderWine()) GTEST_FAIL() << "these tests change the registry: run them under Wine only";
        DeleteTree(HKEY_CURRENT_USER, kScratch);
    }
    void TearDown() override { DeleteTree(HKEY_CURRENT_USER, kScratch); }
};

}  // namespace

TEST_F(RegistryWine, JournalRoundTripsAndGoesWithItsKey) {
    DeleteTree(HKEY_CURRENT_USER, kJournalKey);
    WallpaperJournal journal(reg);
    WallpaperRecord record;
    const std::string path("C:\\x.bmp\0", 10);
    record.wallpaper = SavedValue{true, REG_SZ, std::vector<std::uint8_t>(path.begin(), path.end())};
    record.style = SavedValue{true, REG_SZ, {'2', 0}};
    ASSERT_TRUE(journal.Write(record));
    const auto raw = RawGet(HKEY_CURRENT_USER, kJournalKey, kJournalValue);
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, static_cast<DWORD>(REG_BINARY));
    WallpaperRecord back;
    ASSERT_EQ(journal.Read(back), JournalState::Complete);
    EXPECT_EQ(back, record);

    // Another value keeps the key; without it the key goes with the journal.
    RawSet(HKEY_CURRENT_USER, kJournalKey, "Other", REG_SZ, std::string("x", 2));
    journal.Remove();
    EXPECT_FALSE(RawGet(HKEY_CURRENT_USER, kJournalKey, kJournalValue));
    EXPECT_TRUE(RawGet(HKEY_CURRENT_USER, kJournalKey, "Other"));
    ASSERT_TRUE(journal.Write(record));
    RawDelete(HKEY_CURRENT_USER, kJournalKey, "Other");
    journal.Remove();
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kJournalKey, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(journal.Read(back), JournalState::None);
}

TEST_F(RegistryWine, RootKeysMapToWindowsOwn) {
    EXPECT_EQ(HiveToHkey(kHkeyClassesRoot), HKEY_CLASSES_ROOT);
    EXPECT_EQ(HiveToHkey(kHkeyCurrentUser), HKEY_CURRENT_USER);
    EXPECT_EQ(HiveToHkey(kHkeyLocalMachine), HKEY_LOCAL_MACHINE);
}

// The text goes to Windows without its NUL; Windows (NT and Wine alike) counts
// the NUL that follows it in memory, so the stored value ends with exactly one.
TEST_F(RegistryWine, StringsAreStoredAsTheTextAloneAndEmptyAsBlank) {
    struct Case { std::string value, stored; } cases[] = {
        {"C:\\x.bmp", "C:\\x.bmp"}, {"", " "}, {"a b ", "a b "}, {std::string(1500, 'q'), std::string(1500, 'q')},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(mod.SetRegString(kHkeyCurrentUser, kScratch + "\\Made\\Here", "v", c.value));
        auto raw = RawGet(HKEY_CURRENT_USER, kScratch + "\\Made\\Here", "v");
        ASSERT_TRUE(raw);
        EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(raw->bytes.size(), c.stored.size() + 1);
        EXPECT_EQ(raw->bytes, c.stored + '\0');
        const std::string want = c.stored.size() < 1024 ? c.stored : "";  // too long to read back
        EXPECT_EQ(mod.GetRegValue(kHkeyCurrentUser, kScratch + "\\Made\\Here", "v"), want);
    }
}

TEST_F(RegistryWine, ReadsAtTheBufferBoundaryAndByType) {
    struct Case { const char* name; DWORD type; std::string bytes, want; } cases[] = {
        {"fills", REG_SZ, std::string(1023, 'x') + '\0', std::string(1023, 'x')},

        {"one over", REG_SZ, std::string(1024, 'z') + '\0', ""},
        {"far over", REG_SZ, std::string(5000, 'w'), ""},
        {"expand", REG_EXPAND_SZ, std::string("%SystemRoot%\\web.bmp") + '\0', "%SystemRoot%\\web.bmp"},
        {"dword", REG_DWORD, std::string("\x78\x56\x34\x12", 4), "305419896"},
        {"dword high", REG_DWORD, std::string("\xFF\xFF\xFF\xFF", 4), "4294967295"},
        {"binary", REG_BINARY, "abc", ""},
    };
    for (const auto& c : cases) RawSet(HKEY_CURRENT_USER, kScratch, c.name, c.type, c.bytes);
    // Values without any NUL, up to the buffer's full size: read, never overrun.
    RawSet(HKEY_CURRENT_USER, kScratch, "bare", REG_SZ, "abc", true);
    RawSet(HKEY_CURRENT_USER, kScratch, "fills without nul", REG_SZ, std::string(1024, 'y'), true);
    ASSERT_EQ(RawGet(HKEY_CURRENT_USER, kScratch, "fills without nul")->bytes.size(), 1024u);
    EXPECT_EQ(mod.GetRegValue(kHkeyCurrentUser, kScratch, "bare"), "abc");
    EXPECT_EQ(mod.GetRegValue(kHkeyCurrentUser, kScratch, "fills without nul"), std::string(1024, 'y'));
    for (const auto& c : cases) EXPECT_EQ(mod.GetRegValue(kHkeyCurrentUser, kScratch, c.name), c.want) << c.name;
}

TEST_F(RegistryWine, MissingKeyAndMissingValueBothReadEmpty) {
    RawSet(HKEY_CURRENT_USER, kScratch, "there", REG_SZ, std::string("x") + '\0');
    // Windows tells the two apart...
    Registry::Key key = 0;
    EXPECT_EQ(reg.OpenKey(kHkeyCurrentUser, kScratch + "\\Absent", kKeyAllAccess, key), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(reg.OpenKey(kHkeyCurrentUser, kScratch, kKeyAllAccess, key), ERROR_SUCCESS);
    std::uint8_t buf[8];
    std::uint32_t size = sizeof buf, type = 0;
    EXPECT_EQ(reg.QueryValue(key, "absent", type, buf, size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(reg.CloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(reg.CloseKey(key), ERROR_INVALID_HANDLE);  // closed once only
    // ...the text reader does not.
    EXPECT_EQ(mod.GetRegValue(kHkeyCurrentUser, kScratch + "\\Absent", "there"), "");
    EXPECT_EQ(mod.GetRegValue(kHkeyCurrentUser, kScratch, "absent"), "");
    EXPECT_EQ(mod.GetRegValue(kHkeyCurrentUser, kScratch + "\\", "there"), "x");  // trailing backslash
}

namespace {

struct ArrowWine : RegistryWine {
    std::optional<RawValue> lnk_was, pif_was;
    bool pif_existed = false;

    void SetUp() override {
        RegistryWine::SetUp();
        if (HasFatalFailure()) return;
        lnk_was = RawGet(HKEY_CLASSES_ROOT, "lnkfile", "IsShortcut");
        pif_was = RawGet(HKEY_CLASSES_ROOT, "piffile", "IsShortcut");
        HKEY key = nullptr;
        pif_existed = RegOpenKeyExA(HKEY_CLASSES_ROOT, "piffile", 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (pif_existed) RegCloseKey(key);
        // The class keys exist on Windows; a fresh Wine prefix lacks piffile.
        RawSet(HKEY_CLASSES_ROOT, "piffile", "MevraProbe", REG_SZ, "x");
        RawDelete(HKEY_CLASSES_ROOT, "piffile", "MevraProbe");
    }
    void TearDown() override {
        RawRestore(HKEY_CLASSES_ROOT, "lnkfile", "IsShortcut", lnk_was);
        if (pif_existed) RawRestore(HKEY_CLASSES_ROOT, "piffile", "IsShortcut", pif_was);
        else DeleteTree(HKEY_CLASSES_ROOT, "piffile");
        RegistryWine::TearDown();
    }
};

}  // namespace

TEST_F(ArrowWine, ShownWritesOneZeroByteHiddenDeletesBoth) {
    mod.ArrowHidden = false;
    mod.ApplyArrowState();
    for (const char* cls : {"lnkfile", "piffile"}) {
        auto raw = RawGet(HKEY_CLASSES_ROOT, cls, "IsShortcut");
        ASSERT_TRUE(raw) << cls;
        EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(raw->bytes, std::string(1, '\0')) << cls;
    }
    mod.ArrowHidden = true;
    mod.ReadArrowState();
    EXPECT_FALSE(mod.ArrowHidden);

    mod.ArrowHidden = true;
    mod.ApplyArrowState();
    EXPECT_FALSE(RawGet(HKEY_CLASSES_ROOT, "lnkfile", "IsShortcut"));
    EXPECT_FALSE(RawGet(HKEY_CLASSES_ROOT, "piffile", "IsShortcut"));
    mod.ReadArrowState();
    EXPECT_TRUE(mod.ArrowHidden);
}

TEST_F(ArrowWine, OnlyPiffileDecidesTheState) {
    RawSet(HKEY_CLASSES_ROOT, "lnkfile", "IsShortcut", REG_SZ, std::string(1, '\0'));
    RawDelete(HKEY_CLASSES_ROOT, "piffile", "IsShortcut");
    mod.ReadArrowState();
    EXPECT_TRUE(mod.ArrowHidden);

    RawDelete(HKEY_CLASSES_ROOT, "lnkfile", "IsShortcut");
    RawSet(HKEY_CLASSES_ROOT, "piffile", "IsShortcut", REG_SZ, "yes");
    mod.ReadArrowState();
    EXPECT_FALSE(mod.ArrowHidden);
}

namespace {

const std::string kWinlogon = kWinlogonKey;
// Set for a copy of this executable run from a folder with a blank in its
// name; see StartupWine.WrittenByAProgramInABlankFolder.
constexpr char kChildVariable[] = "MEVRA_STARTUP_CHILD";

struct StartupWine : RegistryWine {
    std::optional<RawValue> shell_was;
    void SetUp() override {
        RegistryWine::SetUp();
        if (HasFatalFailure()) return;
        shell_was = RawGet(HKEY_LOCAL_MACHINE, kWinlogon, "Shell");
    }
    void TearDown() override {
        // The copied child leaves its line for the parent to look at.
        if (!std::getenv(kChildVariable)) RawRestore(HKEY_LOCAL_MACHINE, kWinlogon, "Shell", shell_was);
        RegistryWine::TearDown();
    }
    std::string Shell() {
        auto raw = RawGet(HKEY_LOCAL_MACHINE, kWinlogon, "Shell");
        return raw ? raw->bytes : "<missing>";
    }
};

}  // namespace

TEST_F(StartupWine, WrittenRecognisedAndRemovedForThisExecutable) {
    const std::string exe = RunningExe();
    ASSERT_EQ(exe.find(' '), std::string::npos) << "this case wants a path without blanks";
    mod.SetStartup(true);
    EXPECT_EQ(Shell(), "explorer.exe " + exe + '\0');
    EXPECT_TRUE(mod.IsStartupSet());

    std::string shouted = "explorer.exe " + exe;
    CharUpperBuffA(&shouted[0], static_cast<DWORD>(shouted.size()));
    RawSet(HKEY_LOCAL_MACHINE, kWinlogon, "Shell", REG_SZ, shouted + '\0');
    EXPECT_FALSE(mod.IsStartupSet());

    mod.SetStartup(false);
    EXPECT_EQ(Shell(), std::string("explorer.exe") + '\0');
    EXPECT_FALSE(mod.IsStartupSet());

    RawDelete(HKEY_LOCAL_MACHINE, kWinlogon, "Shell");
    EXPECT_FALSE(mod.IsStartupSet());
}

TEST_F(StartupWine, ChildSwitchesStartupOn) {
    if (!std::getenv(kChildVariable)) GTEST_SKIP() << "only run as the copied child";
    mod.SetStartup(true);
    EXPECT_TRUE(mod.IsStartupSet());
}

TEST_F(StartupWine, WrittenByAProgramInABlankFolder) {
    if (std::getenv(kChildVariable)) GTEST_SKIP();
    char temp[MAX_PATH] = {};
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    const std::string folder = std::string(temp) + "mevra desktop test";
    const std::string copy = folder + "\\Film Wall.exe";
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(RunningExe().c_str(), copy.c_str(), FALSE));

    SetEnvironmentVariableA(kChildVariable, "1");
    std::string command = "\"" + copy + "\" --gtest_filter=StartupWine.ChildSwitchesStartupOn";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    const BOOL started = CreateProcessA(copy.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                        nullptr, &si, &pi);
    SetEnvironmentVariableA(kChildVariable, nullptr);
    ASSERT_TRUE(started);
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(code, 0u);

    EXPECT_EQ(Shell(), "explorer.exe \"" + copy + "\"" + '\0');
    EXPECT_FALSE(mod.IsStartupSet());  // the line names the copy, not this program
    DeleteFileA(copy.c_str());
    RemoveDirectoryA(folder.c_str());
}

namespace {

// Wine takes any path as the wallpaper and stores it; the file need not exist.
const std::string kBitmap = "C:\\windows\\mevra-tiles.bmp";

struct WallpaperWine : RegistryWine {
    std::optional<RawValue> was[4];
    COLORREF colour_was = 0;

    void SetUp() override {
        RegistryWine::SetUp();
        if (HasFatalFailure()) return;
        for (int i = 0; i < 4; ++i) was[i] = RawGet(HKEY_CURRENT_USER, kDesk, kDeskValues[i]);
        colour_was = GetSysColor(COLOR_BACKGROUND);
    }
    void TearDown() override {
        for (int i = 0; i < 4; ++i) RawRestore(HKEY_CURRENT_USER, kDesk, kDeskValues[i], was[i]);
        const INT element = COLOR_BACKGROUND;
        SetSysColors(1, &element, &colour_was);
        RegistryWine::TearDown();
    }
    void Put(const char* name, const std::optional<std::string>& text) {
        if (text) RawSet(HKEY_CURRENT_USER, kDesk, name, REG_SZ, *text + '\0');
        else RawDelete(HKEY_CURRENT_USER, kDesk, name);
    }
    std::string Text(const char* name) {
        auto raw = RawGet(HKEY_CURRENT_USER, kDesk, name);
        if (!raw) return "<missing>";
        return raw->bytes.substr(0, raw->bytes.find('\0'));
    }
};

}  // namespace

TEST_F(WallpaperWine, RoundTripsKeepTileAndStyle) {
    const std::nullopt_t none = std::nullopt;
    struct Case {
        std::optional<std::string> style, tile;
        std::string want_style, want_tile;
    } cases[] = {
        {"0", "1", "0", "1"},  // tiled in, tiled out
        {"0", "0", "0", "0"},  // centred
        {"2", "0", "2", "0"},  // stretched
        {"6", "0", "6", "0"},
        {"abc", "1", "2", "0"},
        // Absent stays absent, whatever was written meanwhile.
        {none, none, "<missing>", "<missing>"},
        {"1", none, "1", "<missing>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("style " + c.style.value_or("<none>") + ", tile " + c.tile.value_or("<none>"));
        mod.WallpaperCleared = false;
        Put("Wallpaper", kBitmap);
        Put("WallpaperStyle", c.style);
        Put("TileWallpaper", c.tile);

        mod.ManageWallpaper(0);
        EXPECT_TRUE(mod.WallpaperCleared);
        EXPECT_EQ(GetSysColor(COLOR_BACKGROUND), RGB(16, 0, 16));
        EXPECT_NE(Text("Wallpaper"), kBitmap);
        // Something else touches the style while the film runs.
        Put("WallpaperStyle", std::string("9"));
        Put("TileWallpaper", std::string("9"));

        mod.ManageWallpaper(2);
        EXPECT_EQ(Text("WallpaperStyle"), c.want_style);
        EXPECT_EQ(Text("TileWallpaper"), c.want_tile);
        EXPECT_EQ(Text("Wallpaper"), kBitmap);
    }
}

TEST_F(WallpaperWine, EmptyWallpaperFallsBackToOriginalWallpaper) {
    Put("Wallpaper", std::string());
    Put("OriginalWallpaper", kBitmap);
    Put("WallpaperStyle", std::string("2"));
    Put("TileWallpaper", std::string("0"));
    mod.ManageWallpaper(0);
    mod.ManageWallpaper(2);
    EXPECT_EQ(Text("Wallpaper"), kBitmap);
    EXPECT_EQ(Text("WallpaperStyle"), "2");
}
