// SPDX-License-Identifier: GPL-3.0-or-later
#include "telemetryload.h"

#include "fileextensions.h"
#include "filemessages.h"
#include "formats/textfile.h"
#include "formats/windows1252.h"

namespace orvinta {

namespace {

LoadResult refused(const QString& message) {
    return LoadResult{false, QString(), message};
}

/// The content without the CR and LF characters at its very end.
QByteArrayView withoutFinalLineEnds(QByteArrayView content) {
    qsizetype length = content.size();
    while (length > 0 && (content[length - 1] == '\r' || content[length - 1] == '\n'))
        --length;
    return content.first(length);
}

} // namespace

LoadResult loadTelemetryFile(const QString& path) {
    if (path.isEmpty())
        return refused(kNoFileSelectedMessage);
    if (!isLoadableName(path))
        return refused(kOnlyTlmAndTxtMessage);

    QByteArray content;
    QString error;
    if (!readFile(path, kMaxTelemetryFileSize, &content, &error))
        return refused(readFailedMessage(path, error));

    const QByteArrayView line = withoutFinalLineEnds(content);
    if (line.isEmpty())
        return refused(emptyFileMessage(path));
    return LoadResult{true, fromWindows1252(line), QString()};
}

} // namespace orvinta
