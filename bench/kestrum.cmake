# kestrum_bench: cost of a start/stop pair through the shared library's
# exports, against bare counter reads and a hand-written map of timers, plus
# the calibration's figures.  Prints; not run by CTest.
add_executable(kestrum_bench ${CMAKE_CURRENT_LIST_DIR}/kestrum_bench.cpp)
target_link_libraries(kestrum_bench PRIVATE kestrum)
