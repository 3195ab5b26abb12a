# Cross-building the core, the command-line tool and the core tests for 64-bit Windows with
# MinGW-w64 (Debian: g++-mingw-w64-x86-64-posix; the posix flavour has std::thread), run
# under Wine:
#   cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(COURSESMITH_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${COURSESMITH_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${COURSESMITH_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${COURSESMITH_MINGW_TRIPLET}-windres)

# Libraries and headers for the target come from the MinGW-w64 tree only; programs (the
# generators, sh) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${COURSESMITH_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Linked statically, the C++ runtime, libgcc and winpthread included, so that the programs
# run without any DLL beside them (CMakeLists.txt prefers static archives for the rest).
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Test programs (and the test discovery of GoogleTest) run under Wine, in a Wine prefix of
# the build folder's own and without Wine's debug chatter.
set(CMAKE_CROSSCOMPILING_EMULATOR
    /usr/bin/env WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEDEBUG=-all wine)
