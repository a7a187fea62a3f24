// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "heardframesmodel.h"

#include "files/filesaving.h"
#include "history/historyframes.h"

#include <span>
#include <vector>

namespace orvinta::listening {

/// The table rows of frames heard, in the given order, each with its UTC time where
/// known: each line decoded on a frame record of its own, so that the main window's
/// record and output stay as they are. A line that gives no frame (an empty one) gives
/// no row.
std::vector<TableExportRow> frameTableRows(std::span<const ListedFrame> frames);

/// The frames heard as the history window takes them, each with its UTC time where
/// known. A frame known only by its seconds into a recording keeps no time: the history
/// draws such frames by their place in the list when no frame has a time, and counts
/// them as not shown when others have one.
std::vector<history::HistoryFrame> historyFrames(std::span<const ListedFrame> frames);

} // namespace orvinta::listening
