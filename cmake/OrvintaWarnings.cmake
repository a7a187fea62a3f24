# SPDX-License-Identifier: GPL-3.0-or-later
# Every target of the project compiles with the same strict warnings.
#
# Warnings are errors only when asked for: the presets, and so the test command and CI,
# turn ORVINTA_WARNINGS_AS_ERRORS on, so that no warning slips in unnoticed. A plain
# `cmake -B build` and a distribution's build with its own compiler and flags leave it
# off: a new compiler's new warning must not stop a packager's build. It sets CMake's
# own COMPILE_WARNING_AS_ERROR, so `cmake --compile-no-warning-as-error` overrides it too.
option(ORVINTA_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)

function(orvinta_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
        -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual)
    if(ORVINTA_WARNINGS_AS_ERRORS)
        set_property(TARGET ${target} PROPERTY COMPILE_WARNING_AS_ERROR ON)
    endif()
endfunction()
