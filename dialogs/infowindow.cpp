// SPDX-License-Identifier: GPL-3.0-or-later
#include "infowindow.h"

#include "windowkit/controls.h"
#include "windowkit/fonts.h"

#include <QLabel>
#include <QPushButton>

namespace orvinta {

namespace {

constexpr double kSatelliteTitlePoints = 18.0;
constexpr double kProgramTitlePoints = 13.8;
constexpr int kOkWidth = 972;
constexpr int kOkHeight = 372;

} // namespace

TitleLines makeTitleLines(QWidget* window, const QRect& satelliteTwips, const QRect& programTwips) {
    return {makeLabel(window, "lblText1", QStringLiteral("LUSAT OSCAR 19"), satelliteTwips,
                      sansFont(kSatelliteTitlePoints, FontStyle::Bold)),
            makeLabel(window, "lblText2", QStringLiteral("Orvinta"), programTwips,
                      sansFont(kProgramTitlePoints, FontStyle::Bold))};
}

QLabel* makePicture(QWidget* window, const char* name, const QPixmap& picture, const QRect& twips) {
    QLabel* label = makeLabel(window, name, QString(), twips, window->font());
    label->setPixmap(picture);
    label->setScaledContents(true);
    return label;
}

QPushButton* makeOkButton(QWidget* window, int left, int top, const QFont& font) {
    return makeButton(window, "cmdOK", QStringLiteral("&OK"), {left, top, kOkWidth, kOkHeight},
                      font);
}

} // namespace orvinta
