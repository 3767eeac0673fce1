# Install rules and the Debian package.
#
# `cmake --install` puts both programs in bin/ and, on Linux, the desktop entry, the MIME types of
# the two evaluation files, the icon and the manual page where desktops and man(1) look for them.
# `cpack -G DEB` (scripts/package-deb.sh) turns the same tree into marvento_<version>_<arch>.deb.

include(GNUInstallDirs)

install(TARGETS Marvento marvento-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(UNIX AND NOT APPLE)
  set(MARVENTO_LINUX_DIR ${CMAKE_CURRENT_SOURCE_DIR}/packaging/linux)

  install(FILES ${MARVENTO_LINUX_DIR}/marvento.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${MARVENTO_LINUX_DIR}/marvento-mime.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME marvento.xml)
  install(FILES ${MARVENTO_LINUX_DIR}/marvento.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${MARVENTO_LINUX_DIR}/icons/marvento-${size}.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME marvento.png)
  endforeach()

  # Debian wants manual pages compressed; without gzip the plain page still works with man(1).
  find_program(MARVENTO_GZIP gzip)
  if(MARVENTO_GZIP)
    set(marvento_man ${CMAKE_CURRENT_BINARY_DIR}/marvento-cli.1.gz)
    add_custom_command(OUTPUT ${marvento_man}
      COMMAND ${MARVENTO_GZIP} -9 -n -c ${MARVENTO_LINUX_DIR}/marvento-cli.1 > ${marvento_man}
      DEPENDS ${MARVENTO_LINUX_DIR}/marvento-cli.1 VERBATIM)
    add_custom_target(marvento_man ALL DEPENDS ${marvento_man})
  else()
    set(marvento_man ${MARVENTO_LINUX_DIR}/marvento-cli.1)
  endif()
  install(FILES ${marvento_man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  # The licence (GPL-3.0-or-later, as Qt Charts requires), where Debian keeps a package's terms.
  # Qt's own texts come with Debian's Qt packages.
  install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/marvento RENAME copyright)
endif()

# The Debian package. The Qt libraries it needs are found by dpkg-shlibdeps from the binaries
# themselves, with the versions they were built against.
set(CPACK_PACKAGE_NAME marvento)
set(CPACK_PACKAGE_VENDOR "Marvento")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Tables, corrected travel times and charts from traffic simulation files")
set(CPACK_PACKAGE_DESCRIPTION
  "Marvento reads the section speed (.mes) and link travel-time (.rsz) evaluation files of a traffic
micro-simulation into a detail table and a summary, corrects travel times to real link lengths,
draws the trend of a parameter as a chart and saves tables as tab-delimited text and charts as
PNG images. The interface is in Italian. marvento-cli does the same work from the command line.")
set(CPACK_PACKAGE_CONTACT "Marvento developers <marvento@example.org>")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
find_program(MARVENTO_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(MARVENTO_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6widgets6, libqt6charts6, libqt6gui6, libqt6core6, libstdc++6, libc6")
endif()
# Wayland sessions need Qt's Wayland plugin; X11 and offscreen come with libqt6gui6. Qt's Italian
# catalogue gives marvento-cli's help Qt's own words (usage line, section titles) in Italian too.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, qt6-translations-l10n")

include(CPack)
