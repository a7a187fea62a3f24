// SPDX-License-Identifier: GPL-3.0-or-later
// The history window as the operator drives it: by the keyboard, from the main window.
#include "charts/frmverlauf.h"

#include "history/tablesupport.h"
#include "support/fakeplatform.h"
#include "support/keys.h"
#include "windowkit/twips.h"
#include "windows/frmtelemetrie.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>

namespace orvinta {
namespace {

constexpr int kShortIntroMs = 10;

class HistoryWindow : public testing::Test {
protected:
    void SetUp() override {
        put("pass.txt", test::knownPass());
        window = std::make_unique<frmVerlauf>();
        window->show();
        // Access keys are shortcuts of the active window.
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    void put(const char* name, const std::string& content) const {
        std::ofstream(QFile::encodeName(path(name)).toStdString(), std::ios::binary) << content;
    }

    /// Presses Alt+`key` on the window, as the operator does for an access key.
    void alt(Qt::Key key) { ASSERT_TRUE(test::pressAccessKey(window.get(), key)); }

    /// Opens `name` through "Tabelle öffnen", the file dialog answered by the test.
    void open(const char* name) {
        platform.fileAnswers.push_back(path(name));
        alt(Qt::Key_T);
    }

    /// The figures of a channel (1 to 8) as the statistics table shows them.
    QStringList figures(int channel) const {
        QStringList texts;
        for (int c = 1; c < window->grdStatistik->columnCount(); ++c)
            texts << window->grdStatistik->item(channel - 1, c)->text();
        return texts;
    }

    int seriesIn(std::size_t chart) const {
        return static_cast<int>(window->chtEinheit[chart]->chart()->series().size());
    }

    test::FakePlatform platform;
    QTemporaryDir dir;
    std::unique_ptr<frmVerlauf> window;
};

TEST_F(HistoryWindow, OpensATableAndShowsItsChartsAndFigures) {
    open("pass.txt");
    ASSERT_EQ(platform.fileDialogs.size(), 1U);
    EXPECT_EQ(platform.fileDialogs[0].title, QStringLiteral("Tabelle öffnen"));
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(window->lblDatei->text(), QStringLiteral("pass.txt: 5 Zeilen"));
    EXPECT_EQ(figures(1), (QStringList{"5", "0", "4.8", "5.2", "5"}));
    EXPECT_EQ(figures(2), (QStringList{"4", "1", "10", "14", "12"}));
    EXPECT_EQ(figures(6), (QStringList{"4", "1", "100", "140", "122.5"}));
    EXPECT_EQ(seriesIn(0), 4) << "four channels in volts";
    EXPECT_EQ(seriesIn(1), 2);
    EXPECT_EQ(seriesIn(2), 1);
    EXPECT_EQ(seriesIn(3), 1);
    EXPECT_EQ(window->txtVon->text(), QStringLiteral("2026-12-07T14:00:00Z"));
    EXPECT_EQ(window->txtBis->text(), QStringLiteral("2026-12-07T14:04:00Z"));
}

TEST_F(HistoryWindow, ChannelsGoOffAndOnWithTheirDigit) {
    open("pass.txt");
    alt(Qt::Key_6);
    EXPECT_FALSE(window->chkKanal[5]->isChecked());
    EXPECT_EQ(seriesIn(3), 0);
    alt(Qt::Key_1);
    EXPECT_EQ(seriesIn(0), 3);
    alt(Qt::Key_6);
    EXPECT_EQ(seriesIn(3), 1);
    EXPECT_FALSE(window->plotState().shown[0]);
    EXPECT_TRUE(window->plotState().shown[5]);
}

TEST_F(HistoryWindow, ShowsTheTypedRangeAndItsFiguresThenAllAgain) {
    open("pass.txt");
    alt(Qt::Key_V);
    EXPECT_EQ(QApplication::focusWidget(), window->txtVon);
    QTest::keySequence(window->txtVon, QKeySequence::SelectAll);
    QTest::keyClicks(window->txtVon, QStringLiteral("2026-12-07T15:01:00+01:00"));
    QTest::keyClick(window->txtVon, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window->txtBis);
    QTest::keySequence(window->txtBis, QKeySequence::SelectAll);
    QTest::keyClicks(window->txtBis, QStringLiteral("2026-12-07T14:03:00Z"));
    alt(Qt::Key_Z);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(figures(1), (QStringList{"3", "0", "4.9", "5.1", "5"}));
    EXPECT_EQ(figures(6), (QStringList{"2", "1", "120", "130", "125"}));
    EXPECT_EQ(window->txtVon->text(), QStringLiteral("2026-12-07T14:01:00Z"));

    alt(Qt::Key_A);
    EXPECT_EQ(figures(1)[0], QStringLiteral("5"));
    EXPECT_EQ(window->txtBis->text(), QStringLiteral("2026-12-07T14:04:00Z"));
}

TEST_F(HistoryWindow, ARangeDraggedInOneChartIsShownInAll) {
    open("pass.txt");
    QChartView* view = window->chtEinheit[0];
    const QRectF plot = view->chart()->plotArea();
    const QPoint start =
        view->mapFromScene(QPointF(plot.left() + plot.width() * 0.2, plot.center().y()));
    const QPoint end =
        view->mapFromScene(QPointF(plot.left() + plot.width() * 0.8, plot.center().y()));
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, start);
    QTest::mouseMove(view->viewport(), end);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, end);
    ASSERT_TRUE(QTest::qWaitFor([&] { return figures(1)[0] == QStringLiteral("3"); }));
    EXPECT_EQ(figures(6), (QStringList{"2", "1", "120", "130", "125"}))
        << "the middle three minutes, in every channel";
    const auto* current =
        qobject_cast<QValueAxis*>(window->chtEinheit[3]->chart()->axes(Qt::Horizontal).front());
    const history::Range range = window->plotState().range;
    // The axis holds the range and a few pixels' room beyond it for the end points.
    EXPECT_LE(current->min(), range.from);
    EXPECT_GE(current->min(), range.from - (range.to - range.from) * 0.05);
}

/// The chart's line of channel `channel` (1 to 8): its series, named after it.
std::vector<QLineSeries*> linesOf(QChart* chart, int channel) {
    std::vector<QLineSeries*> lines;
    for (QAbstractSeries* series : chart->series()) {
        if (series->name().startsWith(QStringLiteral("%1 ").arg(channel)))
            lines.push_back(qobject_cast<QLineSeries*>(series));
    }
    return lines;
}

TEST_F(HistoryWindow, TheFirstAndTheLastPointAreSeenWhole) {
    open("pass.txt");
    QChart* chart = window->chtEinheit[0]->chart();
    const std::vector<QLineSeries*> lines = linesOf(chart, 1);
    ASSERT_EQ(lines.size(), 1U);
    QLineSeries* line = lines.front();
    ASSERT_TRUE(line->pointsVisible());
    const QRectF plot = chart->plotArea();
    const double radius = line->markerSize() / 2;
    const QPointF first = chart->mapToPosition(line->points().front(), line);
    const QPointF last = chart->mapToPosition(line->points().back(), line);
    EXPECT_GE(first.x() - plot.left(), radius);
    EXPECT_GE(plot.right() - last.x(), radius);
    EXPECT_GE(last.y() - plot.top(), radius) << "the highest value is the last";
}

TEST_F(HistoryWindow, LinesBreakBetweenPassesAndKeepTheirPoints) {
    // Two passes of three frames a minute apart, 84 minutes between them.
    const std::string row = ";" + test::kSampleRow + "\r\n";
    std::string table;
    for (const char* time : {"14:00", "14:01", "14:02", "15:26", "15:27", "15:28"})
        table += "2026-12-07T" + std::string(time) + ":00Z" + row;
    put("two.txt", table);
    open("two.txt");
    for (std::size_t unit = 0; unit < history::kUnitCount; ++unit) {
        for (QAbstractSeries* series : window->chtEinheit[unit]->chart()->series()) {
            const auto* line = qobject_cast<QLineSeries*>(series);
            EXPECT_EQ(line->count(), 3) << series->name().toStdString();
        }
    }
    EXPECT_EQ(linesOf(window->chtEinheit[0]->chart(), 1).size(), 2U);
    EXPECT_EQ(seriesIn(0), 8) << "four channels in volts, two passes each";
    EXPECT_EQ(figures(1)[0], QStringLiteral("6"));
}

TEST_F(HistoryWindow, AChartWithoutValuesSaysSoInsteadOfAnAxis) {
    open("pass.txt");
    EXPECT_EQ(window->chtEinheit[3]->chart()->title(), QStringLiteral("Strom (mA)"));
    alt(Qt::Key_6);
    QChart* chart = window->chtEinheit[3]->chart();
    EXPECT_EQ(chart->title(), QStringLiteral("Strom (mA): keine Werte"));
    EXPECT_FALSE(chart->axes(Qt::Vertical).front()->isVisible());
    EXPECT_EQ(window->chtEinheit[0]->chart()->title(), QStringLiteral("Spannungen (V)"));
    alt(Qt::Key_6);
    EXPECT_TRUE(window->chtEinheit[3]->chart()->axes(Qt::Vertical).front()->isVisible());
}

TEST_F(HistoryWindow, ATableOfOneRowAndARangeOfOneInstantAreDrawn) {
    put("one.txt", "2026-12-07T14:05:00Z;" + test::kSampleRow + "\r\n");
    open("one.txt");
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(window->lblDatei->text(), QStringLiteral("one.txt: 1 Zeile"));
    EXPECT_EQ(figures(1), (QStringList{"1", "0", "4.89231", "4.89231", "4.89231"}));
    EXPECT_EQ(window->txtVon->text(), window->txtBis->text());
    QChart* chart = window->chtEinheit[0]->chart();
    const auto* axis = qobject_cast<QValueAxis*>(chart->axes(Qt::Horizontal).front());
    EXPECT_LT(axis->min(), test::at("2026-12-07T14:05:00Z"));
    EXPECT_GT(axis->max(), test::at("2026-12-07T14:05:00Z"));
    ASSERT_EQ(linesOf(chart, 1).size(), 1U);
    EXPECT_TRUE(linesOf(chart, 1).front()->pointsVisible()) << "a single frame is a point";
    EXPECT_EQ(chart->title(), QStringLiteral("Spannungen (V)"));

    open("pass.txt");
    window->txtVon->setText(QStringLiteral("2026-12-07T14:02:00Z"));
    window->txtBis->setText(QStringLiteral("2026-12-07T14:02:00Z"));
    alt(Qt::Key_Z);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(figures(1), (QStringList{"1", "0", "5", "5", "5"}));
    EXPECT_EQ(window->chtEinheit[0]->chart()->title(), QStringLiteral("Spannungen (V)"));
}

TEST_F(HistoryWindow, AWrongRangeIsReportedAndChangesNothing) {
    open("pass.txt");
    const history::Range before = window->plotState().range;
    const std::vector<std::pair<QString, QString>> wrong{
        {QStringLiteral("2026-12-07T14:01:00"), QStringLiteral("2026-12-07T14:03:00Z")},
        {QStringLiteral("2026-12-07T14:01:00Z"), QStringLiteral("bald")},
        {QStringLiteral("2026-12-07T14:03:00Z"), QStringLiteral("2026-12-07T14:01:00Z")}};
    for (const auto& [from, to] : wrong) {
        window->txtVon->setText(from);
        window->txtBis->setText(to);
        alt(Qt::Key_Z);
    }
    EXPECT_EQ(platform.messageTexts(),
              (QStringList{"Von: ungültige Zeit \"2026-12-07T14:01:00\": die Zeitzone fehlt (Z "
                           "oder ±hh:mm)",
                           "Bis: ungültige Zeit \"bald\": das Datum ist nicht JJJJ-MM-TT",
                           "Der Bereich endet vor seinem Anfang."}));
    EXPECT_EQ(window->plotState().range, before);
}

TEST_F(HistoryWindow, MalformedRowsAreReportedByLineAndTheRestShown) {
    std::string table = test::knownPass();
    for (int i = 0; i < 12; ++i)
        table += "6;OK;kaputt\r\n";
    put("bad.txt", table);
    open("bad.txt");
    ASSERT_EQ(platform.messages.size(), 1U);
    const QStringList lines = platform.messages[0].text.split('\n');
    EXPECT_EQ(lines.front(), QStringLiteral("In bad.txt wurden 12 Zeilen übersprungen:"));
    EXPECT_EQ(lines[1], QStringLiteral("Zeile 7: 3 Felder statt 10 (oder 11 mit der Zeit vorn)"));
    EXPECT_EQ(lines.back(), QStringLiteral("... und 2 weitere."));
    EXPECT_EQ(window->lblDatei->text(), QStringLiteral("bad.txt: 5 Zeilen, 12 übersprungen"));
    EXPECT_EQ(figures(1)[0], QStringLiteral("5"));
}

TEST_F(HistoryWindow, AnUnreadableTableIsReportedAndTheShownOneStays) {
    open("pass.txt");
    open("missing.txt");
    EXPECT_EQ(
        platform.messageTexts(),
        QStringList{QStringLiteral("Die Tabelle %1 kann nicht gelesen werden:\n%2.")
                        .arg(path("missing.txt"), QString::fromLocal8Bit(std::strerror(ENOENT)))});
    EXPECT_EQ(window->lblDatei->text(), QStringLiteral("pass.txt: 5 Zeilen"));
    EXPECT_EQ(window->table().size(), 5U);
}

TEST_F(HistoryWindow, SavesTheShownChartsAsPngAndSvg) {
    open("pass.txt");
    alt(Qt::Key_4);
    platform.fileAnswers.push_back(path("bild"));
    alt(Qt::Key_P);
    EXPECT_EQ(platform.presets.back(), QStringLiteral("pass.png"));
    EXPECT_EQ(QImage(path("bild.png")).size(), QSize(1200, 1600)) << "the ending is added";
    platform.fileAnswers.push_back(path("bild.svg"));
    alt(Qt::Key_G);
    EXPECT_GT(QFile(path("bild.svg")).size(), 0);
    alt(Qt::Key_P); // cancelled: no answer queued
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(platform.fileDialogs.back().text, QStringLiteral("PNG-Bilder (*.png)"));
}

TEST_F(HistoryWindow, TakesFramesHeldInMemory) {
    std::vector<history::HistoryFrame> frames;
    for (const char* line : {"E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE",
                             "E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU A?E"})
        frames.push_back(*history::frameFromLine(std::nullopt, line));
    window->showFrames(frames, QStringLiteral("Empfang"));
    EXPECT_EQ(window->lblDatei->text(), QStringLiteral("Empfang: 2 Zeilen"));
    EXPECT_EQ(window->table().axis, history::AxisKind::Row);
    EXPECT_EQ(figures(8), (QStringList{"1", "1", "8.68", "8.68", "8.68"}));
    EXPECT_EQ(window->txtBis->text(), QStringLiteral("2"));
}

TEST_F(HistoryWindow, EnterAndEscapePressNothingAndCloseHides) {
    open("pass.txt");
    test::pressEnterAndEscapeOn({window->cmdOeffnen, window->chkKanal[0], window->txtVon,
                                 window->cmdZoomen, window->cmdPng, window->cmdSchliessen});
    EXPECT_EQ(platform.fileDialogs.size(), 1U);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->chkKanal[0]->isChecked());
    alt(Qt::Key_C);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(HistoryWindow, HasAFixedSizeAndAccessKeysThatClashWithNothing) {
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(window->size(), twipsSize(13200, 9480));
    EXPECT_FALSE(window->windowIcon().isNull());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Verlauf"));
    QStringList keys;
    static const QRegularExpression accessKey(QStringLiteral("&(.)"));
    for (const QWidget* control : window->findChildren<QWidget*>()) {
        QString caption;
        if (const auto* button = qobject_cast<const QAbstractButton*>(control))
            caption = button->text();
        else if (const auto* label = qobject_cast<const QLabel*>(control))
            caption = label->text();
        const QRegularExpressionMatch match = accessKey.match(caption);
        if (match.hasMatch())
            keys << match.captured(1).toUpper();
    }
    EXPECT_EQ(keys.join(' '), QStringLiteral("T 1 2 3 4 5 6 7 8 V B Z A P G C"));
    keys.removeDuplicates();
    EXPECT_EQ(keys.size(), 16);
}

TEST(HistoryFromTheMainWindow, OpensFromTheFileMenuAndGoesWithTheProgram) {
    test::FakePlatform platform;
    frmTelemetrie main(kShortIntroMs);
    main.Form_Load();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QTest::keyClick(&main, Qt::Key_D, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return main.mnuDatei->isVisible(); }));
    QTest::keyClick(main.mnuDatei, Qt::Key_V);
    ASSERT_TRUE(QTest::qWaitFor([&] { return main.verlauf()->isVisible(); }));
    EXPECT_TRUE(platform.messages.empty());
    main.mnuBeenden->trigger();
    EXPECT_FALSE(main.verlauf()->isVisible());
}

} // namespace
} // namespace orvinta
