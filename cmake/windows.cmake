# Windows (MinGW): the program, the Win32 adapters and the Wine-run tests.
# From Linux, ctest runs the Windows tests through Wine.
if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/lib/wine-exec)
endif()
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/resources -I${CMAKE_BINARY_DIR}/generated")
# Static runtime: Mevra.exe imports nothing but Windows' own DLLs. Unused code is
# dropped and release builds are stripped, to keep the program small. (The linker keeps
# every unwind table, and with it each function one describes: size is won by what is
# never linked in, so read Mevra.map before choosing what to change.)
add_compile_options(-ffunction-sections -fdata-sections)
# std::string built from the headers (cmake/implicit-string.h says why), and no run-time
# type information beyond what exceptions need: nothing uses dynamic_cast or typeid.
set(win_cxx_size_flags
    "$<$<COMPILE_LANGUAGE:CXX>:SHELL:-include ${CMAKE_SOURCE_DIR}/cmake/implicit-string.h>"
    $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti>)
add_compile_options(${win_cxx_size_flags})
# The core library is made before this file is read, so it takes them itself.
target_compile_options(mevra_core PRIVATE ${win_cxx_size_flags})
# Optimised for size: the program waits on messages nearly all the time.
string(REPLACE "-O3" "-Os" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")
string(REPLACE "-O3" "-Os" CMAKE_C_FLAGS_RELEASE "${CMAKE_C_FLAGS_RELEASE}")
set(static_link -static -static-libgcc -static-libstdc++ -Wl,--gc-sections $<$<CONFIG:Release>:-s>)
set(win_libs winmm comdlg32 comctl32 shell32 user32 gdi32 advapi32 kernel32)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501)

if(win_sources)
  add_library(mevra_win STATIC ${win_sources})
  target_compile_options(mevra_win PRIVATE ${MEVRA_WARNINGS})
  target_link_libraries(mevra_win PUBLIC mevra_core ${win_libs})
else()
  add_library(mevra_win INTERFACE)
  target_link_libraries(mevra_win INTERFACE mevra_core ${win_libs})
endif()

set(rc_file ${CMAKE_SOURCE_DIR}/resources/Mevra.rc)
add_library(mevra_res OBJECT ${rc_file})

add_executable(Mevra WIN32 ${CMAKE_SOURCE_DIR}/shell/WinMain_win.cpp $<TARGET_OBJECTS:mevra_res>)
target_compile_options(Mevra PRIVATE ${MEVRA_WARNINGS})
# One user-interface thread runs all of the program's code: guarded statics would link
# the threads library's once-only machinery for nothing.
target_compile_options(mevra_core PRIVATE -fno-threadsafe-statics)
target_compile_options(mevra_win PRIVATE -fno-threadsafe-statics)
target_compile_options(Mevra PRIVATE -fno-threadsafe-statics)
target_link_libraries(Mevra PRIVATE mevra_win)
target_link_options(Mevra PRIVATE ${static_link} -mwindows -Wl,-Map=${CMAKE_BINARY_DIR}/Mevra.map)
# The program links the runtime of the win32 thread model: the posix one brings the
# threads library, which imports GetTickCount64 (Vista) and so stops Mevra from starting
# on XP, and 30 KB with it. The tests keep the posix runtime, whose std::mutex GoogleTest
# needs; the objects are the same (no thread is ever started).
string(REGEX REPLACE "-posix$" "-win32" program_linker "${CMAKE_CXX_COMPILER}")
if(NOT program_linker STREQUAL CMAKE_CXX_COMPILER AND EXISTS "${program_linker}")
  set_target_properties(Mevra PROPERTIES
    CXX_LINKER_LAUNCHER "${CMAKE_SOURCE_DIR}/cmake/link-with;${program_linker}")
endif()

# Helper programs for tests and the run command: the stand-in desktop shell (a
# window program) and the probe (a console program).
function(mevra_standin name)  # then WIN32 for a window program
  add_executable(${name} ${ARGN} ${CMAKE_SOURCE_DIR}/tests/standin/${name}.cpp)
  target_compile_options(${name} PRIVATE ${MEVRA_WARNINGS})
  target_link_libraries(${name} PRIVATE ${win_libs} psapi)
  target_link_options(${name} PRIVATE ${static_link})
endfunction()
mevra_standin(progman WIN32)
mevra_standin(probe)

option(MEVRA_WIN_TESTS "Build the Windows test executables" ON)
set(MEVRA_GTEST_SRC /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows tests")
if(MEVRA_WIN_TESTS AND NOT EXISTS ${MEVRA_GTEST_SRC}/googletest/src/gtest-all.cc)
  message(STATUS "No GoogleTest sources at ${MEVRA_GTEST_SRC}: building Mevra.exe without its tests")
  set(MEVRA_WIN_TESTS OFF)
endif()
if(MEVRA_WIN_TESTS)
  set(GTEST_SRC ${MEVRA_GTEST_SRC}/googletest)
  add_library(wgtest STATIC ${GTEST_SRC}/src/gtest-all.cc)
  target_include_directories(wgtest SYSTEM PUBLIC ${GTEST_SRC}/include PRIVATE ${GTEST_SRC})
  add_library(wgtest_main STATIC ${GTEST_SRC}/src/gtest_main.cc)
  target_link_libraries(wgtest_main PUBLIC wgtest)

  file(GLOB win_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
  foreach(src ${win_tests})
    get_filename_component(name ${src} NAME_WE)
    add_executable(win_${name} ${src} $<TARGET_OBJECTS:mevra_res>)
    target_include_directories(win_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_compile_options(win_${name} PRIVATE ${MEVRA_WARNINGS})
    target_link_libraries(win_${name} PRIVATE mevra_win wgtest_main)
    target_link_options(win_${name} PRIVATE ${static_link})
    if(name STREQUAL mf_player_test)
      # Plays through Wine's GL renderer, which may fail while the process unloads.
      add_test(NAME win_${name} COMMAND ${CMAKE_SOURCE_DIR}/scripts/lib/wine-verdict $<TARGET_FILE:win_${name}>)
    else()
      add_test(NAME win_${name} COMMAND win_${name})
    endif()
    set_tests_properties(win_${name} PROPERTIES TIMEOUT 300
      ENVIRONMENT "MEVRA_TEST_DATA=${CMAKE_BINARY_DIR}/testdata;MEVRA_BIN=${CMAKE_BINARY_DIR};MEVRA_SHOTS=${CMAKE_BINARY_DIR}/e2e-shots")
  endforeach()
endif()

# The benchmark's reference programs (scripts/bench).
add_subdirectory(${CMAKE_SOURCE_DIR}/tests/bench ${CMAKE_BINARY_DIR}/bench-programs)
