#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "desktop/RegistryMod.h"
#include "desktop/WallpaperStyle.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSystemSettings.h"

using namespace mevra;
using namespace std::string_literals;

namespace {

constexpr std::uint32_t kHkcu = kHkeyCurrentUser;
const std::string kKey = "Software\\Probe";

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

struct RegistryAccess : ::testing::Test {
    fake::FakeRegistry reg;
    fake::FakeSystemSettings sys;
    RegistryMod mod{reg, sys};
};

}  // namespace

TEST_F(RegistryAccess, ReadsEachTypeAsText) {
    struct Case { const char* name; std::uint32_t type; std::vector<std::uint8_t> data; std::string want; } cases[] = {
        {"sz", kRegSz, Bytes("C:\\a b.bmp\0"s), "C:\\a b.bmp"},
        {"no nul", kRegSz, Bytes("abc"), "abc"},
        {"inner nul", kRegSz, Bytes("ab\0cd"s), "ab"},
        {"blank", kRegSz, Bytes(" "), " "},
        {"trailing blanks kept", kRegSz, Bytes("a  \0"s), "a  "},
        {"expand", kRegExpandSz, Bytes("%SystemRoot%\\x.bmp\0"s), "%SystemRoot%\\x.bmp"},
        {"dword", kRegDword, {0x78, 0x56, 0x34, 0x12}, "305419896"},
        {"dword max", kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}, "4294967295"},
        {"short dword", kRegDword, {0x01, 0x02}, ""},
        {"binary", kRegBinary, Bytes("abc"), ""},
        {"none", kRegNone, Bytes("abc"), ""},
    };
    for (const auto& c : cases) reg.PutRaw(kHkcu, kKey, c.name, c.type, c.data);
    for (const auto& c : cases) EXPECT_EQ(mod.GetRegValue(kHkcu, kKey, c.name), c.want) << c.name;
    EXPECT_EQ(reg.OpenKeyCount(), 0u);
}

TEST_F(RegistryAccess, BufferBoundaryAt1024Bytes) {
    struct Case { std::string data; std::string want; } cases[] = {
        {std::string(1023, 'x') + '\0', std::string(1023, 'x')},  // exactly fills the buffer
        {std::string(1024, 'y'), std::string(1024, 'y')},         // fills it with no NUL at all
        {std::string(1024, 'z') + '\0', ""},                      // one byte too many
        {std::string(4000, 'w'), ""},
    };
    for (const auto& c : cases) {
        reg.PutRaw(kHkcu, kKey, "v", kRegSz, Bytes(c.data));
        EXPECT_EQ(mod.GetRegValue(kHkcu, kKey, "v"), c.want) << c.data.size();
    }
    EXPECT_EQ(reg.OpenKeyCount(), 0u);
}

TEST_F(RegistryAccess, MissingKeyValueOrRightsAllReadAsEmpty) {
    reg.PutString(kHkcu, kKey, "here", "value");
    reg.PutString(kHkeyLocalMachine, "Locked", "here", "value");
    reg.MakeReadOnly(kHkeyLocalMachine, "Locked");
    EXPECT_EQ(mod.GetRegValue(kHkcu, "Software\\Nowhere", "here"), "");
    EXPECT_EQ(mod.GetRegValue(kHkcu, kKey, "elsewhere"), "");
    // A key a standard user may only read is read all the same.
    EXPECT_EQ(mod.GetRegValue(kHkeyLocalMachine, "Locked", "here"), "value");
    EXPECT_EQ(mod.GetRegValue(kHkcu, kKey + "\\", "HERE"), "value");  // Windows' matching rules
    for (const auto& open : reg.CallsOf("open")) EXPECT_EQ(open.access, kKeyRead) << open.key;
    EXPECT_EQ(reg.OpenKeyCount(), 0u);
}

TEST_F(RegistryAccess, WritesTextWithoutNulAndEmptyAsBlank) {
    struct Case { std::string value; std::string stored; } cases[] = {
        {"C:\\x.bmp", "C:\\x.bmp"},
        {"", " "},
        {" ", " "},
        {"explorer.exe \"C:\\a b\\m.exe\"", "explorer.exe \"C:\\a b\\m.exe\""},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(mod.SetRegString(kHkcu, "Software\\New\\Deep", "v", c.value));
        const auto* v = reg.Find(kHkcu, "Software\\New\\Deep", "v");
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->type, kRegSz);
        EXPECT_EQ(std::string(v->data.begin(), v->data.end()), c.stored);
        EXPECT_EQ(mod.GetRegValue(kHkcu, "Software\\New\\Deep", "v"), c.stored);
    }
    for (const auto& create : reg.CallsOf("create"))
        EXPECT_EQ(create.access, kKeyQueryValue | kKeySetValue);
    EXPECT_EQ(reg.OpenKeyCount(), 0u);
}

