# Installation in the usual places (GNUInstallDirs) and the Debian package (cpack -G DEB,
# see scripts/package). The program goes to bin/, the stand-in decoder skimsim to
# libexec/keyrelay/ (a tool for dry runs, kept off PATH), the menu entry, its icon and the
# documentation to share/.
include(GNUInstallDirs)
# The documentation folder is named after the package, as Debian names it.
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/keyrelay)
install(TARGETS skimsim RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/keyrelay)
install(FILES data/keyrelay.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/keyrelay.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES README.md DESTINATION ${docdir})
# The README shows the pictures as docs/<name>.png.
file(GLOB pictures ${PROJECT_SOURCE_DIR}/docs/*.png)
install(FILES ${pictures} DESTINATION ${docdir}/docs)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME keyrelay)
set(CPACK_PACKAGE_VENDOR "Keyrelay")
set(CPACK_PACKAGE_CONTACT "Keyrelay developers <keyrelay@invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Types commands and frequency changes into CW Skimmer and other station programs")
set(CPACK_PACKAGE_DESCRIPTION
    "Keyrelay remote-controls another program on the same computer, above all the CW
decoder CW Skimmer (also under Wine): it types keystroke strings into its window or sends
frequency commands over the decoder's telnet server, sweeps a table of frequency ranges,
shares one sweep between linked stations and starts the station's programs.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
# The runtime libraries (Qt 6 base, libxtst6, ...) as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Windows programs in the launch list start through wine.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "wine")
include(CPack)
