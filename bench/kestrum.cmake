# kestrum_bench: cost of a start/stop pair through the shared library's
# exports, against bare counter reads and a hand-written map of timers, plus
# the calibration's figures.  Prints; not run by CTest.  Built by the headless
# preset (build/headless/bench/kestrum_bench) and by the win32 preset, beside
# kestrum.dll (build/win32/kestrum_bench.exe, run by bench/win32_kestrum.sh).
add_executable(kestrum_bench ${CMAKE_CURRENT_LIST_DIR}/kestrum_bench.cpp)
target_link_libraries(kestrum_bench PRIVATE kestrum)
if(WIN32)
  set_target_properties(kestrum_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endif()