TEST_F(RegistryAccess, WriteFailuresReportFalseAndCloseTheKey) {
    reg.MakeReadOnly(kHkeyLocalMachine, "Locked");
    EXPECT_FALSE(mod.SetRegString(kHkeyLocalMachine, "Locked", "v", "x"));
    EXPECT_FALSE(reg.Find(kHkeyLocalMachine, "Locked", "v"));
    reg.FailSets(true);
    EXPECT_FALSE(mod.SetRegString(kHkcu, kKey, "v", "x"));
    EXPECT_EQ(reg.CallsOf("close").size(), 1u);
    EXPECT_EQ(reg.OpenKeyCount(), 0u);
}

TEST(TextFromBuffer, StopsAtNulOrReportedSizeWhicheverFirst) {
    const char full[4] = {'a', 'b', 'c', 'd'};  // no NUL anywhere
    struct Case { const char* buf; std::size_t cap, reported; std::string want; } cases[] = {
        {full, 4, 4, "abcd"},
        {full, 4, 2, "ab"},
        {full, 4, 99, "abcd"},  // a count beyond the buffer is not believed
        {"ab\0cd", 5, 5, "ab"},
        {"ab  ", 4, 4, "ab  "},
        {nullptr, 4, 4, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(TextFromBuffer(c.buf, c.cap, c.reported), c.want);
}

TEST(SystemDirectories, TakeOnlyWhatWindowsReported) {
    fake::FakeSystemSettings sys;
    EXPECT_EQ(WindowsDirectory(sys), "C:\\WINDOWS");
    // A filled 256-byte buffer without a NUL and a count saying so: too long.
    sys.windows_dir_raw = {std::string(300, 'w'), 257};
    EXPECT_EQ(WindowsDirectory(sys), "");
    sys.windows_dir_raw = {"C:\\WINNT  junk", 9};  // count trims, then blanks go
    EXPECT_EQ(WindowsDirectory(sys), "C:\\WINNT");
    sys.windows_dir_raw = {"", 0};
    EXPECT_EQ(WindowsDirectory(sys), "");

    EXPECT_EQ(ModulePath(sys), "C:\\Program Files\\Mevra\\Mevra.exe");
    sys.module_path = "C:\\" + std::string(400, 'd') + "\\Mevra.exe";  // longer than MAX_PATH
    EXPECT_EQ(ModulePath(sys), sys.module_path);
    EXPECT_EQ(sys.module_path_sizes.back(), 520u);
    sys.module_path = std::string(40000, 'p');  // never fits: no truncated path
    EXPECT_EQ(ModulePath(sys), "");
    EXPECT_EQ(sys.module_path_sizes.back(), 32768u);
    sys.module_path_raw = {"C:\\m.exeGARBAGE", 8};
    EXPECT_EQ(ModulePath(sys), "C:\\m.exe");
}

TEST(WallpaperStyleNumbers, RoundHalvesToEvenAndRefuseWhatDoesNotFit) {
    struct Case { const char* text; bool number; std::optional<std::int16_t> value; } cases[] = {
        {"0", true, 0}, {"2", true, 2}, {" 6 ", true, 6}, {"-1", true, -1},
        {"0.5", true, 0}, {"1.5", true, 2}, {"2.5", true, 2}, {"2.51", true, 3}, {"-2.5", true, -2},
        {"32767", true, 32767}, {"32767.5", true, std::nullopt}, {"-32768", true, -32768},
        {"32768", true, std::nullopt}, {"99999999999999999999", true, std::nullopt},
        {"1E3", true, 1000}, {"1E300", true, std::nullopt},
        {"", false, std::nullopt}, {" ", false, std::nullopt}, {"abc", false, std::nullopt},
        {"2x", false, std::nullopt}, {"-", false, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsNumberText(c.text), c.number) << c.text;
        EXPECT_EQ(ToInt16Rounded(c.text), c.value) << c.text;
    }
}
