# SPDX-License-Identifier: GPL-3.0-or-later
# Every target of the project compiles with the same strict warnings, as errors.
function(orvinta_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
        -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual -Werror)
endfunction()
