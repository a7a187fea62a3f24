# SPDX-License-Identifier: GPL-3.0-or-later
# Registers the GoogleTest suites of the project with CTest.
include(GoogleTest)

# Every GoogleTest executable is registered through this function, so that every test
# carries the name GoogleTest gives it. NO_PRETTY_VALUES keeps CMake from replacing the
# names of parameterized tests by printed parameter values, which for a struct are raw
# bytes that differ from run to run; the suites give their cases readable names instead.
#
#   orvinta_add_gtests(target [OFFSCREEN] [SLOW] [LOCK name] [DISCOVERY_TIMEOUT seconds])
#
# OFFSCREEN runs the tests on Qt's offscreen platform even under a plain `ctest`.
# SLOW marks tests that take half a minute (real-time audio): a parallel `ctest` starts
# them first, so that the others run beside them instead of all waiting for them at the
# end. (A fresh build has no timings of earlier runs to order the tests by.)
# LOCK runs the program's tests one after another, never two at once: tests that play
# audio in real time and wait for threads to end, under the sanitizers, miss their
# deadlines when two of them share the two cores.
#
# Most of the time of building a test file goes into parsing GoogleTest and Qt's headers:
# each test program is compiled as one unit (a unity build), which parses them once. This
# builds faster than precompiling them per program, and the test files keep to names of
# their own, or the shared helpers in tests/support/.

function(orvinta_add_gtests target)
    cmake_parse_arguments(ARG "OFFSCREEN;SLOW" "LOCK;DISCOVERY_TIMEOUT" "" ${ARGN})
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 0)
    set(options NO_PRETTY_VALUES)
    if(ARG_DISCOVERY_TIMEOUT)
        list(APPEND options DISCOVERY_TIMEOUT ${ARG_DISCOVERY_TIMEOUT})
    endif()
    set(properties)
    if(ARG_OFFSCREEN)
        list(APPEND properties ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
    if(ARG_SLOW)
        list(APPEND properties COST 1000)
    endif()
    if(ARG_LOCK)
        list(APPEND properties RESOURCE_LOCK ${ARG_LOCK})
    endif()
    if(properties)
        list(APPEND options PROPERTIES ${properties})
    endif()
    gtest_discover_tests(${target} ${options})
endfunction()
