// Late-bound DLLs come from the system folder only, never from the program's own folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include "base/LateBound_win.h"

namespace mevra {
namespace {

std::string Lower(std::string s) {
    CharLowerBuffA(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

std::string ModuleFile(HMODULE m) {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(m, path, MAX_PATH);
    return Lower(std::string(path, n));
}

TEST(SystemLibraries, ComeFromTheSystemFolderAndNowhereElse) {
    EXPECT_TRUE(RestrictDllSearchToSystem()) << "Wine has SetDefaultDllDirectories";
    char dir[MAX_PATH] = {};
    const std::string system = Lower(std::string(dir, GetSystemDirectoryA(dir, MAX_PATH))) + "\\";
    for (const char* dll : {"winmm.dll", "comdlg32.dll", "comctl32.dll", "wtsapi32.dll"}) {
        const HMODULE m = LoadSystemLibrary(dll);
        ASSERT_NE(m, nullptr) << dll;
        EXPECT_EQ(ModuleFile(m).rfind(system, 0), 0u) << dll << " from " << ModuleFile(m);
    }

    // A DLL beside the program, as in a Downloads folder, is never the one loaded.
    char self[MAX_PATH] = {};
    std::string planted(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
    planted = planted.substr(0, planted.find_last_of('\\') + 1) + "mevraplanted.dll";
    ASSERT_TRUE(CopyFileA((system + "winmm.dll").c_str(), planted.c_str(), FALSE));
    EXPECT_EQ(LoadSystemLibrary("mevraplanted.dll"), nullptr);
    EXPECT_EQ(LoadLibraryExA("mevraplanted.dll", nullptr, 0), nullptr)
        << "the restricted search still looked in the program's folder";
    DeleteFileA(planted.c_str());
}

}  // namespace
}  // namespace mevra
