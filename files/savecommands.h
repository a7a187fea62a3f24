// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The two save commands of the main window's "&Datei" menu. Each checks that there is
// something to save, asks for a file name with the platform's text input box and writes
// the file; every refusal and failure is told in a message box.

#include "filesaving.h"
#include "formats/resultformats.h"

#include <functional>
#include <vector>

class QLineEdit;
class QWidget;

namespace orvinta {

/// Gives the ten texts the output window shows at this moment.
using ValueSource = std::function<DisplayTexts()>;

/// Gives the table rows to export at this moment; none when there is nothing to save.
using RowSource = std::function<std::vector<DisplayTexts>()>;

/// Gives the table rows to export at this moment, each with its time when known; none
/// when there is nothing to save.
using TimedRowSource = std::function<std::vector<TableExportRow>()>;

/// "E&ingabe Speichern": saves the text of `txtEingabe` as an input file.
void saveInputCommand(QWidget* parent, const QLineEdit* txtEingabe);

/// "Ausgabe &Speichern (Text)": saves the shown results as a ten-line text file.
void saveResultCommand(QWidget* parent, const ValueSource& values);

} // namespace orvinta
