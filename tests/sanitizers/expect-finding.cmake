# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a program that must be stopped by a sanitizer: it has to end with a non-zero
# status and print the expected report.
#   cmake -DPROGRAM=... -DARGUMENT=... -DREPORT=<regex> -P expect-finding.cmake
execute_process(COMMAND "${PROGRAM}" "${ARGUMENT}"
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(status EQUAL 0)
    message(FATAL_ERROR "'${ARGUMENT}' went unnoticed: the program ended normally")
endif()
if(NOT "${out}${err}" MATCHES "${REPORT}")
    message(FATAL_ERROR "'${ARGUMENT}' ended with status ${status} but without the report "
                        "'${REPORT}'")
endif()
