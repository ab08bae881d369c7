# Run as a script (cmake -P) by HelpChm.cmake: copies the help pages into STAGE and writes the
# CHM project CHM_NAME.hhp, its contents CHM_NAME.hhc (one entry per page in the order of
# Pages.cmake, with the page's headings that have an id below it) and its index CHM_NAME.hhk
# (each page's title and each heading).
include(${PAGES_DIR}/Pages.cmake)
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})

# Text taken out of a page is HTML already; a sitemap's value attribute needs only its quotes
# escaped.
function(sitemap_entry out name local)
    string(REPLACE "\"" "&quot;" name "${name}")
    set(${out} "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"${name}\"><param name=\"Local\" value=\"${local}\"></OBJECT>\n" PARENT_SCOPE)
endfunction()

set(files)
set(contents)
set(index_entries)
set(titles)
foreach(page IN LISTS KDX_HELP_PAGES)
    file(COPY ${PAGES_DIR}/${page} DESTINATION ${STAGE})
    list(APPEND files ${page})
    if(NOT page MATCHES "\\.html$")
        continue()
    endif()
    file(READ ${PAGES_DIR}/${page} html)
    if(NOT html MATCHES "<title>([^<]+)</title>")
        message(FATAL_ERROR "help page ${page} has no title")
    endif()
    set(title "${CMAKE_MATCH_1}")
    sitemap_entry(entry "${title}" ${page})
    string(APPEND contents "${entry}")
    list(APPEND index_entries "${title}|${page}")
    string(REGEX MATCHALL "<h2[^>]*>[^<]+</h2>" headings "${html}")
    set(sub)
    foreach(heading IN LISTS headings)
        string(REGEX REPLACE "<h2[^>]*>([^<]+)</h2>" "\\1" text "${heading}")
        if(heading MATCHES "id=\"([^\"]+)\"")
            sitemap_entry(entry "${text}" "${page}#${CMAKE_MATCH_1}")
            string(APPEND sub "${entry}")
            list(APPEND index_entries "${text} (${title})|${page}#${CMAKE_MATCH_1}")
        else()
            list(APPEND index_entries "${text} (${title})|${page}")
        endif()
    endforeach()
    if(sub)
        string(APPEND contents "<UL>\n${sub}</UL>\n")
    endif()
    if(page STREQUAL "index.html")
        set(default_title "${title}")
    endif()
endforeach()

set(head "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">\n<HTML><HEAD></HEAD><BODY>\n")
file(WRITE ${STAGE}/${CHM_NAME}.hhc "${head}<UL>\n${contents}</UL>\n</BODY></HTML>\n")

list(SORT index_entries CASE INSENSITIVE)
set(index)
foreach(item IN LISTS index_entries)
    string(REPLACE "|" ";" fields "${item}")
    list(GET fields 0 name)
    list(GET fields 1 local)
    sitemap_entry(entry "${name}" "${local}")
    string(APPEND index "${entry}")
endforeach()
file(WRITE ${STAGE}/${CHM_NAME}.hhk "${head}<UL>\n${index}</UL>\n</BODY></HTML>\n")

list(JOIN files "\n" file_lines)
file(WRITE ${STAGE}/${CHM_NAME}.hhp "[OPTIONS]
Compatibility=1.1 or later
Compiled file=${CHM_NAME}.chm
Contents file=${CHM_NAME}.hhc
Index file=${CHM_NAME}.hhk
Default topic=index.html
Display compile progress=No
Full-text search=Yes
Language=0x409 English (United States)
Title=${default_title}

[FILES]
${file_lines}
")
