#include <gtest/gtest.h>
#include <string>
#include "desktop/RegistryMod.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSystemSettings.h"

using namespace mevra;

namespace {

constexpr std::uint32_t kHkcr = kHkeyClassesRoot;
constexpr std::uint32_t kHklm = kHkeyLocalMachine;
const std::string kOneZeroByte(1, '\0');

struct ArrowAndStartup : ::testing::Test {
    fake::FakeRegistry reg;
    fake::FakeSystemSettings sys;
    RegistryMod mod{reg, sys};

    void SetUp() override {
        reg.AddKey(kHkcr, "lnkfile");
        reg.AddKey(kHkcr, "piffile");
        reg.AddKey(kHklm, kWinlogonKey);
    }
    std::string Shell() { return reg.Bytes(kHklm, kWinlogonKey, "Shell"); }
};

}  // namespace

TEST_F(ArrowAndStartup, ArrowStateIsReadFromPiffileOnly) {
    struct Case { bool lnk, pif, piffile_key; std::string pif_data; bool want_hidden; } cases[] = {
        {true, true, true, "", false},
        {false, false, true, "", true},
        {true, false, true, "", true},   // lnkfile does not count
        {false, true, true, "", false},
        {false, true, true, std::string(254, 'x'), false},
        {false, true, true, std::string(255, 'x'), true},  // too long for the 255-byte buffer
        {true, false, false, "", true},  // no piffile key at all
    };
    for (const auto& c : cases) {
        reg = fake::FakeRegistry();
        reg.AddKey(kHkcr, "lnkfile");
        if (c.piffile_key) reg.AddKey(kHkcr, "piffile");
        if (c.lnk) reg.PutString(kHkcr, "lnkfile", "IsShortcut", "");
        if (c.pif) reg.PutString(kHkcr, "piffile", "IsShortcut", c.pif_data);
        mod.ArrowHidden = !c.want_hidden;
        mod.ReadArrowState();
        EXPECT_EQ(mod.ArrowHidden, c.want_hidden) << c.lnk << c.pif << c.piffile_key << c.pif_data.size();
        for (const auto& open : reg.CallsOf("open")) EXPECT_EQ(open.access, kKeyAllAccess);
        EXPECT_EQ(reg.OpenKeyCount(), 0u);
    }
}

TEST_F(ArrowAndStartup, ApplyArrowStateWritesOrDeletesBothValues) {
    mod.ArrowHidden = false;
    mod.ApplyArrowState();
    for (const char* key : {"lnkfile", "piffile"}) {
        const auto* v = reg.Find(kHkcr, key, "IsShortcut");
        ASSERT_NE(v, nullptr) << key;
        EXPECT_EQ(v->type, kRegSz);
        EXPECT_EQ(std::string(v->data.begin(), v->data.end()), kOneZeroByte);
    }
    mod.ReadArrowState();
    EXPECT_FALSE(mod.ArrowHidden);

    mod.ArrowHidden = true;
    mod.ApplyArrowState();
    EXPECT_EQ(reg.Find(kHkcr, "lnkfile", "IsShortcut"), nullptr);
    EXPECT_EQ(reg.Find(kHkcr, "piffile", "IsShortcut"), nullptr);
    mod.ReadArrowState();
    EXPECT_TRUE(mod.ArrowHidden);
    EXPECT_EQ(reg.OpenKeyCount(), 0u);
}

TEST_F(ArrowAndStartup, ApplyArrowStateCarriesOnPastAFailingKey) {
    reg = fake::FakeRegistry();
    reg.AddKey(kHkcr, "piffile");  // no lnkfile
    mod.ArrowHidden = false;
    mod.ApplyArrowState();
    EXPECT_FALSE(reg.HasKey(kHkcr, "lnkfile"));  // opened, never created
    EXPECT_EQ(reg.Bytes(kHkcr, "piffile", "IsShortcut"), kOneZeroByte);
    EXPECT_EQ(reg.OpenKeyCount(), 0u);
}

TEST_F(ArrowAndStartup, StartupLineIsRecognisedExactly) {
    struct Case { std::string module; std::string shell; bool want; } cases[] = {
        {"C:\\Tools\\Mevra.exe", "explorer.exe C:\\Tools\\Mevra.exe", true},
        {"C:\\Program Files\\Mevra\\Mevra.exe", "explorer.exe \"C:\\Program Files\\Mevra\\Mevra.exe\"", true},
        {"C:\\Program Files\\Mevra\\Mevra.exe", "explorer.exe C:\\Program Files\\Mevra\\Mevra.exe", false},
        {"C:\\Tools\\Mevra2.exe", "explorer.exe C:\\Tools\\Mevra2.exe", true},
        {"C:\\Tools\\Mevra2.exe", "explorer.exe C:\\Tools\\Mevra.exe", false},
        {"C:\\Tools\\Mevra.exe", "explorer.exe c:\\tools\\mevra.exe", false},  // case counts
        {"C:\\Tools\\Mevra.exe", "Explorer.exe C:\\Tools\\Mevra.exe", false},
        {"C:\\Tools\\Mevra.exe", "explorer.exe C:\\Tools\\Mevra.exe ", false},
        {"C:\\Tools\\Mevra.exe", "explorer.exe", false},
        {"C:\\Tools\\Mevra.exe", "", false},
    };
    for (const auto& c : cases) {
        sys.module_path = c.module;
        reg.PutString(kHklm, kWinlogonKey, "Shell", c.shell);
        EXPECT_EQ(mod.IsStartupSet(), c.want) << c.module << " | " << c.shell;
    }
    reg.PutString(kHklm, kWinlogonKey, "Shell", "explorer.exe C:\\Tools\\Mevra.exe");
    reg.MakeReadOnly(kHklm, kWinlogonKey);  // a user without rights sees nothing
    sys.module_path = "C:\\Tools\\Mevra.exe";
    EXPECT_FALSE(mod.IsStartupSet());
    EXPECT_EQ(reg.OpenKeyCount(), 0u);
}

TEST_F(ArrowAndStartup, StartupWrittenIsStartupRecognised) {
    for (const char* module : {"C:\\Tools\\Mevra.exe", "D:\\my apps\\Film Wall.exe", "C:\\WINDOWS\\Mevra2.exe"}) {
        sys.module_path = module;
        mod.SetStartup(true);
        const bool blank = std::string(module).find(' ') != std::string::npos;
        EXPECT_EQ(Shell(), std::string("explorer.exe ") + (blank ? "\"" : "") + module + (blank ? "\"" : ""));
        EXPECT_TRUE(mod.IsStartupSet()) << module;

        mod.SetStartup(false);
        EXPECT_EQ(Shell(), "explorer.exe");
        EXPECT_FALSE(mod.IsStartupSet());
    }
    EXPECT_EQ(reg.OpenKeyCount(), 0u);
}

TEST_F(ArrowAndStartup, NoModulePathMeansNoStartupLine) {
    reg.PutString(kHklm, kWinlogonKey, "Shell", "explorer.exe ");
    sys.module_path_raw = {"", 0};
    EXPECT_EQ(mod.StartupCommand(), "");
    EXPECT_FALSE(mod.IsStartupSet());
    mod.SetStartup(true);  // would otherwise leave "explorer.exe " with no program
    EXPECT_EQ(Shell(), std::string("explorer.exe ") + '\0');
    EXPECT_TRUE(reg.CallsOf("set").empty());
}
