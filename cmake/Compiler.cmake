# Flags shared by every target of the project (not by third-party code).
add_library(sorvik_flags INTERFACE)
if(MSVC)
  target_compile_options(sorvik_flags INTERFACE /W4 /utf-8 /execution-charset:.936 /permissive-)
  target_compile_definitions(sorvik_flags INTERFACE _CRT_SECURE_NO_WARNINGS)
else()
  # Sources are UTF-8; the program's narrow texts are GBK bytes. GB18030 encodes every
  # GBK character with the same bytes and also covers the odd symbol in system headers (<chrono>'s µ).
  target_compile_options(sorvik_flags INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
    -finput-charset=UTF-8 -fexec-charset=GB18030)
  if(WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC 12 at -O2/-O3 reports these from MinGW's own inlined headers (NtCurrentTeb,
    # std::string copies); they are known false positives there.
    target_compile_options(sorvik_flags INTERFACE -Wno-array-bounds -Wno-restrict)
    # Reproducible release: no link time in the PE header, so the same commit links the
    # same exe bytes at any time.
    target_link_options(sorvik_flags INTERFACE -Wl,--no-insert-timestamp)
    # Sections at page offsets in the file: Wine can then map the code from the file, shared
    # and clean, instead of copying it into the process's own memory (Windows maps either way).
    target_link_options(sorvik_flags INTERFACE -Wl,--file-alignment,4096)
  endif()
  if(SORVIK_COVERAGE)
    # Each object's counters go beside it when a program exits; under Wine too, as Wine
    # maps the absolute Linux path compiled into the object to its Z: drive.
    target_compile_options(sorvik_flags INTERFACE --coverage)
    target_link_options(sorvik_flags INTERFACE --coverage)
  endif()
  if(SORVIK_WERROR)
    target_compile_options(sorvik_flags INTERFACE -Werror)
  endif()
endif()
if(WIN32)
  target_compile_definitions(sorvik_flags INTERFACE
    UNICODE _UNICODE NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
endif()
