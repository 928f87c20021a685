#pragma once
// A function of a system DLL that the program needs only after start-up (to play or
// show About): the DLL is loaded on first use, so showing the tray icon does not wait
// for it to load and initialise. nullptr when the DLL or the function is missing.
#include <windows.h>

namespace mevra {

template <typename Fn>
Fn FunctionIn(HMODULE dll, const char* name) {
    return dll ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, name))) : nullptr;
}

// The program's own reference keeps the DLL loaded until the program ends, even when
// whatever else had loaded it (the open dialog's DLLs) is unloaded.
template <typename Fn>
Fn LateBound(const char* dll, const char* name) {
    return FunctionIn<Fn>(LoadLibraryA(dll), name);
}

}  // namespace mevra
