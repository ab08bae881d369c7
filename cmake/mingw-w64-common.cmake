# Shared part of the mingw-w64 toolchain files; KDX_MINGW_TRIPLET names the target.
# The posix thread model gives std::thread and std::mutex to GoogleTest and our code.
set(CMAKE_C_COMPILER ${KDX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KDX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KDX_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KDX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs run under Wine or copied to a Windows machine find no mingw runtime DLLs there.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
