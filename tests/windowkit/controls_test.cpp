// SPDX-License-Identifier: GPL-3.0-or-later
// The kit's control makers: every control carries its name and sits where its twips say.
#include "windowkit/controls.h"
#include "windowkit/twips.h"

#include <QComboBox>
#include <QProgressBar>
#include <QRadioButton>
#include <QWidget>

#include <gtest/gtest.h>

namespace orvinta {
namespace {

TEST(ControlMakers, NameAndPlaceEachControlInTwips) {
    QWidget window;
    const QRect twips(120, 1110, 2640, 312);
    auto* combo = new QComboBox(&window);
    placeControl(combo, "cboGeraet", twips);
    QRadioButton* option = makeOption(&window, "optAufnahme", QStringLiteral("&Aufnahme:"), twips);
    QProgressBar* bar = makeBar(&window, "prgPegel", twips);
    for (QWidget* control : {static_cast<QWidget*>(combo), static_cast<QWidget*>(option),
                             static_cast<QWidget*>(bar)}) {
        SCOPED_TRACE(control->objectName().toStdString());
        EXPECT_EQ(window.findChild<QWidget*>(control->objectName()), control);
        EXPECT_EQ(control->geometry(), twipsRect(120, 1110, 2640, 312));
    }
    EXPECT_EQ(option->text(), QStringLiteral("&Aufnahme:"));
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
}

TEST(ControlMakers, SetUpWindowNamesTitlesAndFixesTheClientSize) {
    QWidget window;
    setUpWindow(&window, "frmVerlauf", QStringLiteral("Verlauf"), 1440, 720);
    EXPECT_EQ(window.objectName(), QStringLiteral("frmVerlauf"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Verlauf"));
    EXPECT_FALSE(window.windowIcon().isNull());
    window.resize(twipsSize(2880, 1440));
    EXPECT_EQ(window.size(), twipsSize(1440, 720));
}

} // namespace
} // namespace orvinta
