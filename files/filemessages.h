// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The texts the file commands show, exactly as the operator sees them.

#include <QString>

namespace orvinta {

inline const QString kNoFileSelectedMessage = QStringLiteral("Keine Datei ausgewählt");
inline const QString kOnlyTlmAndTxtMessage =
    QStringLiteral("Orvinta kann nur tlm- und txt-Dateien lesen");
inline const QString kDriveUnavailableMessage = QStringLiteral("Laufwerk nich verfügbar!");
inline const QString kHintMessage = QStringLiteral("--- BITTE NUR TLM- UND TXT-DATEIEN LADEN ---");
inline const QString kHintTitle = QStringLiteral("Hinweis");

inline const QString kNoFileNameMessage = QStringLiteral("Fehler 3: Kein Dateiname");
inline const QString kNothingToSaveMessage =
    QStringLiteral("Fehler 4: Nichts zum Speichern vorhandem");

/// The file-name prompt of the two save commands.
inline const QString kFileNamePrompt = QStringLiteral("Bitte geben sie einen Dateinamen ein");
inline const QString kFileNameTitle = QStringLiteral("Speichern");
/// Preset of the file-name prompt and of the table export's name box.
inline const QString kFileNamePreset = QStringLiteral("Telemetrie00");

/// A file that could not be read, with the system's reason.
QString readFailedMessage(const QString& fileName, const QString& reason);
/// A file that holds nothing to load.
QString emptyFileMessage(const QString& fileName);
/// A directory of the open dialog that cannot be opened (any more).
QString directoryUnavailableMessage(const QString& path);
/// A file that could not be written, with the system's reason.
QString writeFailedMessage(const QString& fileName, const QString& reason);
/// The question before a new table replaces the table `fileName` of `rows` rows.
QString replaceTableQuestion(const QString& fileName, qsizetype rows);

} // namespace orvinta
