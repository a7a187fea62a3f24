// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the listening window tells the operator, exactly as shown: why listening fails,
// the reasons that go into those messages, the status line, the list's headers, the
// waterfall's silence, sharing with SatNOGS, and which frames its commands take. The
// captions of the controls stand with the controls.

#include <QAudio>
#include <QAudioFormat>
#include <QString>

namespace orvinta::submission {
struct SubmissionCounts;
} // namespace orvinta::submission

namespace orvinta::listening {

/// The title and filter of the box that picks a recording.
inline const QString kChooseRecordingTitle = QStringLiteral("Aufnahme wählen");
inline const QString kRecordingFilter =
    QStringLiteral("Tonaufnahmen (*.wav *.WAV *.flac *.FLAC *.ogg *.OGG *.oga);;Alle Dateien (*)");

/// The status line before, while and after listening.
inline const QString kReadyStatus = QStringLiteral("Bereit.");
inline const QString kRecordingStatus = QStringLiteral("Höre die Aufnahme ...");
inline const QString kStoppingStatus = QStringLiteral("Halte an ...");
inline const QString kCompletedStatus = QStringLiteral("Fertig. ");
inline const QString kStoppedStatus = QStringLiteral("Angehalten. ");
inline const QString kFailedStatus = QStringLiteral("Fehler. ");
/// "Höre <device> ...".
QString listeningStatus(const QString& device);
/// The device has delivered no audio for `seconds`.
QString audioMissingStatus(int seconds);
/// How many frames the list holds when listening ends: "60 Blöcke in der Liste.".
QString framesListedText(int count);

/// Why a recording cannot be read, when the system gives no reason of its own.
inline const QString kDirectoryReason = QStringLiteral("Das ist ein Verzeichnis");
inline const QString kNoRecordingReason =
    QStringLiteral("Die Datei enthält keine Tonaufnahme in einem lesbaren Format "
                   "(WAV, FLAC, Ogg Vorbis)");
/// Why an input device failed, as the audio system reports it.
QString audioErrorReason(QAudio::Error error);

inline const QString kNoInputDeviceMessage =
    QStringLiteral("Kein Audioeingang gefunden: Das System meldet kein Gerät, von dem Orvinta "
                   "hören könnte.\nBitte den Empfänger anschließen oder eine Aufnahme wählen.");

/// The recording cannot be opened at all.
QString recordingUnreadableMessage(const QString& path, const QString& reason);
/// Reading the recording failed part way; what was heard up to there stays.
QString recordingBrokenMessage(const QString& path, double seconds, const QString& reason);
/// The input device went away while it was listened to.
QString deviceGoneMessage(const QString& device);
/// The input device chosen is no longer there when the listening is to start.
QString deviceMissingMessage(const QString& device);
/// The input device does not answer: its start or stop does not return.
QString deviceHangsMessage(const QString& device);
/// The input device does not take the format it was asked for.
QString formatRefusedMessage(const QString& device, const QAudioFormat& format);
/// The input device could not be opened, or failed while it was listened to.
QString deviceFailedMessage(const QString& device, const QString& reason);

/// The headers of the frame list; the time column says UTC once the times are known.
inline const QString kTimeHeader = QStringLiteral("Zeit");
inline const QString kUtcTimeHeader = QStringLiteral("Zeit (UTC)");
inline const QString kLineHeader = QStringLiteral("Telemetriezeile");
inline const QString kSnrHeader = QStringLiteral("SNR");
inline const QString kConfidenceHeader = QStringLiteral("Sicherheit");
inline const QString kUnreadableHeader = QStringLiteral("Unlesbar");
/// "1 unlesbares Zeichen", "3 unlesbare Zeichen".
QString unreadableText(long long count);

/// What the waterfall shows over a stretch without audio.
inline const QString kSilenceText = QStringLiteral("Keine Audiodaten");

/// Sharing is refused while no station is set.
inline const QString kNoStationMessage =
    QStringLiteral("Ohne Station wird nichts gesendet: Bitte zuerst Rufzeichen und Standort "
                   "unter \"Datei\" > \"Station ...\" eintragen.");
/// What went wrong last while sharing, each followed by its reason.
inline const QString kNotReachedProblem = QStringLiteral("nicht erreicht: ");
inline const QString kRefusedProblem = QStringLiteral("abgelehnt: ");
inline const QString kJournalProblem = QStringLiteral("Journal: ");
inline const QString kSettingsProblem = QStringLiteral("Einstellungen nicht gespeichert: ");
/// "SatNOGS: 3 gesendet, 1 wartend, 0 abgelehnt", with the frames kept back and the last
/// `problem` when there are any.
QString sharingStatusText(const submission::SubmissionCounts& counts, int uncertain,
                          int withoutTime, const QString& problem);

/// Which of the `total` frames in the list "In &Tabelle ..." and "&Verlauf" take:
/// "3 von 60 ausgewählt", or all of them when none is selected; empty for an empty list.
QString selectionText(int selected, int total);

} // namespace orvinta::listening
