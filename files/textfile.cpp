#include "textfile.h"

#include "windows1252.h"

#include <QFile>
#include <QSaveFile>

namespace orvinta {

QByteArray textFileContent(const QStringList& lines) {
    QByteArray content;
    for (const QString& line : lines) {
        content += toWindows1252(line);
        content.append(kCrLf.data(), static_cast<qsizetype>(kCrLf.size()));
    }
    return content;
}

bool writeFileAtomically(const QString& path, QByteArrayView content, QString* errorString) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *errorString = file.errorString();
        return false;
    }
    if (file.write(content.data(), content.size()) != content.size()) {
        *errorString = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *errorString = file.errorString();
        return false;
    }
    return true;
}

bool appendToFile(const QString& path, QByteArrayView content, QString* errorString) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        *errorString = file.errorString();
        return false;
    }
    const qint64 formerSize = file.size();
    if (file.write(content.data(), content.size()) == content.size() && file.flush()) {
        return true;
    }
    *errorString = file.errorString();
    file.resize(formerSize);
    return false;
}

bool readFile(const QString& path, qint64 maxSize, QByteArray* content, QString* errorString) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *errorString = file.errorString();
        return false;
    }
    // Read one byte more than allowed: that tells a too-large file even where the
    // size is not known in advance (pipes, special files).
    QByteArray bytes = file.read(maxSize + 1);
    if (file.error() != QFileDevice::NoError) {
        *errorString = file.errorString();
        return false;
    }
    if (bytes.size() > maxSize) {
        *errorString = QStringLiteral("Die Datei ist größer als %1 Bytes").arg(maxSize);
        return false;
    }
    *content = std::move(bytes);
    return true;
}

} // namespace orvinta
