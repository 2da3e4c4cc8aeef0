# 32-bit Windows: the program players of every Windows run.
set(SORVIK_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
