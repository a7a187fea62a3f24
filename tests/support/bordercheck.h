// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QImage>
#include <QPalette>
#include <QStringList>
#include <QWidget>

#include <cmath>

namespace orvinta::test {

/// The sides of `widget` on which no border shows when it is drawn at the device pixel
/// ratio `scale`: the outermost row or column of device pixels whose centres lie inside
/// the widget must hold the palette's Shadow colour, and the row just inside the top
/// border (clear of the text) its Window colour.
inline QStringList sidesWithoutBorder(QWidget* widget, qreal scale) {
    const QSize pixels(static_cast<int>(std::ceil(widget->width() * scale)),
                       static_cast<int>(std::ceil(widget->height() * scale)));
    QImage image(pixels, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::magenta);
    widget->render(&image);

    // The last device pixel whose centre lies inside a length of `logical` pixels.
    const auto lastInside = [scale](int logical) {
        return static_cast<int>(std::ceil(logical * scale - 0.5)) - 1;
    };
    const int right = lastInside(widget->width());
    const int bottom = lastInside(widget->height());
    const int midX = right / 2;
    const int midY = bottom / 2;
    const QRgb border = widget->palette().color(QPalette::Shadow).rgb();
    QStringList missing;
    if (image.pixel(midX, 0) != border)
        missing << QStringLiteral("top");
    if (image.pixel(midX, bottom) != border)
        missing << QStringLiteral("bottom");
    if (image.pixel(0, midY) != border)
        missing << QStringLiteral("left");
    if (image.pixel(right, midY) != border)
        missing << QStringLiteral("right");
    const int insideTop = static_cast<int>(1.5 * scale);
    if (image.pixel(midX, insideTop) != widget->palette().color(QPalette::Window).rgb())
        missing << QStringLiteral("(no background inside)");
    return missing;
}

} // namespace orvinta::test
