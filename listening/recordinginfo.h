// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the listening window needs to know of a recording before decoding it: its length,
// for the progress bar and the time scale of the waterfall, and why it cannot be read.

#include <QString>

#include <optional>

namespace orvinta::listening {

/// The length of the audio recording at `path` in seconds; nothing when it cannot be
/// opened or does not say (a stream without a length).
std::optional<double> recordingSeconds(const QString& path);

/// Why the recording at `path` cannot be opened, in the system's words where the system
/// refuses the file, else that it holds no audio in a format the program reads.
QString unreadableReason(const QString& path);

} // namespace orvinta::listening
