// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <iosfwd>

namespace orvinta {

/// Exit statuses of orvinta-decode.
enum ExitStatus : int {
    kExitOk = 0,
    kExitLineReported = 1, ///< some line was empty and reported on standard error
    kExitFailure = 2,      ///< usage error, or a file could not be read or written
};

/// Runs orvinta-decode with `arguments` (program name first) on the given streams:
/// every telemetry line read from the files, or from `in`, becomes a table row or a
/// ten-line result text. Returns the exit status.
int runDecodeCli(const QStringList& arguments, std::istream& in, std::ostream& out,
                 std::ostream& err);

} // namespace orvinta
