// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reports, from inside a starting program, the moment its window first paints.

#include <QElapsedTimer>
#include <QWidget>

namespace orvinta::bench {

/// Watches `window` and, at its first paint, prints "<milliseconds since process start>
/// <resident kB>" on standard output and ends the process.
void reportFirstPaint(QWidget* window);

} // namespace orvinta::bench
