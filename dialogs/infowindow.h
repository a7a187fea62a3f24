// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the information windows share: the two title lines of the splash and the
// about box, a picture scaled to its box, and the OK button that closes a window.

#include <QFont>
#include <QPixmap>
#include <QRect>

class QLabel;
class QPushButton;
class QWidget;

namespace orvinta {

/// The title lines "LUSAT OSCAR 19" (`lblText1`) and "Orvinta" (`lblText2`).
struct TitleLines {
    QLabel* satellite;
    QLabel* program;
};

/// The two title lines in their large bold fonts, placed at `satelliteTwips` and
/// `programTwips` of `window`, aligned left and top.
TitleLines makeTitleLines(QWidget* window, const QRect& satelliteTwips, const QRect& programTwips);

/// A label `name` that shows `picture` scaled to its box `twips`: the picture fills the
/// box at the design DPI and keeps the window's proportions at any other.
QLabel* makePicture(QWidget* window, const char* name, const QPixmap& picture, const QRect& twips);

/// The button `cmdOK` "&OK" of the design size, its top left corner at `left`, `top`
/// (twips).
QPushButton* makeOkButton(QWidget* window, int left, int top, const QFont& font);

} // namespace orvinta
