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
        for (const auto& open : reg.CallsOf("open")) EXPECT_EQ(open.access, kKeyRead);
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
    reg.MakeReadOnly(kHklm, kWinlogonKey);  // a standard user reads it all the same
    sys.module_path = "C:\\Tools\\Mevra.exe";
    EXPECT_TRUE(mod.IsStartupSet());
    EXPECT_EQ(reg.OpenKeyCount(), 0u);
}

TEST_F(ArrowAndStartup, StartupWrittenIsStartupRecognised) {
    for (const char* module : {"C:\\Tools\\Mevra.exe", "D:\\my apps\\Film Wall.exe", "C:\\WINDOWS\\Mevra2.exe"}) {
        sys.module_path = module;
        mod.SetStartup(true);
        const bool blank = std::string(module).find(' ') != std::string::npos;
        EXPECT_EQ(Shell(), std::string("explorer.exe ") + (blank ? "\"" : "") + module +
                               (blank ? "\"" : "") + '\0');
        EXPECT_TRUE(mod.IsStartupSet()) << module;

        mod.SetStartup(false);
        EXPECT_EQ(Shell(), std::string("explorer.exe") + '\0');
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

// The 32-bit build runs redirected to Wow6432Node unless it asks for the 64-bit view,
// which the 64-bit logon reads; the class keys are shared and need no view.
TEST_F(ArrowAndStartup, LogonKeyIsAlwaysOpenedInThe64BitView) {
    sys.module_path = "C:\\Tools\\Mevra.exe";
    mod.SetStartup(true);
    mod.IsStartupSet();
    mod.SetStartup(false);
    mod.ArrowHidden = true;
    mod.ApplyArrowState();
    int logon = 0;
    for (const auto& call : reg.Calls()) {
        if (call.op != "open" && call.op != "create") continue;
        const bool isLogon = call.key.find("Winlogon") != std::string::npos;
        logon += isLogon;
        EXPECT_EQ((call.access & kKeyWow64_64Key) != 0, isLogon) << call.op << " " << call.key;
        EXPECT_EQ(call.access & ~(kKeyRead | kKeySetValue | kKeyWow64_64Key), 0u) << call.key;
    }
    EXPECT_GE(logon, 4);
}

TEST_F(ArrowAndStartup, WritesReportWhetherWindowsHoldsTheChange) {
    enum class Lock { none, readOnly, virtualised, missing };
    struct Case { const char* name; Lock lock; SettingChange want; } cases[] = {
        {"written", Lock::none, SettingChange::written},
        {"refused", Lock::readOnly, SettingChange::needsAdmin},
        {"kept in the virtual store", Lock::virtualised, SettingChange::needsAdmin},
        {"no such key", Lock::missing, SettingChange::failed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reg = fake::FakeRegistry();
        sys.module_path = "C:\\Tools\\Mevra.exe";
        if (c.lock != Lock::missing) reg.AddKey(kHkcr, "lnkfile");
        reg.AddKey(kHkcr, "piffile");
        reg.PutString(kHkcr, "piffile", "IsShortcut", "");
        reg.AddKey(kHklm, kWinlogonKey);
        reg.PutString(kHklm, kWinlogonKey, "Shell", "explorer.exe");
        for (const auto& key : {std::string("lnkfile"), std::string("piffile")}) {
            if (c.lock == Lock::readOnly) reg.MakeReadOnly(kHkcr, key);
            if (c.lock == Lock::virtualised) reg.Virtualise(kHkcr, key);
        }
        if (c.lock == Lock::readOnly) reg.MakeReadOnly(kHklm, kWinlogonKey);
        if (c.lock == Lock::virtualised) reg.Virtualise(kHklm, kWinlogonKey);

        mod.ArrowHidden = true;
        EXPECT_EQ(mod.ApplyArrowState(), c.want);
        const bool held = mod.ArrowHidden;
        mod.ReadArrowState();
        EXPECT_EQ(held, mod.ArrowHidden) << "not what Windows holds";
        if (c.want == SettingChange::needsAdmin) {
            EXPECT_FALSE(held);
        }
        if (c.lock != Lock::missing) {
            EXPECT_EQ(mod.SetStartup(true), c.want);
            EXPECT_EQ(mod.IsStartupSet(), c.want == SettingChange::written);
        }
        EXPECT_EQ(reg.OpenKeyCount(), 0u);
    }
}
