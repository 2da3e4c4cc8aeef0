# 64-bit Windows: the same program for 64-bit systems, and the one the bench runs where no 32-bit code can.
set(SORVIK_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
