# kestrum.dll exports exactly the eight functions, under these names and
# with ordinals 1 to 8 in this order, and imports nothing but the C runtime
# and KERNEL32 (which every Windows program links).
# The first three are fastcall names on win32 and plain on win64.
# Usage: cmake -DOBJDUMP=<objdump> -DLIBRARY=<kestrum.dll> -DARCH=win32|win64 -P check_exports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "objdump -p failed on ${LIBRARY}")
endif()

cmake_minimum_required(VERSION 3.25)
set(expected GetProfiler Profiler_Start Profiler_Stop)
if(ARCH STREQUAL "win32")
  list(TRANSFORM expected REPLACE "(.+)" "@\\1@4")
elseif(NOT ARCH STREQUAL "win64")
  message(FATAL_ERROR "ARCH is '${ARCH}', expected win32 or win64")
endif()
list(APPEND expected Profiler_Reinit Profiler_Reinit_All Profiler_Stats Profiler_Stats_All Kestrum_Init)

string(REGEX MATCH "Export Address Table -- Ordinal Base ([0-9]+)" base_line "${listing}")
set(base ${CMAKE_MATCH_1})
if(NOT base STREQUAL "1")
  message(FATAL_ERROR "ordinal base is '${base}', expected 1")
endif()

# Export address table: one entry per ordinal, no gaps and nothing more.
string(REGEX MATCHALL "\\+base\\[ *[0-9]+\\]" slots "${listing}")
list(LENGTH slots slot_count)
if(NOT slot_count EQUAL 8)
  message(FATAL_ERROR "${slot_count} exported addresses, expected 8:\n${slots}")
endif()

# Name table: "[index] name" with ordinal = index + base. objdump lists it in
# name order (the order the loader searches); put it in ordinal order.
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n(([\t ]+\\[ *[0-9]+\\] [^\n]+\n)+)" table "${listing}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" entries "${CMAKE_MATCH_1}")
set(by_ordinal)
foreach(entry IN LISTS entries)
  string(REGEX MATCH "\\[ *([0-9]+)\\] (.+)" _ "${entry}")
  math(EXPR ordinal "${CMAKE_MATCH_1} + ${base}")
  string(STRIP "${CMAKE_MATCH_2}" name)
  list(APPEND by_ordinal "${ordinal}:${name}")
endforeach()
list(SORT by_ordinal COMPARE NATURAL)
set(want)
set(ordinal 1)
foreach(name IN LISTS expected)
  list(APPEND want "${ordinal}:${name}")
  math(EXPR ordinal "${ordinal} + 1")
endforeach()
if(NOT by_ordinal STREQUAL want)
  string(REPLACE ";" "\n  " got_text "${by_ordinal}")
  string(REPLACE ";" "\n  " want_text "${want}")
  message(FATAL_ERROR "exports of ${LIBRARY} by ordinal:\n  ${got_text}\nexpected:\n  ${want_text}")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${listing}")
foreach(entry IN LISTS imports)
  if(NOT entry MATCHES "DLL Name: (KERNEL32|msvcrt)\\.dll$")
    message(FATAL_ERROR "${LIBRARY} links more than the C runtime: ${entry}")
  endif()
endforeach()
message(STATUS "exports by ordinal: ${by_ordinal}; imports: ${imports}")
