# GoogleTest for the cross builds: Debian's googletest sources compiled with the same toolchain
# into the build folder (the native libgtest-dev libraries cannot link into Windows programs).
set(KDX_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree (Debian package googletest)")
if(NOT EXISTS ${KDX_GTEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${KDX_GTEST_SOURCE}: install the googletest package")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${KDX_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
# Its own build defines the GTest::gtest, GTest::gtest_main and GTest::gmock targets.
