# Cross toolchain shared by both Windows architectures: MinGW-w64 with posix threads.
# The including file sets SORVIK_MINGW_ARCH (i686 or x86_64) first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${SORVIK_MINGW_ARCH})
set(CMAKE_C_COMPILER ${SORVIK_MINGW_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${SORVIK_MINGW_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${SORVIK_MINGW_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${SORVIK_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests of the Windows build run under Wine through the bench, with the Wine of the same architecture.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env SORVIK_ARCH=${SORVIK_MINGW_ARCH}
  ${CMAKE_CURRENT_LIST_DIR}/../tools/wine_bench.sh run)
