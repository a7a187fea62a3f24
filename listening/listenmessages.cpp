// SPDX-License-Identifier: GPL-3.0-or-later
#include "listenmessages.h"

#include "decoder/counttext.h"
#include "submission/submitter.h"

#include <QDir>

namespace orvinta::listening {
namespace {

const QString kFramesStay = QStringLiteral("Die bis dahin gehörten Blöcke bleiben in der Liste.");

QString sampleFormatName(QAudioFormat::SampleFormat format) {
    switch (format) {
    case QAudioFormat::UInt8:
        return QStringLiteral("8 Bit");
    case QAudioFormat::Int16:
        return QStringLiteral("16 Bit");
    case QAudioFormat::Int32:
        return QStringLiteral("32 Bit");
    case QAudioFormat::Float:
        return QStringLiteral("Gleitkomma");
    default:
        return QStringLiteral("unbekanntes Sampleformat");
    }
}

} // namespace

QString listeningStatus(const QString& device) {
    return QStringLiteral("Höre %1 ...").arg(device);
}

QString audioMissingStatus(int seconds) {
    return QStringLiteral("Keine Audiodaten seit %1 s").arg(seconds);
}

QString framesListedText(int count) {
    return QString::fromStdString(countText(count, "Block", "Blöcke")) +
           QStringLiteral(" in der Liste.");
}

QString audioErrorReason(QAudio::Error error) {
    switch (error) {
    case QAudio::OpenError:
        return QStringLiteral("Das Gerät lässt sich nicht öffnen");
    case QAudio::IOError:
        return QStringLiteral("Das Gerät liefert keine Daten mehr");
    case QAudio::FatalError:
        return QStringLiteral("Das Audiosystem meldet einen schweren Fehler");
    default:
        return QStringLiteral("Das Audiosystem meldet einen Fehler");
    }
}

QString recordingUnreadableMessage(const QString& path, const QString& reason) {
    return QStringLiteral("Die Aufnahme %1 kann nicht gelesen werden:\n%2.")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString recordingBrokenMessage(const QString& path, double seconds, const QString& reason) {
    return QStringLiteral("Die Aufnahme %1 kann nach %2 s nicht weiter gelesen werden:\n%3.\n%4")
        .arg(QDir::toNativeSeparators(path), QString::number(seconds, 'f', 1), reason, kFramesStay);
}

QString deviceGoneMessage(const QString& device) {
    return QStringLiteral("Der Audioeingang \u201E%1\u201C ist nicht mehr verfügbar.\n%2")
        .arg(device, kFramesStay);
}

QString deviceMissingMessage(const QString& device) {
    return QStringLiteral("Der Audioeingang \u201E%1\u201C ist nicht mehr verfügbar.\nBitte einen "
                          "anderen Audioeingang wählen.")
        .arg(device);
}

QString deviceHangsMessage(const QString& device) {
    return QStringLiteral("Der Audioeingang \u201E%1\u201C antwortet nicht: Das Audiosystem "
                          "reagiert nicht mehr.\nOrvinta hört nicht weiter zu. %2")
        .arg(device, kFramesStay);
}

QString formatRefusedMessage(const QString& device, const QAudioFormat& format) {
    return QStringLiteral(
               "Der Audioeingang \u201E%1\u201C nimmt das Format %2 Hz, %3, %4 nicht an.")
        .arg(device)
        .arg(format.sampleRate())
        .arg(QString::fromStdString(countText(format.channelCount(), "Kanal", "Kanäle")))
        .arg(sampleFormatName(format.sampleFormat()));
}

QString deviceFailedMessage(const QString& device, const QString& reason) {
    return QStringLiteral("Der Audioeingang \u201E%1\u201C kann nicht gelesen werden:\n%2.\n%3")
        .arg(device, reason, kFramesStay);
}

QString unreadableText(long long count) {
    return QString::fromStdString(countText(count, "unlesbares Zeichen", "unlesbare Zeichen"));
}

QString sharingStatusText(const submission::SubmissionCounts& counts, int uncertain,
                          int withoutTime, const QString& problem) {
    QString text = QStringLiteral("SatNOGS: %1 gesendet, %2 wartend, %3 abgelehnt")
                       .arg(counts.sent)
                       .arg(counts.waiting)
                       .arg(counts.refused);
    if (uncertain > 0 || withoutTime > 0)
        text += QStringLiteral("; nicht gesendet: %1 unsicher, %2 ohne Startzeit")
                    .arg(uncertain)
                    .arg(withoutTime);
    if (!problem.isEmpty())
        text += QStringLiteral(" (") + problem + QLatin1Char(')');
    return text;
}

QString selectionText(int selected, int total) {
    if (total <= 0)
        return {};
    if (selected > 0)
        return QStringLiteral("%1 von %2 ausgewählt").arg(selected).arg(total);
    const QString all = QString::fromStdString(countText(total, "Block", "Blöcke"));
    return (total == 1 ? all : QStringLiteral("Alle ") + all) +
           QStringLiteral(" (keiner ausgewählt)");
}

} // namespace orvinta::listening
