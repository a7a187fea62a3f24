# SPDX-License-Identifier: GPL-3.0-or-later
# Runs lintian, Debian's package checker, on the package and fails on any error or
# warning. Informational tags are printed with their explanation but pass: each one
# left is named, with its reason, in docs/development.md.
#   cmake -DLINTIAN=... -DDEB_DIR=... -P lintian.cmake
cmake_minimum_required(VERSION 3.25)

file(GLOB debs "${DEB_DIR}/orvinta_*.deb")
list(LENGTH debs count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one package in ${DEB_DIR}, found: ${debs}")
endif()
execute_process(COMMAND "${LINTIAN}" --info --display-info "${debs}"
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}")
# lintian exits with 1 when it finds errors; any other status means it could not run.
if(NOT status MATCHES "^[01]$")
    message(FATAL_ERROR "lintian could not check ${debs} (${status}):\n${err}")
endif()
string(REGEX MATCHALL "(^|\n)[EW]: [^\n]*" findings "${out}")
if(findings OR NOT status EQUAL 0)
    string(REPLACE "\n" "" findings "${findings}")
    list(JOIN findings "\n  " findings)
    message(FATAL_ERROR "lintian finds errors or warnings in ${debs}:\n  ${findings}")
endif()
string(REGEX MATCHALL "(^|\n)I: [^\n]*" notes "${out}")
list(LENGTH notes count)
message("${debs}: no lintian error or warning, ${count} informational tags")
