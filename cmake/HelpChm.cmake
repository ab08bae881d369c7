# The Windows help file kdx3.chm, compiled from the help pages (help/html, listed in Pages.cmake)
# by chmcmd, the CHM compiler of the Free Pascal utilities. Its project, contents and index are
# written from the pages themselves by MakeChmProject.cmake.
find_program(KDX_CHMCMD chmcmd REQUIRED)

# kdx_help_chm(TARGET OUTPUT): TARGET builds the help file OUTPUT.
function(kdx_help_chm target output)
    set(pages_dir ${PROJECT_SOURCE_DIR}/help/html)
    include(${pages_dir}/Pages.cmake)
    list(TRANSFORM KDX_HELP_PAGES PREPEND ${pages_dir}/ OUTPUT_VARIABLE sources)
    set(stage ${CMAKE_CURRENT_BINARY_DIR}/chm)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -DPAGES_DIR=${pages_dir} -DSTAGE=${stage} -DCHM_NAME=kdx3
            -P ${PROJECT_SOURCE_DIR}/cmake/MakeChmProject.cmake
        COMMAND ${CMAKE_COMMAND} -E chdir ${stage} ${KDX_CHMCMD} --no-html-scan --verbosity 0 kdx3.hhp
        COMMAND ${CMAKE_COMMAND} -E copy ${stage}/kdx3.chm ${output}
        DEPENDS ${sources} ${pages_dir}/Pages.cmake ${PROJECT_SOURCE_DIR}/cmake/MakeChmProject.cmake
        COMMENT "Compiling the help file kdx3.chm" VERBATIM)
    add_custom_target(${target} ALL DEPENDS ${output})
endfunction()
