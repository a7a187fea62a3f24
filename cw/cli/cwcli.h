// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <iosfwd>

namespace orvinta::cw {

/// Exit statuses of orvinta-cw.
enum CwExitStatus : int {
    kCwExitOk = 0,
    kCwExitNotAllSubmitted = 1, ///< a frame was refused, or waits to be sent again
    kCwExitFailure = 2,         ///< usage error, or a file could not be read
};

/// Runs orvinta-cw with `arguments` (program name first): decodes every audio file
/// named and writes the frames heard to `out`, reports to `err`. Returns the exit status.
int runCwCli(const QStringList& arguments, std::ostream& out, std::ostream& err);

} // namespace orvinta::cw
