// SPDX-License-Identifier: GPL-3.0-or-later
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

namespace {

/// Writes all of `content` to a file opened unbuffered. A write that stops short is
/// continued, so the failing write is the one that carries the system's reason (a file
/// system reports a full disk only on the write after the last one that fitted).
bool writeAll(QFileDevice& file, QByteArrayView content) {
    qint64 written = 0;
    while (written < content.size()) {
        const qint64 count = file.write(content.data() + written, content.size() - written);
        if (count <= 0)
            return false;
        written += count;
    }
    return true;
}

} // namespace

bool writeFileAtomically(const QString& path, QByteArrayView content, QString* errorString) {
    QSaveFile file(path);
    // Unbuffered: every write reaches the temporary file at once and its failure is seen
    // here. A buffered write would fail only while commit() closes the file, and commit()
    // would then move the cut-off file over the target all the same.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *errorString = file.errorString();
        return false;
    }
    if (!writeAll(file, content)) {
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
    // Unbuffered, so that nothing of a failed write is left in a buffer that would keep
    // the file from being cut back.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        *errorString = file.errorString();
        return false;
    }
    const qint64 formerSize = file.size();
    if (writeAll(file, content))
        return true;
    *errorString = file.errorString();
    if (file.size() != formerSize && !file.resize(formerSize)) {
        *errorString += QStringLiteral("; die Datei konnte nicht auf ihre frühere Länge von %1 "
                                       "Bytes gekürzt werden")
                            .arg(formerSize);
    }
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
