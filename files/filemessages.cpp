// SPDX-License-Identifier: GPL-3.0-or-later
#include "filemessages.h"

#include <QCoreApplication>
#include <QDir>

namespace orvinta {

namespace {

/// Qt words some reasons itself ("No such file or directory") and marks them for
/// translation without translating them; this looks them up in Qt's catalogue, so they
/// come out in German like the rest of the message. Other reasons pass unchanged.
QString translatedReason(const QString& reason) {
    return QCoreApplication::translate("QIODevice", reason.toUtf8().constData());
}

} // namespace

QString readFailedMessage(const QString& fileName, const QString& reason) {
    return QStringLiteral("Die Datei %1 kann nicht gelesen werden:\n%2.")
        .arg(QDir::toNativeSeparators(fileName), translatedReason(reason));
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
        .arg(QDir::toNativeSeparators(fileName), translatedReason(reason));
}

} // namespace orvinta
