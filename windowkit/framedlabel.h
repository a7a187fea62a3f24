// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

namespace orvinta {

/// A label in a box: an opaque background (the palette's Window colour) inside a
/// single-line border on all four sides, drawn in the palette's Shadow colour so that
/// changing the text colour leaves the border as it is. The border is drawn as filled
/// bands, so that it shows on every side at fractional scale factors too, where a
/// one-pixel line along an edge can fall between the pixels the widget covers.
class FramedLabel : public QLabel {
    Q_OBJECT

public:
    explicit FramedLabel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace orvinta
