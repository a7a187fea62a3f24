# SPDX-License-Identifier: GPL-3.0-or-later
# Checks a man page: groff formats it without a warning, and when PROGRAM is given, the
# page describes every option that the program's --help lists.
#   cmake -DGROFF=... -DPAGE=<page.1> [-DPROGRAM=...] -P check-man-page.cmake
execute_process(COMMAND "${GROFF}" -man -ww -z -Tutf8 "${PAGE}"
    RESULT_VARIABLE status ERROR_VARIABLE warnings)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
    message(FATAL_ERROR "groff finds fault with ${PAGE}:\n${warnings}")
endif()

cmake_minimum_required(VERSION 3.25)

if(PROGRAM)
    execute_process(COMMAND "${PROGRAM}" --help
        RESULT_VARIABLE status OUTPUT_VARIABLE help)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${PROGRAM} --help failed (${status})")
    endif()
    file(READ "${PAGE}" page)
    string(REGEX MATCHALL "(^|[ ,\n])--?[A-Za-z][A-Za-z-]*" options "${help}")
    list(LENGTH options count)
    if(count LESS 2)
        message(FATAL_ERROR "no options found in the --help text:\n${help}")
    endif()
    set(missing)
    foreach(option IN LISTS options)
        string(STRIP "${option}" option)
        string(REGEX REPLACE "^," "" option "${option}")
        string(REPLACE "-" "\\-" roff "${option}")
        string(FIND "${page}" "${roff}" at)
        if(at EQUAL -1)
            list(APPEND missing "${option}")
        endif()
    endforeach()
    if(missing)
        list(REMOVE_DUPLICATES missing)
        message(FATAL_ERROR "${PAGE} does not describe the options: ${missing}")
    endif()
    message("${PAGE}: ${count} option names from --help, all described")
endif()
