#pragma once
// A function of a system DLL that the program needs only after start-up (to play or
// show About): the DLL is loaded on first use, so showing the tray icon does not wait
// for it to load and initialise. nullptr when the DLL or the function is missing.
//
// Only Windows' own copies are ever loaded: the portable program may sit in a
// Downloads folder beside a DLL of the same name.
#include <windows.h>

#include <string>

namespace mevra {

constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;
#ifdef LOAD_LIBRARY_SEARCH_SYSTEM32
static_assert(kLoadLibrarySearchSystem32 == LOAD_LIBRARY_SEARCH_SYSTEM32);
#endif

template <typename Fn>
Fn FunctionIn(HMODULE dll, const char* name) {
    return dll ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, name))) : nullptr;
}

// From here on every DLL Windows loads for the process, and every DLL those pull in, comes
// from System32. Windows 8 and later, and 7 and Vista with KB2533623; false elsewhere.
inline bool RestrictDllSearchToSystem() {
    using Fn = BOOL(WINAPI*)(DWORD);
    const auto setDefault =
        FunctionIn<Fn>(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    return setDefault && setDefault(kLoadLibrarySearchSystem32);
}

// dll ("winmm.dll") from the system folder by its full path, which holds also where the
// search cannot be restricted; nullptr when it is not there.
inline HMODULE LoadSystemLibrary(const char* dll) {
    char dir[MAX_PATH];
    const UINT n = GetSystemDirectoryA(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    const std::string path = std::string(dir, n) + "\\" + dll;
    return LoadLibraryA(path.c_str());
}

// The program's own reference keeps the DLL loaded until the program ends, even when
// whatever else had loaded it (the open dialog's DLLs) is unloaded.
template <typename Fn>
Fn LateBound(const char* dll, const char* name) {
    return FunctionIn<Fn>(LoadSystemLibrary(dll), name);
}

}  // namespace mevra
