# Install rules of the programs and the packages made from them with CPack
# (tools/package.sh): on Linux a .deb and a .tar.gz of the gtk build, on
# Windows a .zip that runs from wherever it is unpacked. kestrum installs
# itself (kestrum/CMakeLists.txt).
include(GNUInstallDirs)

if(VESK_PLATFORM STREQUAL "gtk")
  # The program finds its script beside its own file, which /proc/self/exe
  # names through links: it lives in a folder of its own and bin/ holds a
  # link to it.
  set(VESK_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/vesk2b)
  install(TARGETS vesk2b RUNTIME DESTINATION ${VESK_PROGRAM_DIR})
  install(FILES ${PROJECT_SOURCE_DIR}/default/vesk.tcl DESTINATION ${VESK_PROGRAM_DIR}/default)
  # The extensions that come with the program go beside it; extension
  # authors get the native interface's header and a pkg-config file.
  install(TARGETS filelist LIBRARY DESTINATION ${VESK_PROGRAM_DIR})
  install(FILES ${PROJECT_SOURCE_DIR}/include/vesk2b/native.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vesk2b)
  file(RELATIVE_PATH vesk_pc_to_prefix /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
  configure_file(${PROJECT_SOURCE_DIR}/include/vesk2b/vesk2b-native.pc.in ${CMAKE_BINARY_DIR}/vesk2b-native.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/vesk2b-native.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
  file(RELATIVE_PATH vesk_link_target /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${VESK_PROGRAM_DIR}/vesk2b)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-link)
  file(CREATE_LINK ${vesk_link_target} ${CMAKE_BINARY_DIR}/install-link/vesk2b SYMBOLIC)
  install(FILES ${CMAKE_BINARY_DIR}/install-link/vesk2b DESTINATION ${CMAKE_INSTALL_BINDIR})

  # Desktop entry and icons in the hicolor theme: the drawn SVG, and PNGs
  # rendered from it for menus that want bitmaps.
  install(FILES ${PROJECT_SOURCE_DIR}/docs/script-interface.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/platform/gtk/vesk2b.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/icons/vesk2b.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  find_program(VESK_RSVG_CONVERT rsvg-convert REQUIRED)
  set(vesk_pngs)
  foreach(size 16 32 48 128 256)
    set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/vesk2b.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
      COMMAND ${VESK_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${PROJECT_SOURCE_DIR}/icons/vesk2b.svg
      DEPENDS ${PROJECT_SOURCE_DIR}/icons/vesk2b.svg VERBATIM)
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    list(APPEND vesk_pngs ${png})
  endforeach()
  add_custom_target(vesk_icons ALL DEPENDS ${vesk_pngs})

  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "vesk2b maintainers <vesk2b@localhost>")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "vesk2b gives a Tcl script one window, menus with shortcuts, file dialogs, window geometry, titles and a clock; its behaviour is default/vesk.tcl beside the program, a small file-list viewer. kestrum is a shared library of named wall-clock timers for native code, with a CMake package, a pkg-config file and a Tcl package index.")
  # GTK and the C library from the program's own links; Tcl is linked in,
  # but its encoding tables come from Debian's libtcl8.6.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libtcl8.6")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "tcl8.6")
elseif(VESK_PLATFORM STREQUAL "win32")
  # One flat folder: the program, Tcl and what they import, the script,
  # and kestrum for native callers (lib/, include/).
  install(TARGETS vesk2b RUNTIME DESTINATION .)
  install(FILES ${VESK_TCL_WIN32_ROOT}/bin/tcl86.dll DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/default/vesk.tcl DESTINATION default)
  install(TARGETS filelist LIBRARY DESTINATION . RUNTIME DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/include/vesk2b/native.h DESTINATION include/vesk2b)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/README-windows.txt DESTINATION . RENAME README.txt)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/script-interface.md DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  # vesk2b-<version>-win32.zip or -win64.zip, after the build's architecture.
  set(CPACK_SYSTEM_NAME ${VESK_WINDOWS_ARCH})
endif()

set(CPACK_PACKAGE_NAME vesk2b)
set(CPACK_PACKAGE_VENDOR "vesk2b")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop program scripted in Tcl, and the kestrum timer library")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_SOURCE_DIR}/build/packages)
set(CPACK_STRIP_FILES ON)
include(CPack)
