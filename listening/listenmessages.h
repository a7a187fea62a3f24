// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the listening window tells the operator when listening fails, exactly as shown.

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

} // namespace orvinta::listening
