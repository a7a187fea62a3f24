// SPDX-License-Identifier: GPL-3.0-or-later
#include "fonts.h"

#include <QApplication>

namespace orvinta {

// Debian's fonts-liberation2 package brings both families; the style hints pick a
// close relative when they are missing.
QFont sansFont(double points, FontStyle style) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(style != FontStyle::Regular);
    font.setUnderline(style == FontStyle::BoldUnderlined);
    return font;
}

void useProgramFont() {
    constexpr double kDialogPoints = 8.25;
    QApplication::setFont(sansFont(kDialogPoints));
}

QFont fixedFont(double points) {
    QFont font(QStringLiteral("Liberation Mono"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSizeF(points);
    return font;
}

} // namespace orvinta
