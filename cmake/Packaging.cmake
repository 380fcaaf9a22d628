# Install rules of the programs and the packages made from them with CPack
# (tools/package.sh): on Linux a .tar.gz of the gtk build, on Windows a .zip
# that runs from wherever it is unpacked. The Debian packages are built from
# debian/ with dpkg-buildpackage, through these same rules; the Windows
# installer from the install tree with cmake/vesk2b.nsi. kestrum installs
# itself (kestrum/CMakeLists.txt) as the component "kestrum"; everything of
# the program is the component "vesk2b".
include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME vesk2b)

if(VESK_PLATFORM STREQUAL "gtk")
  # The program finds its script beside its own file, which /proc/self/exe
  # names through links: it lives in a folder of its own and bin/ holds a
  # link to it.
  set(VESK_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/vesk2b)
  install(TARGETS vesk2b RUNTIME DESTINATION ${VESK_PROGRAM_DIR})
  install(FILES ${PROJECT_SOURCE_DIR}/default/vesk.tcl DESTINATION ${VESK_PROGRAM_DIR}/default)
  # The extensions that come with the program go beside it; extension
  # authors get the native interface's header and a pkg-config file, the
  # component "vesk2b-dev".
  install(TARGETS filelist LIBRARY DESTINATION ${VESK_PROGRAM_DIR})
  install(FILES ${PROJECT_SOURCE_DIR}/include/vesk2b/native.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vesk2b
          COMPONENT vesk2b-dev)
  # Headers only, so the pkg-config file is the same on every architecture.
  file(RELATIVE_PATH vesk_pc_to_prefix /prefix/${CMAKE_INSTALL_DATADIR}/pkgconfig /prefix)
  configure_file(${PROJECT_SOURCE_DIR}/include/vesk2b/vesk2b-native.pc.in ${CMAKE_BINARY_DIR}/vesk2b-native.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/vesk2b-native.pc DESTINATION ${CMAKE_INSTALL_DATADIR}/pkgconfig
          COMPONENT vesk2b-dev)
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

  # Manual pages, written once in scdoc (docs/man/); kestrum's belongs to the
  # library's component.
  find_program(VESK_SCDOC scdoc REQUIRED)
  foreach(page vesk2b.1 kestrum.3)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${page}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${VESK_SCDOC} < ${PROJECT_SOURCE_DIR}/docs/man/${page}.scd > ${CMAKE_BINARY_DIR}/man/${page}
      DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/${page}.scd)
  endforeach()
  add_custom_target(vesk_man_pages ALL DEPENDS ${CMAKE_BINARY_DIR}/man/vesk2b.1 ${CMAKE_BINARY_DIR}/man/kestrum.3)
  install(FILES ${CMAKE_BINARY_DIR}/man/vesk2b.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${CMAKE_BINARY_DIR}/man/kestrum.3 DESTINATION ${CMAKE_INSTALL_MANDIR}/man3 COMPONENT kestrum)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})

  set(CPACK_GENERATOR TGZ)
elseif(VESK_PLATFORM STREQUAL "win32")
  # One flat folder: the program, Tcl and what they import, the script,
  # and kestrum for native callers (lib/, include/). The architecture names
  # the zip and the installer (VESK_WINDOWS_ARCH, set with the toolchain).
  install(TARGETS vesk2b RUNTIME DESTINATION .)
  install(FILES ${VESK_TCL_WIN32_ROOT}/bin/tcl86.dll DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/default/vesk.tcl DESTINATION default)
  install(TARGETS filelist LIBRARY DESTINATION . RUNTIME DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/include/vesk2b/native.h DESTINATION include/vesk2b)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/README-windows.txt DESTINATION . RENAME README.txt)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/script-interface.md DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
  # Tcl's script library, its modules (msgcat, http, ...) and its registry
  # and DDE packages, as Tcl lays out its own lib/ folder. tcl86.dll looks
  # for them in the folder above its own, outside this one, so the
  # interpreter stays bare until a script brings the library in (the
  # reference's recipe names lib/tcl8.6 here).
  foreach(folder tcl8.6 tcl8 reg1.3 dde1.4)
    install(DIRECTORY ${VESK_TCL_WIN32_ROOT}/lib/${folder} DESTINATION lib PATTERN "*.a" EXCLUDE)
  endforeach()
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
