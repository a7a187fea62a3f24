// SPDX-License-Identifier: GPL-3.0-or-later
#include "charts/chartexport.h"

#include "history/tablesupport.h"
#include "support/qtprinters.h"

#include <QChart>
#include <QImage>
#include <QLineSeries>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace orvinta::history {
namespace {

class PictureExport : public testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
    const HistoryTable table = parseTable(test::knownPass());
};

/// How many pixels of `image` have the colour of `channel`'s line.
int pixelsOf(const QImage& image, std::size_t channel) {
    const QRgb wanted = channelColour(channel).rgb();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == wanted ? 1 : 0;
    }
    return count;
}

TEST_F(PictureExport, PngHasTheAskedSizeAndTheShownLinesOnly) {
    PlotState state = fullView(table);
    state.shown[5] = false;
    QString error;
    ASSERT_TRUE(writePicture(path("pass.PNG"), QSize(600, 800), table, state, &error))
        << error.toStdString();
    const QImage image(path("pass.PNG"), "PNG");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(600, 800));
    EXPECT_GT(pixelsOf(image, 0), 50) << "channel 1 is drawn";
    EXPECT_EQ(pixelsOf(image, 5), 0) << "channel 6 is switched off";
}

TEST_F(PictureExport, SvgHasTheAskedSize) {
    QString error;
    ASSERT_TRUE(writePicture(path("pass.svg"), kPictureSize, table, fullView(table), &error));
    QSvgRenderer svg(path("pass.svg"));
    ASSERT_TRUE(svg.isValid());
    EXPECT_EQ(svg.viewBox(), QRect(QPoint(0, 0), kPictureSize));
}

TEST_F(PictureExport, OtherEndingsAndUnwritableFilesAreRefusedWithTheReason) {
    QString error;
    EXPECT_FALSE(writePicture(path("pass.jpg"), kPictureSize, table, fullView(table), &error));
    EXPECT_EQ(error, QStringLiteral("die Endung ist weder .png noch .svg"));
    EXPECT_FALSE(
        writePicture(path("no/folder/pass.png"), kPictureSize, table, fullView(table), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(path("pass.jpg")));
}

TEST(UnitCharts, HoldTheShownChannelsOfTheirUnit) {
    const HistoryTable table = parseTable(test::knownPass());
    PlotState state = fullView(table);
    state.shown[1] = false;
    QChart chart;
    drawUnitChart(&chart, Unit::Volt, table, state, 400, Legend::Hidden);
    QStringList names;
    for (QAbstractSeries* series : chart.series())
        names << series->name();
    EXPECT_EQ(names, (QStringList{"1 +5 V reguliert", "7 +Z-Solarpanel", "8 +8,5 V reguliert"}));
    EXPECT_EQ(chart.title(), QStringLiteral("Spannungen (V)"));

    drawUnitChart(&chart, Unit::Milliampere, table, state, 400, Legend::Hidden);
    ASSERT_EQ(chart.series().size(), 1);
    const auto* current = qobject_cast<QLineSeries*>(chart.series().front());
    EXPECT_EQ(current->count(), 4) << "FEHLER is left out of the line";
    EXPECT_EQ(chart.axes().size(), 2) << "the axes of the former unit are gone";
}

} // namespace
} // namespace orvinta::history
