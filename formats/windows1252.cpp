// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows1252.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace orvinta {
namespace {

constexpr const char* kCodePage = "windows-1252";

bool isAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

QByteArray toWindows1252(QStringView text) {
    QStringEncoder encoder(kCodePage);
    QByteArray bytes = encoder.encode(text);
    if (!encoder.hasError()) {
        return bytes;
    }
    // Some character has no Windows-1252 form: encode one character at a time and put
    // "?" where one fails, rather than the converter's control-character substitute.
    bytes.clear();
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        QStringEncoder single(kCodePage);
        const QByteArray encoded = single.encode(text.sliced(i, length));
        bytes += single.hasError() ? QByteArray("?") : encoded;
        i += length;
    }
    return bytes;
}

QString fromWindows1252(QByteArrayView bytes) {
    QStringDecoder decoder(kCodePage);
    return decoder.decode(bytes);
}

std::string windows1252ToUtf8(std::string_view bytes) {
    if (isAscii(bytes)) {
        return std::string(bytes);
    }
    return fromWindows1252(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())))
        .toStdString();
}

} // namespace orvinta
