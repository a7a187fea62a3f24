// SPDX-License-Identifier: GPL-3.0-or-later
#include "framedlabel.h"

#include <QPainter>

namespace orvinta {

FramedLabel::FramedLabel(QWidget* parent)
    : QLabel(parent) {
    setFrameStyle(QFrame::NoFrame);
    // The text keeps clear of the border.
    setContentsMargins(1, 1, 1, 1);
}

void FramedLabel::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        const QRectF outer(rect());
        painter.fillRect(outer, palette().color(QPalette::Shadow));
        // One pixel of the design is at least one device pixel wide, so each band holds
        // a row or column of pixel centres whatever the scale factor.
        constexpr qreal kBorder = 1.0;
        painter.fillRect(outer.adjusted(kBorder, kBorder, -kBorder, -kBorder),
                         palette().color(QPalette::Window));
    }
    QLabel::paintEvent(event);
}

} // namespace orvinta
