// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <iosfwd>

namespace orvinta::history {

/// Runs orvinta-plot with `arguments` (program name first): reads a table file and
/// writes its charts as a PNG or SVG picture. Messages go to `out` and `err`. Needs a
/// QApplication. Returns the exit status: 0 when every row was read, 1 when rows were
/// reported and left out, 2 on a usage error or when a file cannot be read or written.
int runPlotCli(const QStringList& arguments, std::ostream& out, std::ostream& err);

} // namespace orvinta::history
