# Built with the win32 and win64 presets: the yardsticks of the start-up
# benchmark (bench/win32_startup.sh), a bare Win32 program and the same with
# Tcl linked in, as bench/gtk_bare.c is for the gtk program.
add_executable(bare_window WIN32 ${CMAKE_CURRENT_LIST_DIR}/win32_bare.cpp)
add_executable(bare_tcl_window WIN32 ${CMAKE_CURRENT_LIST_DIR}/win32_bare.cpp)
target_compile_definitions(bare_tcl_window PRIVATE BARE_WINDOW_WITH_TCL)
target_link_libraries(bare_tcl_window PRIVATE vesk::tcl)
set_target_properties(bare_window bare_tcl_window PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
