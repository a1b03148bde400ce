# Installation and the Debian package. `cmake --install build --prefix /usr` puts the programs,
# the shipped data files, the menu entry, the icon, the AppStream metainfo and the manual
# pages in place; `cpack -G DEB` in the build folder packs the same files as
# turnbrix_VERSION_ARCH.deb.
include(GNUInstallDirs)

set(TURNBRIX_RELEASE_DATE 2026-12-07)
set(TURNBRIX_RELEASE_DATE_RFC2822 "Mon, 07 Dec 2026 00:00:00 +0000")
set(TURNBRIX_APP_ID org.turnbrix.turnbrix CACHE STRING
    "AppStream id of the window; the .desktop file is named after it")
set(TURNBRIX_MAINTAINER "Turnbrix developers <developers@turnbrix.invalid>" CACHE STRING
    "Maintainer of the Debian package, NAME <ADDRESS>")
set(TURNBRIX_SCREENSHOT_URL "https://turnbrix.org/screenshots/tab2.png" CACHE STRING
    "Where the AppStream metainfo says the published screenshot is")

set(TURNBRIX_LINUX ${PROJECT_SOURCE_DIR}/resources/linux)
set(TURNBRIX_GENERATED ${CMAKE_BINARY_DIR}/generated)

# The version for --version, and the source tree's resources/ from which a program run from
# the build folder fills a new data folder.
file(CONFIGURE OUTPUT ${TURNBRIX_GENERATED}/turnbrix_build.h CONTENT
  "#pragma once\n#define TURNBRIX_VERSION \"${PROJECT_VERSION}\"\n#define TURNBRIX_SOURCE_RESOURCES \"${PROJECT_SOURCE_DIR}/resources\"\n")
target_include_directories(turnbrix_core PUBLIC ${TURNBRIX_GENERATED})

# Manual pages and the changelog are installed compressed, as Debian wants them.
set(TURNBRIX_GZIPPED)
function(turnbrix_gzip template name)
  configure_file(${template} ${TURNBRIX_GENERATED}/${name} @ONLY)
  add_custom_command(OUTPUT ${TURNBRIX_GENERATED}/${name}.gz
    COMMAND gzip -9nkf ${TURNBRIX_GENERATED}/${name}
    DEPENDS ${TURNBRIX_GENERATED}/${name} VERBATIM)
  set(TURNBRIX_GZIPPED ${TURNBRIX_GZIPPED} ${TURNBRIX_GENERATED}/${name}.gz PARENT_SCOPE)
endfunction()
turnbrix_gzip(${TURNBRIX_LINUX}/turnbrix-cli.1.in turnbrix-cli.1)
turnbrix_gzip(${TURNBRIX_LINUX}/changelog.in changelog)

install(TARGETS turnbrix-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES resources/default.txt resources/data.txt resources/tools.toml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/turnbrix)
install(FILES ${TURNBRIX_GENERATED}/turnbrix-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${TURNBRIX_GENERATED}/changelog.gz ${TURNBRIX_LINUX}/copyright
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/turnbrix)

if(TARGET turnbrix)
  turnbrix_gzip(${TURNBRIX_LINUX}/turnbrix.1.in turnbrix.1)
  configure_file(${TURNBRIX_LINUX}/turnbrix.metainfo.xml.in
    ${TURNBRIX_GENERATED}/${TURNBRIX_APP_ID}.metainfo.xml @ONLY)
  install(TARGETS turnbrix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${TURNBRIX_GENERATED}/turnbrix.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${TURNBRIX_LINUX}/turnbrix.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications RENAME ${TURNBRIX_APP_ID}.desktop)
  install(FILES ${TURNBRIX_GENERATED}/${TURNBRIX_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${TURNBRIX_LINUX}/turnbrix-mime.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME turnbrix.xml)

  # The icon: the SVG as drawn, and each PNG size rendered from it.
  set(TURNBRIX_ICONS ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  install(FILES ${TURNBRIX_LINUX}/turnbrix.svg DESTINATION ${TURNBRIX_ICONS}/scalable/apps)
  find_program(TURNBRIX_RSVG_CONVERT rsvg-convert)
  if(TURNBRIX_RSVG_CONVERT)
    file(READ ${TURNBRIX_LINUX}/turnbrix.svg svg)
    string(REGEX REPLACE "  <!-- The thread[^>]*>\n  <g id=\"thread\".*</g>\n" "" svg "${svg}")
    file(WRITE ${TURNBRIX_GENERATED}/turnbrix-small.svg "${svg}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TURNBRIX_LINUX}/turnbrix.svg)
    foreach(size 16 22 24 32 48 64 128 256)
      set(png ${TURNBRIX_GENERATED}/icons/${size}x${size}/turnbrix.png)
      set(svg ${TURNBRIX_LINUX}/turnbrix.svg)
      if(size LESS 24)
        set(svg ${TURNBRIX_GENERATED}/turnbrix-small.svg)
      endif()
      add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${TURNBRIX_GENERATED}/icons/${size}x${size}
        COMMAND ${TURNBRIX_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${svg}
        DEPENDS ${svg} VERBATIM)
      list(APPEND TURNBRIX_GZIPPED ${png})
      install(FILES ${png} DESTINATION ${TURNBRIX_ICONS}/${size}x${size}/apps)
    endforeach()
  else()
    message(WARNING "rsvg-convert (librsvg2-bin) not found: only the scalable icon is installed")
  endif()
endif()
add_custom_target(turnbrix_install_files ALL DEPENDS ${TURNBRIX_GZIPPED})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME turnbrix)
set(CPACK_PACKAGE_VENDOR "Turnbrix developers")
set(CPACK_PACKAGE_CONTACT ${TURNBRIX_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "G-code writer for two-axis CNC lathes")
# Wrapped by hand: the Debian description's lines stay under 80 columns.
set(CPACK_PACKAGE_DESCRIPTION "\
Turnbrix writes G-code for two-axis CNC lathes (X on the diameter, Z along
the spindle axis). Pick an operation on a tab (threading, centre drilling and
countersinking, deep peck drilling, reaming, tapping, grooving), type the
dimensions and cutting values, click OK, and Turnbrix appends numbered blocks
to the program. turnbrix-cli replays job scripts without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TURNBRIX_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
