// SPDX-License-Identifier: GPL-3.0-or-later
// The list of frames heard: what each column shows, the "?" runs it highlights, and the
// table rows made from the frames.
#include "listening/frametable.h"
#include "listening/heardframesmodel.h"
#include "listening/unreadabledelegate.h"

#include "decoder/varmodul.h"
#include "support/qtprinters.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>

namespace orvinta::listening {
namespace {

ListedFrame frame(const char* text, double seconds, QDateTime utc = {}) {
    cw::HeardFrame heard;
    heard.text = text;
    heard.unreadable =
        static_cast<std::size_t>(std::count(heard.text.begin(), heard.text.end(), '?'));
    heard.seconds = seconds;
    heard.snrDb = 7.24;
    heard.confidence = 0.876;
    heard.toneHz = 812.0;
    heard.wordsPerMinute = 20.0;
    return {heard, utc};
}

QStringList rowTexts(const HeardFramesModel& model, int row) {
    QStringList texts;
    for (int column = 0; column < model.columnCount(); ++column)
        texts << model.data(model.index(row, column)).toString();
    return texts;
}

TEST(HeardFramesModel, ShowsTimeLineSnrConfidenceAndUnreadOfRecordedAndLiveFrames) {
    HeardFramesModel model;
    QSignalSpy inserted(&model, &HeardFramesModel::rowsInserted);
    const QDateTime utc(QDate(2026, 12, 7), QTime(14, 5, 7, 400), Qt::UTC);
    model.append({frame("E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE", 123.456)});
    model.append({frame("E LUSAT HI HI 6O A?T ABA AU4 AD4 AA4 ABT TTU A??", 3.0, utc)});
    model.append({});

    EXPECT_EQ(inserted.count(), 2);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), 5);
    EXPECT_EQ(rowTexts(model, 0),
              (QStringList{"123.46 s", "E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE", "7.2 dB",
                           "88 %", "0"}));
    EXPECT_EQ(rowTexts(model, 1)[0], QStringLiteral("14:05:07 UTC"));
    // A frame of mostly "?" can be sure of all it wrote: the count of the unread stands
    // beside the confidence.
    EXPECT_EQ(rowTexts(model, 1)[4], QStringLiteral("3"));
    EXPECT_EQ(
        model.data(model.index(1, HeardFramesModel::UnreadableColumn), Qt::ToolTipRole).toString(),
        QStringLiteral("3 unlesbare Zeichen"));
    EXPECT_EQ(model.data(model.index(1, HeardFramesModel::TimeColumn), Qt::ToolTipRole).toString(),
              QStringLiteral("2026-12-07T14:05:07Z"));
    EXPECT_EQ(model.line(1), QStringLiteral("E LUSAT HI HI 6O A?T ABA AU4 AD4 AA4 ABT TTU A??"));
    EXPECT_EQ(model.line(2), QString());
    QStringList headers;
    for (int column = 0; column < model.columnCount(); ++column)
        headers << model.headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(headers, (QStringList{"Zeit", "Telemetriezeile", "SNR", "Sicherheit", "Unlesbar"}));
}

TEST(HeardFramesModel, HighlightsEachRunOfUnreadableCharacters) {
    const QList<QTextLayout::FormatRange> runs =
        unreadableFormats(QStringLiteral("E LUSAT HI HI 6O A?T ABA AU4 AD4 AA4 ABT TTU A??"));
    ASSERT_EQ(runs.size(), 2);
    EXPECT_EQ(runs[0].start, 18);
    EXPECT_EQ(runs[0].length, 1);
    EXPECT_EQ(runs[1].start, 46);
    EXPECT_EQ(runs[1].length, 2);
    EXPECT_NE(runs[0].format.background(), QBrush());
    EXPECT_TRUE(unreadableFormats(QStringLiteral("E LUSAT HI HI 6O AVT")).isEmpty());
}

TEST(FrameTable, DecodesEachLineOnARecordOfItsOwn) {
    frameRecord().Eingabe = "untouched";
    const std::vector<DisplayTexts> rows = frameTableRows(
        {QStringLiteral("E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE"),
         QStringLiteral("E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU A??"), QString()});
    ASSERT_EQ(rows.size(), 2U);
    EXPECT_EQ(tableRow(rows[0]),
              "6;OK; 4.892308; 10.944; 3.7878; 947.282044887781; 7.832; 119; .3; 8.68");
    EXPECT_EQ(rows[1][9], "FEHLER");
    EXPECT_EQ(frameRecord().Eingabe, "untouched");
}

} // namespace
} // namespace orvinta::listening
