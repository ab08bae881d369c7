# The Windows installer, made by CPack's NSIS generator with Debian's makensis as a 64-bit
# installer: KDX3.exe and its help kdx3.chm in Program Files\Kaleidra Agent, the companion
# screensaver KDXSaver.SCR in the system folder (System32), where Windows finds it by its bare
# name, a start-menu entry, and an uninstaller that Windows lists under the installed programs.
#
# The uninstaller removes what the installer put there and the log-on entry that would start the
# removed program; the companion only when no other installation counts on it (SharedDLLs). It keeps the user's own data: KDX.ini with the four lists (so the program
# folder stays while KDX.ini is in it), "InstalledPath" that names its folder, the system
# screensaver setting, which belongs to the companion screensaver, and the desktop wallpaper.
install(TARGETS KDX3 RUNTIME DESTINATION .)
install(FILES ${PROJECT_BINARY_DIR}/app/kdx3.chm DESTINATION .)

set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME "Kaleidra Agent")
set(CPACK_PACKAGE_VENDOR "Tembrix Software")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME "kaleidra-agent-${PROJECT_VERSION}-win64")
# Where cpack writes the installer, for its test.
set(KDX_WINDOWS_INSTALLER ${PROJECT_BINARY_DIR}/${CPACK_PACKAGE_FILE_NAME}.exe)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tray agent for a random screensaver and wallpaper rotation")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Kaleidra Agent")
# The installer's own key. The agent's product key is "Kaleidra Deluxe V3.00" under the same
# maker; a different name keeps the uninstaller's removal of its key away from the agent's
# "InstalledPath" when the installation was for one user only.
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Kaleidra Agent")
set(CPACK_PACKAGE_EXECUTABLES KDX3 "Kaleidra Agent")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
# The debug information stays in the build folder.
set(CPACK_STRIP_FILES ON)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_DISPLAY_NAME "Kaleidra Agent")
# Also the start-menu folder.
set(CPACK_NSIS_PACKAGE_NAME "Kaleidra Agent")
set(CPACK_NSIS_INSTALLED_ICON_NAME KDX3.exe)
set(CPACK_NSIS_MUI_ICON ${PROJECT_BINARY_DIR}/app/kdx3.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_BINARY_DIR}/app/kdx3.ico)
set(CPACK_NSIS_URL_INFO_ABOUT "https://www.tembrix.com/")
# Debian's makensis builds 32-bit installers unless told otherwise; a 64-bit program gets a
# 64-bit installer, which also sees the 64-bit registry and Program Files.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
# The script pieces below hold quotes and blanks that must reach the installer script as they are.
set(CPACK_VERBATIM_VARIABLES ON)
file(READ ${PROJECT_SOURCE_DIR}/packaging/windows/preinstall.nsh CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS)
file(READ ${PROJECT_SOURCE_DIR}/packaging/windows/postinstall.nsh CPACK_NSIS_EXTRA_INSTALL_COMMANDS)
# The companion is not in the install tree (it goes to the system folder, not beside the agent):
# the installer takes the stripped copy that each build makes (saver/CMakeLists.txt).
string(REPLACE "@KDX_COMPANION_FILE@" "${KDX_COMPANION_INSTALLED}" CPACK_NSIS_EXTRA_INSTALL_COMMANDS
    "${CPACK_NSIS_EXTRA_INSTALL_COMMANDS}")
file(READ ${PROJECT_SOURCE_DIR}/packaging/windows/uninstall.nsh CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS)
include(CPack)
