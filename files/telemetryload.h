// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What "&Okay" of the open dialog does with the chosen file, without any window: check
// the name, read the file and turn its content into the text of the input line.

#include <QString>

namespace orvinta {

/// No telemetry file is this large; a larger file is refused rather than read.
inline constexpr qint64 kMaxTelemetryFileSize = qint64{64} * 1024;

/// The outcome of loading: the new text of the input line, or the message that says why
/// the input line stays as it is.
struct LoadResult {
    bool loaded = false;
    QString text;
    QString message;
};

/// Loads the telemetry file at `path` (the dialog's `Dateipfad`). The content is read as
/// Windows-1252; the line ends at its very end are dropped, so a saved input file reloads
/// as exactly the saved line. Line ends inside the text stay. An empty file, a file that
/// cannot be read and a file larger than kMaxTelemetryFileSize are refused with a message
/// that names the file.
LoadResult loadTelemetryFile(const QString& path);

} // namespace orvinta
