# The Windows program: a GUI program (no console window) with the product's icon and a version
# resource. The icon is drawn from the same mark as the Linux icon (packaging/kaleidra-agent.svg)
# at the sizes the shell asks for.
enable_language(RC)
find_program(KDX_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(KDX_IMAGEMAGICK NAMES convert REQUIRED)

function(kdx_windows_program target)
    set(mark ${PROJECT_SOURCE_DIR}/packaging/kaleidra-agent.svg)
    set(icon ${CMAKE_CURRENT_BINARY_DIR}/kdx3.ico)
    set(pictures)
    set(commands)
    foreach(size 16 32 48 256)
        set(picture ${CMAKE_CURRENT_BINARY_DIR}/kdx3-${size}.png)
        list(APPEND pictures ${picture})
        list(APPEND commands COMMAND ${KDX_RSVG_CONVERT} -w ${size} -h ${size} -o ${picture} ${mark})
    endforeach()
    add_custom_command(OUTPUT ${icon} ${commands} COMMAND ${KDX_IMAGEMAGICK} ${pictures} ${icon}
        DEPENDS ${mark} COMMENT "Drawing the program icon" VERBATIM)

    set(KDX_ICON_FILE ${icon})
    string(REPLACE "." "," KDX_VERSION_COMMAS "${PROJECT_VERSION}.0")
    configure_file(${PROJECT_SOURCE_DIR}/app/KDX3.rc.in ${CMAKE_CURRENT_BINARY_DIR}/KDX3.rc @ONLY)
    set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/KDX3.rc PROPERTIES OBJECT_DEPENDS ${icon})
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/KDX3.rc)
    set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
endfunction()
