// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the save commands write, without any window: complete the name's extension, build
// the content and write it so that a failure never destroys data. Each function returns
// whether the file was saved, the name it was saved under and, on failure, the message
// that names the file and gives the system's reason.

#include "formats/resultformats.h"

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

namespace orvinta {

struct SaveResult {
    bool saved = false;
    /// The name as used: the entered name with its extension completed.
    QString fileName;
    /// Why nothing was saved; empty when saved.
    QString message;
};

/// Whether the output window shows a decoded frame: an empty block number means there is
/// nothing to save.
bool hasResults(const DisplayTexts& texts);

/// The input file: the input line followed by CR LF.
QByteArray inputFileContent(const QString& input);
/// The ten-line result text file.
QByteArray resultFileContent(const DisplayTexts& texts);
/// A row of the table export: a frame's ten texts and, for a frame heard, the time it
/// began (ISO 8601 in UTC, as formatIsoTime() writes it); empty when unknown.
struct TableExportRow {
    std::string time;
    DisplayTexts texts;
};

/// One table row followed by CR LF, preceded by the header line for a new table.
QByteArray tableContent(const DisplayTexts& texts, bool withHeader);
/// Table rows in `layout`, each followed by CR LF, preceded by the header line of that
/// layout for a new table. A timed row without a time gets an empty time field; a plain
/// layout leaves the times out.
QByteArray tableContent(const std::vector<TableExportRow>& rows, TableLayout layout,
                        bool withHeader);

/// The layout of the table file at `fileName`, from its first line; None when the file
/// is missing, empty or no table.
TableLayout tableLayoutOfFile(const QString& fileName);

/// How many rows (lines that are neither empty nor a header) the table file at
/// `fileName` holds; 0 when it is missing or cannot be read.
qsizetype tableRowCount(const QString& fileName);

/// "E&ingabe Speichern": writes `input` under `enteredName`, ".tlm" completed, replacing
/// an existing file only when the new one is complete.
SaveResult saveInputFile(const QString& enteredName, const QString& input);

/// "Ausgabe &Speichern (Text)": writes the result text file under `enteredName`, ".txt"
/// completed, replacing an existing file only when the new one is complete.
SaveResult saveResultFile(const QString& enteredName, const DisplayTexts& texts);

enum class TableMode {
    /// Header and row replace whatever the file held.
    NewTable,
    /// The row is appended, creating the file without header when it is missing.
    ExtendTable,
};

/// The table export: writes one row under `enteredName`, ".txt" completed. Extending
/// is a single append whatever the table's size; when it fails, the table is cut back to
/// its former length so its earlier rows stay intact.
SaveResult exportTableRow(const QString& enteredName, TableMode mode, const DisplayTexts& texts);

/// The table export of several rows at once, with the same completion and safeguards:
/// all rows are written in one go, or none. A new table is timed (the layout of
/// `orvinta-decode --time`) when a row has a time; an existing table keeps its columns.
SaveResult exportTableRows(const QString& enteredName, TableMode mode,
                           const std::vector<TableExportRow>& rows);

} // namespace orvinta
