# SPDX-License-Identifier: GPL-3.0-or-later
# Asks apt, without changing the system, whether the package would install here: its
# name, version and every dependency must be satisfiable from Debian's packages.
#   cmake -DDEB_DIR=... -P apt-simulate.cmake
file(GLOB debs "${DEB_DIR}/orvinta_*.deb")
list(LENGTH debs count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one package in ${DEB_DIR}, found: ${debs}")
endif()
execute_process(COMMAND apt-get install --simulate --no-install-recommends --yes "${debs}"
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(NOT status EQUAL 0)
    message(FATAL_ERROR "apt would not install ${debs}")
endif()
if(NOT out MATCHES "Inst orvinta |orvinta is already the newest version")
    message(FATAL_ERROR "apt would not install the package orvinta")
endif()
