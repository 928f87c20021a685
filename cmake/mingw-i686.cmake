# Cross build of the 32-bit Windows program with MinGW-w64.
# The -posix compilers carry std::mutex, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MEVRA_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${MEVRA_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MEVRA_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${MEVRA_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MEVRA_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
