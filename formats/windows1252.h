// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <string_view>

namespace orvinta {

/// The program's files and the decoder work in the Windows-1252 code page. A character
/// that Windows-1252 cannot hold becomes "?".
QByteArray toWindows1252(QStringView text);
QString fromWindows1252(QByteArrayView bytes);

/// Windows-1252 bytes as UTF-8, for terminals and pipes.
std::string windows1252ToUtf8(std::string_view bytes);

/// Line end of every file the program writes.
inline constexpr std::string_view kCrLf = "\r\n";

} // namespace orvinta
