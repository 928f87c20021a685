// Forced into every C++ compile of the Windows builds (cmake/windows.cmake).
// libstdc++ declares std::string's members as already instantiated in the library,
// so a static link takes that whole instantiation, with its unwind tables (which the
// linker always keeps): 33 KB, where the program uses a fraction of it. -1 turns off
// only those declarations, as the library itself does in C++20 mode, so each object
// builds the members it uses; every other library setting stays as it was.
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE -1
