// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileextensions.h"

#include <algorithm>

namespace orvinta {

namespace {

constexpr qsizetype kEndingLength = 4;

QLatin1StringView latin1(std::string_view text) {
    return QLatin1StringView(text.data(), static_cast<qsizetype>(text.size()));
}

QString completed(const QString& name, std::span<const std::string_view> endings,
                  std::string_view extension) {
    return endsWithOneOf(name, endings) ? name : name + latin1(extension);
}

} // namespace

bool endsWithOneOf(const QString& name, std::span<const std::string_view> endings) {
    const QStringView lastFour = QStringView(name).right(kEndingLength);
    return std::ranges::any_of(endings,
                               [&](std::string_view ending) { return lastFour == latin1(ending); });
}

bool isLoadableName(const QString& path) {
    return endsWithOneOf(path, kLoadEndings);
}

QString completeInputFileName(const QString& name) {
    return completed(name, kInputFileEndings, kInputFileExtension);
}

QString completeTextFileName(const QString& name) {
    return completed(name, kTextFileEndings, kTextFileExtension);
}

} // namespace orvinta
