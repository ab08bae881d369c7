# libjpeg-turbo for the cross builds, compiled once into the build folder from Debian's own
# source package (apt-get source, which needs the deb-src entry that scripts/deps adds), with
# the same toolchain. FindJPEG then finds it like any installed library.
set(KDX_JPEG_ROOT ${CMAKE_BINARY_DIR}/_deps/libjpeg-turbo)
set(KDX_JPEG_PREFIX ${KDX_JPEG_ROOT}/install)

function(kdx_build_jpeg)
    file(MAKE_DIRECTORY ${KDX_JPEG_ROOT}/source)
    file(GLOB unpacked LIST_DIRECTORIES true ${KDX_JPEG_ROOT}/source/libjpeg-turbo-*)
    if(NOT unpacked)
        message(STATUS "Fetching Debian's libjpeg-turbo source package")
        execute_process(COMMAND apt-get source -q libjpeg-turbo WORKING_DIRECTORY ${KDX_JPEG_ROOT}/source
            RESULT_VARIABLE rc OUTPUT_QUIET)
        file(GLOB unpacked LIST_DIRECTORIES true ${KDX_JPEG_ROOT}/source/libjpeg-turbo-*)
        if(NOT rc EQUAL 0 OR NOT unpacked)
            message(FATAL_ERROR "apt-get source libjpeg-turbo failed: run scripts/deps test for its deb-src entry")
        endif()
    endif()
    list(GET unpacked 0 source)
    get_filename_component(toolchain ${CMAKE_TOOLCHAIN_FILE} ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
    message(STATUS "Building libjpeg-turbo for ${CMAKE_SYSTEM_PROCESSOR} from ${source}")
    # No SIMD: it needs nasm, and the wallpaper decode is not time-critical.
    execute_process(COMMAND ${CMAKE_COMMAND} -S ${source} -B ${KDX_JPEG_ROOT}/build
        -DCMAKE_TOOLCHAIN_FILE=${toolchain} -DCMAKE_BUILD_TYPE=Release
        -DCMAKE_INSTALL_PREFIX=${KDX_JPEG_PREFIX} -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF
        -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF
        RESULT_VARIABLE rc OUTPUT_QUIET)
    if(rc EQUAL 0)
        execute_process(COMMAND ${CMAKE_COMMAND} --build ${KDX_JPEG_ROOT}/build --target install --parallel 2
            RESULT_VARIABLE rc OUTPUT_QUIET)
    endif()
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "building libjpeg-turbo for the cross build failed")
    endif()
endfunction()

if(NOT EXISTS ${KDX_JPEG_PREFIX}/lib/libjpeg.a)
    kdx_build_jpeg()
endif()
set(JPEG_INCLUDE_DIR ${KDX_JPEG_PREFIX}/include CACHE PATH "" FORCE)
set(JPEG_LIBRARY_RELEASE ${KDX_JPEG_PREFIX}/lib/libjpeg.a CACHE FILEPATH "" FORCE)
