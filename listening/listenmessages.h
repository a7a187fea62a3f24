// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the listening window tells the operator, exactly as shown: why listening fails,
// and which frames its commands take.

#include <QAudioFormat>
#include <QString>

namespace orvinta::listening {

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

/// Which of the `total` frames in the list "In &Tabelle ..." and "&Verlauf" take:
/// "3 von 60 ausgewählt", or all of them when none is selected; empty for an empty list.
QString selectionText(int selected, int total);

} // namespace orvinta::listening
