# Installation in the freedesktop layout and the Debian package built from it with CPack, with
# what Debian users expect beside the programs: manual pages, copyright file, changelog.
include(GNUInstallDirs)

set(KDX_PACKAGE kaleidra-agent)
set(KDX_PACKAGE_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/${KDX_PACKAGE})
set(KDX_PACKAGE_MAINTAINER "Tembrix Software <feedback@tembrix.com>")

# What the programs use at run time beyond the libraries that dpkg-shlibdeps finds, by how much a
# user misses it: Depends (nothing works without it), Recommends (a common part of the work
# fails), Suggests (only one desktop or one kind of list entry needs it). Each entry is
# "relation|package|what the agent uses from it": programs it runs by name, or files by their
# absolute path. The clean-system test checks that each package exists and holds those.
set(KDX_PACKAGE_NEEDS
    # Opening list entries, folders and the help pages.
    "Recommends|xdg-utils|xdg-open"
    # The wallpaper on GNOME, Cinnamon and MATE; the file manager's Properties over D-Bus.
    "Recommends|libglib2.0-bin|gsettings gdbus"
    # The wallpaper on XFCE, which has it already.
    "Suggests|xfconf|xfconf-query"
    # Screensaver programs made for Windows (*.scr): the agent runs "wine" where the wine package
    # made it, else wine64's loader. wine64 recommends wine and wine32.
    "Suggests|wine64|/usr/lib/wine/wine64"
)

# gzip as Debian wants it: best compression, no name or time stamp, so builds are reproducible.
function(kdx_gzip source output)
    get_filename_component(plain ${output} NAME_WLE)
    get_filename_component(folder ${output} DIRECTORY)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${folder}/${plain}
        COMMAND gzip -9nf ${folder}/${plain}
        DEPENDS ${source} VERBATIM)
endfunction()

# A program of the package with its manual page (section 1, by default packaging/TARGET.1).
# Usage: kdx_package_program(TARGET [MANUAL_PAGE source])
function(kdx_package_program target)
    cmake_parse_arguments(arg "" "MANUAL_PAGE" "" ${ARGN})
    if(NOT arg_MANUAL_PAGE)
        set(arg_MANUAL_PAGE ${PROJECT_SOURCE_DIR}/packaging/${target}.1)
    endif()
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    # A stripped program loses the compiler's notes too, as dh_strip does it.
    install(CODE "if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND ${CMAKE_STRIP} --remove-section=.comment
            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:${target}>\"
            COMMAND_ERROR_IS_FATAL ANY)
    endif()")
    set(page ${CMAKE_BINARY_DIR}/packaging/${target}.1.gz)
    kdx_gzip(${arg_MANUAL_PAGE} ${page})
    add_custom_target(${target}_manual_page ALL DEPENDS ${page})
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    set_property(GLOBAL APPEND PROPERTY KDX_PACKAGE_PROGRAMS ${target})
endfunction()

kdx_package_program(KDX3)

install(FILES ${PROJECT_SOURCE_DIR}/packaging/kaleidra-agent.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/kaleidra-agent.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The package is native (its version has no Debian revision), so its changelog is changelog.gz.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^${KDX_PACKAGE} \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/changelog has no entry for version ${PROJECT_VERSION} at its top")
endif()
kdx_gzip(${PROJECT_SOURCE_DIR}/packaging/changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_target(package_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
    DESTINATION ${KDX_PACKAGE_DOCDIR})

# The relations, and a list for the clean-system test: one line per needed package
# ("relation package what...") and one per program ("program NAME").
set(relations Depends Recommends Suggests)
set(needs_list "")
foreach(need IN LISTS KDX_PACKAGE_NEEDS)
    string(REPLACE "|" ";" fields "${need}")
    list(GET fields 0 relation)
    list(GET fields 1 package)
    list(GET fields 2 uses)
    if(NOT relation IN_LIST relations)
        message(FATAL_ERROR "KDX_PACKAGE_NEEDS: unknown relation in \"${need}\"")
    endif()
    list(APPEND package_${relation} ${package})
    string(APPEND needs_list "${relation} ${package} ${uses}\n")
endforeach()
get_property(programs GLOBAL PROPERTY KDX_PACKAGE_PROGRAMS)
foreach(program IN LISTS programs)
    string(APPEND needs_list "program ${program}\n")
endforeach()
file(WRITE ${CMAKE_BINARY_DIR}/package-needs.txt "${needs_list}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${KDX_PACKAGE})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KDX_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tray agent for random screensavers and a wallpaper rotation")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${PROJECT_SOURCE_DIR}/packaging/description.txt)
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.tembrix.com/")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
list(JOIN package_Depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
list(JOIN package_Recommends ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS)
list(JOIN package_Suggests ", " CPACK_DEBIAN_PACKAGE_SUGGESTS)
include(CPack)
