# SPDX-License-Identifier: GPL-3.0-or-later
# Builds with sanitizers and for fuzzing. Included before the first target is defined,
# so that every library, program and test is compiled the same way.

# A comma-separated list such as "address,undefined": every target is built with these
# sanitizers, stops at the first finding and keeps the standard library's assertions.
set(ORVINTA_SANITIZE "" CACHE STRING "Sanitizers to build every target with")

# libFuzzer targets in fuzz/. They need clang: the project libraries are then built
# with coverage feedback for the fuzzer and with AddressSanitizer and UBSan.
option(ORVINTA_BUILD_FUZZERS "Build the libFuzzer targets (needs clang)" OFF)

if(ORVINTA_BUILD_FUZZERS)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "ORVINTA_BUILD_FUZZERS needs clang (libFuzzer), not "
                            "${CMAKE_CXX_COMPILER_ID}: use the preset 'fuzz'")
    endif()
    if(ORVINTA_SANITIZE AND NOT ORVINTA_SANITIZE STREQUAL "address,undefined")
        message(FATAL_ERROR "The fuzzers always use address,undefined")
    endif()
    set(ORVINTA_SANITIZE "address,undefined")
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(ORVINTA_SANITIZE)
    add_compile_options(-fsanitize=${ORVINTA_SANITIZE} -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=${ORVINTA_SANITIZE})
    # Bounds checks in std::array, std::vector, std::string and friends.
    add_compile_definitions(_GLIBCXX_ASSERTIONS)
endif()
