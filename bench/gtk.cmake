# Built with the gtk preset: the bare GTK 3 program that bench/gtk_startup.sh
# compares vesk2b's start-up with.
add_executable(gtk_bare ${PROJECT_SOURCE_DIR}/bench/gtk_bare.c)
set_target_properties(gtk_bare PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
target_link_libraries(gtk_bare PRIVATE PkgConfig::GTK3)

# The filelist extension's view with 10,000 files (bench/filelist.sh).
add_executable(filelist_bench ${PROJECT_SOURCE_DIR}/bench/filelist_bench.cpp)
set_target_properties(filelist_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
target_link_libraries(filelist_bench PRIVATE filelist_views)
