// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/frmausgabe.h"

#include "decoder/decoder.h"
#include "support/bordercheck.h"
#include "support/qtprinters.h"
#include "windowkit/twips.h"

#include <QLabel>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace orvinta {
namespace {

DecodedFrame sampleFrame() {
    VarModul record;
    return *decode("E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE", record);
}

QLabel* label(const QWidget& window, const char* name) {
    return window.findChild<QLabel*>(QString::fromLatin1(name));
}

TEST(OutputWindow, HoldsTwentyNineLabelsAndNothingElse) {
    frmAusgabe window;
    EXPECT_EQ(window.findChildren<QLabel*>().size(), 29);
    EXPECT_EQ(window.findChildren<QWidget*>().size(), 29);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("LUSAT OSCAR 19 Telemetrie"));
    EXPECT_FALSE(window.isVisible()) << "creating the window does not show it";
}

TEST(OutputWindow, RowsArePlacedEvery480TwipsWithTheBox120AboveItsCaption) {
    frmAusgabe window;
    const char* captions[] = {"lbltext2", "lbltext3", "lbltext4", "lbltext5", "lbltext6",
                              "lbltext7", "lbltext8", "lbltext9", "lbltext10"};
    const char* boxes[] = {"lblO1", "lblO2", "lblO3", "lblO4", "lblO5",
                           "lblO6", "lblO7", "lblO8", "lblO9"};
    for (int row = 0; row < 9; ++row) {
        SCOPED_TRACE(row + 1);
        EXPECT_EQ(label(window, captions[row])->y(), twipsToPixels(600 + 480 * row));
        EXPECT_EQ(label(window, boxes[row])->y(), twipsToPixels(480 + 480 * row));
        EXPECT_EQ(label(window, boxes[row])->x(), twipsToPixels(2400));
    }
    EXPECT_EQ(label(window, "lblO1")->width(), twipsRect(2400, 0, 252, 0).width());
    EXPECT_EQ(label(window, "lbltext7")->width(), twipsRect(240, 0, 2052, 0).width());
    EXPECT_EQ(label(window, "lblStatus")->geometry(), twipsRect(3840, 480, 852, 372));
    EXPECT_EQ(window.size(), twipsSize(5484, 4920));
}

TEST(OutputWindow, ValueBoxesShowTheirBorderOnAllFourSidesAtEveryScale) {
    frmAusgabe window;
    window.showFrame(sampleFrame());
    for (const qreal scale : {1.0, 1.25, 1.5, 1.75, 2.0}) {
        for (QLabel* box : window.findChildren<QLabel*>(QRegularExpression("^lbl(O\\d|Status)$"))) {
            EXPECT_EQ(test::sidesWithoutBorder(box, scale), QStringList())
                << box->objectName().toStdString() << " at " << scale;
        }
    }
}

TEST(OutputWindow, UnitsFollowTheEightFormulas) {
    frmAusgabe window;
    QStringList units;
    for (int i = 1; i <= 8; ++i)
        units
            << label(window, QByteArray("lblEinheit" + QByteArray::number(i)).constData())->text();
    EXPECT_EQ(units, (QStringList{"V", "V", "°C", "mW", "°C", "mA", "V", "V"}));
}

TEST(OutputWindow, WritesWhileHiddenAndClearKeepsTheStatusColour) {
    frmAusgabe window;
    window.showFrame(sampleFrame());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.lblO1->text(), QStringLiteral("6"));
    EXPECT_EQ(window.channelBoxes[2]->text(), QStringLiteral(" 3.7878"));

    window.clearValues();
    for (QLabel* box : window.findChildren<QLabel*>(QRegularExpression("^lbl(O\\d|Status)$")))
        EXPECT_TRUE(box->text().isEmpty()) << box->objectName().toStdString();
    EXPECT_EQ(window.lblStatus->palette().color(QPalette::WindowText), QColor(0, 192, 0));
}

TEST(OutputWindow, ValueTextsComeBackInTableOrderAsWindows1252) {
    frmAusgabe window;
    EXPECT_EQ(window.valueTexts(), DisplayTexts{});
    window.showFrame(sampleFrame());
    const DisplayTexts texts = window.valueTexts();
    EXPECT_EQ(texts[0], "6");
    EXPECT_EQ(texts[1], "OK");
    EXPECT_EQ(texts[2], " 4.892308");
    EXPECT_EQ(texts[9], " 8.68");
}

} // namespace
} // namespace orvinta
