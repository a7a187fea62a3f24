// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace orvinta {

/// Encodes lines as the program's files hold them: Windows-1252, each line ended by CR LF.
QByteArray textFileContent(const QStringList& lines);

/// Writes `content` to a temporary file beside `path` and moves it over `path` only when
/// it is complete, so a failed write leaves an existing file untouched and nothing
/// half-written behind. On failure `errorString` holds the system's reason.
bool writeFileAtomically(const QString& path, QByteArrayView content, QString* errorString);

/// Appends `content` to `path`, creating the file when it is missing. When the write
/// fails the file is cut back to its former length, so its earlier lines stay intact.
bool appendToFile(const QString& path, QByteArrayView content, QString* errorString);

/// Reads the whole file at `path` if it holds at most `maxSize` bytes.
bool readFile(const QString& path, qint64 maxSize, QByteArray* content, QString* errorString);

} // namespace orvinta
