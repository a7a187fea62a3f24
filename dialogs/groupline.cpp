// SPDX-License-Identifier: GPL-3.0-or-later
#include "groupline.h"

namespace orvinta {

namespace {

/// Characters, not UTF-16 code units: a character outside the basic plane counts once.
qsizetype characterCount(const QString& text) {
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!text.at(i).isLowSurrogate() || i == 0 || !text.at(i - 1).isHighSurrogate())
            ++count;
    }
    return count;
}

} // namespace

qsizetype requiredGroupLength(std::size_t index) {
    return index == 0 ? 2 : 3;
}

GroupTexts checkedGroups(GroupTexts groups) {
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const qsizetype length = requiredGroupLength(i);
        if (characterCount(groups[i]) != length)
            groups[i] = QString(length, QLatin1Char('?'));
    }
    return groups;
}

QString groupLine(const QString& prefix, const GroupTexts& groups) {
    QString line = prefix;
    for (const QString& group : groups)
        line += QLatin1Char(' ') + group;
    return line;
}

} // namespace orvinta
