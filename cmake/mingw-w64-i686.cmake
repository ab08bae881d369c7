# Cross build for 32-bit Windows, the product's own target, with Debian's mingw-w64. Built
# only: this machine cannot run 32-bit programs, so there is no emulator for its tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR X86)
set(KDX_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
