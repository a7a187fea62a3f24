# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Debian package afresh in DEB_DIR.
#   cmake -DCPACK=... -DCONFIG=.../CPackConfig.cmake -DDEB_DIR=... -P build-package.cmake
file(REMOVE_RECURSE "${DEB_DIR}")
execute_process(COMMAND "${CPACK}" -G DEB --config "${CONFIG}" -B "${DEB_DIR}"
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cpack failed (${status})")
endif()
