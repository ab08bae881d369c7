# Qt 6 for 64-bit Windows: the static mingw-w64 build of Debian's own qt6-base source. Looked for,
# in this order, in KDX_QT_MINGW (a -D option or the environment), beside the repository in
# ../shared/qt6-mingw64, and in the cache folder where scripts/deps builds it when neither exists.
# Its host tools (moc, rcc, uic) are the Linux Qt's of the same version.
set(KDX_QT_MINGW "$ENV{KDX_QT_MINGW}" CACHE PATH "Qt 6 for Windows, static, built with mingw-w64")

function(kdx_find_qt_for_windows out)
    if(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
        set(cache "$ENV{XDG_CACHE_HOME}")
    else()
        set(cache "$ENV{HOME}/.cache")
    endif()
    foreach(candidate "${KDX_QT_MINGW}" "${PROJECT_SOURCE_DIR}/../shared/qt6-mingw64"
        "${cache}/kaleidra-agent/qt6-mingw64")
        if(NOT candidate STREQUAL "" AND EXISTS "${candidate}/lib/cmake/Qt6/Qt6Config.cmake")
            get_filename_component(found "${candidate}" REALPATH)
            set(${out} "${found}" PARENT_SCOPE)
            return()
        endif()
    endforeach()
    message(FATAL_ERROR "Qt 6 for Windows not found (KDX_QT_MINGW, ../shared/qt6-mingw64, "
        "${cache}/kaleidra-agent/qt6-mingw64): run scripts/deps test, which builds it once")
endfunction()

kdx_find_qt_for_windows(kdx_qt_windows)
message(STATUS "Qt for Windows: ${kdx_qt_windows}")
# The toolchain looks for packages only below its find roots.
list(APPEND CMAKE_FIND_ROOT_PATH "${kdx_qt_windows}")
list(APPEND CMAKE_PREFIX_PATH "${kdx_qt_windows}")
set(QT_HOST_PATH /usr)
# Debian's multiarch folder of the build machine.
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${CMAKE_HOST_SYSTEM_PROCESSOR}-linux-gnu/cmake)

# Qt's Windows style ("windowsvista": the system's themes, the classic look where there are none,
# as under Wine) for each program with windows. The static Qt links it as a default plugin; it is
# named here so that the agent's look does not rest on how that Qt was configured (without it a
# static program falls back to one of the styles built into Qt Widgets).
function(kdx_windows_look target)
    qt_import_plugins(${target} INCLUDE Qt6::QWindowsVistaStylePlugin)
endfunction()
