// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/resultformats.h"

#include <QStringList>

#include <vector>

namespace orvinta::listening {

/// The table rows of telemetry lines heard: each line decoded on a frame record of its
/// own, so that the main window's record and output stay as they are. A line that gives
/// no frame (an empty one) gives no row.
std::vector<DisplayTexts> frameTableRows(const QStringList& lines);

} // namespace orvinta::listening
