# Provides the imported target vesk::tcl.
# On Linux: Debian's tcl8.6-dev through FindTCL. For the Windows cross-build:
# the Tcl that tools/build-tcl-win32.sh cross-builds for the architecture
# (VESK_WINDOWS_ARCH) into VESK_TCL_WIN32_ROOT (build/tcl-win32 or
# build/tcl-win64 by default), built on first configure and cached there.
if(WIN32)
  set(VESK_TCL_WIN32_ROOT "${PROJECT_SOURCE_DIR}/build/tcl-${VESK_WINDOWS_ARCH}" CACHE PATH
      "Cross-built Tcl 8.6 for Windows, of the build's architecture (tools/build-tcl-win32.sh)")
  if(NOT EXISTS "${VESK_TCL_WIN32_ROOT}/.complete")
    message(STATUS "Cross-building Tcl 8.6 for ${VESK_WINDOWS_ARCH} into ${VESK_TCL_WIN32_ROOT}")
    execute_process(
      COMMAND sh "${PROJECT_SOURCE_DIR}/tools/build-tcl-win32.sh" ${VESK_WINDOWS_ARCH} "${VESK_TCL_WIN32_ROOT}"
      RESULT_VARIABLE vesk_tcl_build_result)
    if(NOT vesk_tcl_build_result EQUAL 0)
      message(FATAL_ERROR "tools/build-tcl-win32.sh failed (${vesk_tcl_build_result})")
    endif()
  endif()
  add_library(vesk::tcl SHARED IMPORTED)
  set_target_properties(vesk::tcl PROPERTIES
    IMPORTED_LOCATION ${VESK_TCL_WIN32_ROOT}/bin/tcl86.dll
    IMPORTED_IMPLIB ${VESK_TCL_WIN32_ROOT}/lib/libtcl86.dll.a
    INTERFACE_INCLUDE_DIRECTORIES ${VESK_TCL_WIN32_ROOT}/include)
  set(VESK_TCLSH_WIN32 ${VESK_TCL_WIN32_ROOT}/bin/tclsh86.exe)
  set(VESK_TCL_STUB_LIBRARY ${VESK_TCL_WIN32_ROOT}/lib/libtclstub86.a)
else()
  # Static linking saves the desktop program the loader's work on libtcl at
  # every start; the tests keep the shared library.
  option(VESK_TCL_STATIC "Link Debian's static Tcl library" OFF)
  find_package(TCL 8.6 REQUIRED)
  find_library(VESK_TCL_STUB_LIBRARY NAMES libtclstub8.6.a tclstub8.6 REQUIRED)
  add_library(vesk::tcl INTERFACE IMPORTED)
  target_include_directories(vesk::tcl INTERFACE ${TCL_INCLUDE_PATH})
  if(VESK_TCL_STATIC)
    find_library(VESK_TCL_STATIC_LIBRARY NAMES libtcl8.6.a REQUIRED)
    find_package(ZLIB REQUIRED)
    find_package(Threads REQUIRED)
    target_link_libraries(vesk::tcl INTERFACE ${VESK_TCL_STATIC_LIBRARY} ZLIB::ZLIB Threads::Threads ${CMAKE_DL_LIBS} m)
  else()
    target_link_libraries(vesk::tcl INTERFACE ${TCL_LIBRARY})
  endif()
endif()

# Extensions that the programs load are built as Tcl extensions are: against
# the stubs library, so they work with whatever Tcl 8.6 the process has.
add_library(vesk::tclstub INTERFACE IMPORTED)
target_link_libraries(vesk::tclstub INTERFACE ${VESK_TCL_STUB_LIBRARY})
target_include_directories(vesk::tclstub INTERFACE $<TARGET_PROPERTY:vesk::tcl,INTERFACE_INCLUDE_DIRECTORIES>)
target_compile_definitions(vesk::tclstub INTERFACE USE_TCL_STUBS)
