# The shipped library's dynamic symbol table holds exactly the eight exports,
# and it needs nothing beyond the C/C++ runtime (no Tcl).
# Usage: cmake -DLIBRARY=<libkestrum.so> -P check_exports.cmake
execute_process(COMMAND nm -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${listing}")
set(names)
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^.* " "" name "${line}")
  list(APPEND names ${name})
endforeach()
list(SORT names)
set(expected GetProfiler Kestrum_Init Profiler_Reinit Profiler_Reinit_All
  Profiler_Start Profiler_Stats Profiler_Stats_All Profiler_Stop)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "exports of ${LIBRARY}:\n  ${names}\nexpected:\n  ${expected}")
endif()

execute_process(COMMAND readelf -d ${LIBRARY} OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "readelf failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "Shared library: \\[[^]]+\\]" needed "${dynamic}")
foreach(entry IN LISTS needed)
  if(NOT entry MATCHES "\\[(libc|libm|libstdc\\+\\+|libgcc_s)\\.so")
    message(FATAL_ERROR "${LIBRARY} needs more than the C/C++ runtime: ${entry}")
  endif()
endforeach()
message(STATUS "exports: ${names}; needs: ${needed}")
