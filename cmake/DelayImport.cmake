# Delay-loaded system DLLs. A DLL imported the usual way is looked for beside the exe first, before
# any of the program's code runs; one imported through a delay-load library is loaded by LoadLibrary
# at its first call, after start-up has limited the search to System32.
# sorvik_delay_import(VAR dll) makes the delay-load library for `dll` from MinGW-w64's import library
# of the same name (every function it names, so any RAS call the program adds is covered) and sets
# VAR to its path. Calls go through __delayLoadHelper2 of MinGW-w64's libmingwex.
function(sorvik_delay_import out dll)
  find_library(SORVIK_IMPORT_${dll} NAMES lib${dll}.a REQUIRED NO_CACHE)
  find_program(SORVIK_NM NAMES ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-nm REQUIRED)
  find_program(SORVIK_DLLTOOL NAMES ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-dlltool REQUIRED)
  set(dir ${CMAKE_BINARY_DIR}/delay)
  set(def ${dir}/${dll}.def)
  set(lib ${dir}/lib${dll}_delay.a)
  file(MAKE_DIRECTORY ${dir})
  execute_process(COMMAND ${SORVIK_NM} -g ${SORVIK_IMPORT_${dll}} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
  # "__imp_Name" on x64; "__imp__Name@N" (stdcall) on x86, whose import name dlltool -k strips to Name.
  string(REGEX MATCHALL "I __imp__?[A-Za-z0-9_@]+" imports "${symbols}")
  set(text "LIBRARY ${dll}.dll\nEXPORTS\n")
  set(names "")
  # Cut by length: REGEX REPLACE would take "^_" again and again ("__WSAFDIsSet" keeps both).
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    set(prefix "I __imp__")
  else()
    set(prefix "I __imp_")
  endif()
  string(LENGTH "${prefix}" cut)
  foreach(import ${imports})
    string(SUBSTRING "${import}" ${cut} -1 name)
    list(APPEND names ${name})
  endforeach()
  list(REMOVE_DUPLICATES names)
  list(LENGTH names count)
  if(count EQUAL 0)
    message(FATAL_ERROR "no functions found in ${SORVIK_IMPORT_${dll}}")
  endif()
  foreach(name ${names})
    string(APPEND text "    ${name}\n")
  endforeach()
  file(WRITE ${def} "${text}")
  # Run where it writes: dlltool names the library's symbols after the path it is given.
  execute_process(COMMAND ${SORVIK_DLLTOOL} -k --input-def ${dll}.def --dllname ${dll}.dll
    --output-delaylib lib${dll}_delay.a WORKING_DIRECTORY ${dir} COMMAND_ERROR_IS_FATAL ANY)
  set(${out} ${lib} PARENT_SCOPE)
endfunction()
