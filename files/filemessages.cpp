// SPDX-License-Identifier: GPL-3.0-or-later
#include "filemessages.h"

#include "decoder/counttext.h"

#include <QDir>

namespace orvinta {

QString readFailedMessage(const QString& fileName, const QString& reason) {
    return QStringLiteral("Die Datei %1 kann nicht gelesen werden:\n%2.")
        .arg(QDir::toNativeSeparators(fileName), reason);
}

QString emptyFileMessage(const QString& fileName) {
    return QStringLiteral("Die Datei %1 ist leer. Die Eingabe bleibt unverändert.")
        .arg(QDir::toNativeSeparators(fileName));
}

QString directoryUnavailableMessage(const QString& path) {
    return QStringLiteral("Das Verzeichnis %1 ist nicht verfügbar.")
        .arg(QDir::toNativeSeparators(path));
}

QString writeFailedMessage(const QString& fileName, const QString& reason) {
    return QStringLiteral("Die Datei %1 kann nicht gespeichert werden:\n%2.")
        .arg(QDir::toNativeSeparators(fileName), reason);
}

QString replaceTableQuestion(const QString& fileName, qsizetype rows) {
    return QStringLiteral("Die Tabelle %1 enthält schon %2.\n"
                          "Soll eine neue Tabelle sie ersetzen?")
        .arg(QDir::toNativeSeparators(fileName),
             QString::fromStdString(countText(rows, "Zeile", "Zeilen")));
}

} // namespace orvinta
