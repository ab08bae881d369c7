# Installation in the freedesktop layout and the Debian package built from it with CPack.
include(GNUInstallDirs)

install(TARGETS KDX3 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The companion screensaver beside the agent, which starts it by its bare name.
install(TARGETS KDXSaver RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/kaleidra-agent.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/kaleidra-agent.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kaleidra-agent)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Kaleidra Agent developers <kaleidra-agent@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tray agent for a random screensaver and wallpaper rotation")
set(CPACK_PACKAGE_DESCRIPTION
    "Keeps the random screensaver, Flash movie, picture and wallpaper lists in KDX.ini for the companion screensaver, rotates the desktop wallpaper and lives in the tray with two global hot keys.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Used by "Open" and "Properties" and by the wallpaper on GNOME-family desktops; the agent
# works without them.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xdg-utils, wine")
include(CPack)
