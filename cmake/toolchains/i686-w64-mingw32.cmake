# Cross-compiles for 32-bit Windows with MinGW-w64 and runs what it builds
# under Wine, so ctest on Linux exercises the real DLL and executables.
# The posix-threads compiler is preferred: with it std::thread and std::mutex work.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(ZABRELO_MINGW_TRIPLE i686-w64-mingw32)
find_program(CMAKE_CXX_COMPILER NAMES ${ZABRELO_MINGW_TRIPLE}-g++-posix ${ZABRELO_MINGW_TRIPLE}-g++ REQUIRED)
# GoogleTest's project enables C as well.
find_program(CMAKE_C_COMPILER NAMES ${ZABRELO_MINGW_TRIPLE}-gcc-posix ${ZABRELO_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ZABRELO_MINGW_TRIPLE}-windres)

# Libraries and packages come from the target's root only, never the host's;
# a client adds its own install prefix to CMAKE_FIND_ROOT_PATH.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${ZABRELO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# WINEDEBUG=-all keeps Wine's own diagnostics out of test logs.
find_program(ZABRELO_WINE NAMES wine)
if(ZABRELO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env WINEDEBUG=-all ${ZABRELO_WINE})
endif()
