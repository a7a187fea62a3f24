// SPDX-License-Identifier: GPL-3.0-or-later
// The list of frames heard: what each column shows, the "?" runs it highlights, the
// table rows made from the frames, and the window's texts about frames and devices.
#include "listening/frametable.h"
#include "listening/heardframesmodel.h"
#include "listening/listenmessages.h"
#include "listening/unreadabledelegate.h"

#include "decoder/varmodul.h"
#include "submission/submitter.h"
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

const QDate kPassDay(2026, 12, 7);

/// The day the tests take for today: the day of the pass unless a test says otherwise.
HeardFramesModel::Today today(QDate day = kPassDay) {
    return [day] { return day; };
}

TEST(HeardFramesModel, ShowsTimeLineSnrConfidenceAndUnreadOfRecordedAndLiveFrames) {
    HeardFramesModel model(nullptr, today());
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
    EXPECT_EQ(rowTexts(model, 1)[0], QStringLiteral("14:05:07"));
    // A frame of mostly "?" can be sure of all it wrote: the count of the unread stands
    // beside the confidence.
    EXPECT_EQ(rowTexts(model, 1)[4], QStringLiteral("3"));
    EXPECT_EQ(
        model.data(model.index(1, HeardFramesModel::UnreadableColumn), Qt::ToolTipRole).toString(),
        QStringLiteral("3 unlesbare Zeichen"));
    EXPECT_EQ(model.data(model.index(1, HeardFramesModel::TimeColumn), Qt::ToolTipRole).toString(),
              QStringLiteral("2026-12-07T14:05:07.400Z"));
    EXPECT_EQ(model.line(1), QStringLiteral("E LUSAT HI HI 6O A?T ABA AU4 AD4 AA4 ABT TTU A??"));
    EXPECT_EQ(model.line(2), QString());
    QStringList headers;
    for (int column = 0; column < model.columnCount(); ++column)
        headers << model.headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(headers,
              (QStringList{"Zeit (UTC)", "Telemetriezeile", "SNR", "Sicherheit", "Unlesbar"}));
    EXPECT_EQ(HeardFramesModel().headerData(0, Qt::Horizontal).toString(), QStringLiteral("Zeit"))
        << "no frame with a time of day yet";
}

TEST(HeardFramesModel, RoundsTimesAndShowsTheDateWhereTheDayIsNotPlain) {
    const auto at = [](int day, int h, int m, int s, int ms) {
        return QDateTime(QDate(2026, 12, day), QTime(h, m, s, ms), Qt::UTC);
    };
    struct Case {
        const char* name;
        std::vector<QDateTime> times;
        QDate today;
        QStringList texts;
    };
    const std::vector<Case> cases{
        {"rounded, not cut",
         {at(7, 14, 5, 31, 904), at(7, 14, 5, 31, 499)},
         kPassDay,
         {"14:05:32", "14:05:31"}},
        {"half a second rounds up", {at(7, 14, 5, 59, 500)}, kPassDay, {"14:06:00"}},
        {"a day that is not today", {at(7, 14, 5, 7, 0)}, kPassDay.addDays(1), {"12-07 14:05:07"}},
        {"passes on two days",
         {at(7, 23, 50, 0, 0), at(8, 0, 10, 0, 0)},
         kPassDay.addDays(1),
         {"12-07 23:50:00", "12-08 00:10:00"}},
        {"rounding into the next day", {at(7, 23, 59, 59, 600)}, kPassDay, {"12-08 00:00:00"}},
    };
    for (const Case& c : cases) {
        HeardFramesModel model(nullptr, today(c.today));
        for (const QDateTime& time : c.times)
            model.append({frame("E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE", 1.0, time)});
        QStringList texts;
        for (int row = 0; row < model.rowCount(); ++row)
            texts << rowTexts(model, row)[HeardFramesModel::TimeColumn];
        EXPECT_EQ(texts, c.texts) << c.name;
    }
}

TEST(HeardFramesModel, AFrameOfAnotherDayRewritesTheTimesAlreadyListed) {
    HeardFramesModel model(nullptr, today());
    const char* line = "E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE";
    model.append({frame(line, 1.0, QDateTime(kPassDay, QTime(23, 58), Qt::UTC))});
    EXPECT_EQ(rowTexts(model, 0)[0], QStringLiteral("23:58:00"));
    QSignalSpy changed(&model, &HeardFramesModel::dataChanged);
    model.append({frame(line, 200.0, QDateTime(kPassDay.addDays(1), QTime(0, 1), Qt::UTC))});
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].value<QModelIndex>(), model.index(0, HeardFramesModel::TimeColumn));
    EXPECT_EQ(rowTexts(model, 0)[0], QStringLiteral("12-07 23:58:00"));
    EXPECT_EQ(rowTexts(model, 1)[0], QStringLiteral("12-08 00:01:00"));
}

TEST(HeardFramesModel, ShowsABoundWhereTheSnrIsBeyondMeasuring) {
    const std::pair<double, const char*> cases[] = {{280.2, "> 60 dB"}, {60.04, "> 60 dB"},
                                                    {60.0, "60.0 dB"},  {7.24, "7.2 dB"},
                                                    {-3.3, "-3.3 dB"},  {0.0, "0.0 dB"}};
    for (const auto& [snr, text] : cases)
        EXPECT_EQ(HeardFramesModel::snrText(snr), QString::fromUtf8(text)) << snr;
}

TEST(HeardFramesModel, CountsUnreadCharactersInTheRightNumber) {
    HeardFramesModel model(nullptr, today());
    model.append({frame("E LUSAT HI HI 6O A?T ABA AU4 AD4 AA4 ABT TTU AEE", 1.0),
                  frame("E LUSAT HI HI 6O A?T ABA AU4 AD4 AA4 ABT TTU A?E", 2.0)});
    const auto tip = [&](int row) {
        return model.data(model.index(row, HeardFramesModel::UnreadableColumn), Qt::ToolTipRole)
            .toString();
    };
    EXPECT_EQ(tip(0), QStringLiteral("1 unlesbares Zeichen"));
    EXPECT_EQ(tip(1), QStringLiteral("2 unlesbare Zeichen"));
}

TEST(FrameSelection, SaysWhatTheCommandsTake) {
    const struct {
        int selected;
        int total;
        const char* text;
    } cases[] = {{0, 0, ""},
                 {3, 60, "3 von 60 ausgewählt"},
                 {1, 1, "1 von 1 ausgewählt"},
                 {0, 60, "Alle 60 Blöcke (keiner ausgewählt)"},
                 {0, 1, "1 Block (keiner ausgewählt)"}};
    for (const auto& c : cases)
        EXPECT_EQ(selectionText(c.selected, c.total), QString::fromUtf8(c.text)) << c.text;
}

TEST(ListenMessages, NameTheDeviceInGermanQuotesAndCountItsChannels) {
    // The description PulseAudio gives a pipe source.
    const QString device = QStringLiteral("Unix FIFO source /tmp/receiver");
    const QString stay = QStringLiteral("Die bis dahin gehörten Blöcke bleiben in der Liste.");
    QAudioFormat mono;
    mono.setSampleRate(8000);
    mono.setChannelCount(1);
    mono.setSampleFormat(QAudioFormat::Int16);
    QAudioFormat stereo = mono;
    stereo.setChannelCount(2);
    stereo.setSampleFormat(QAudioFormat::Float);
    const std::pair<QString, QString> cases[] = {
        {deviceGoneMessage(device),
         QStringLiteral("Der Audioeingang „Unix FIFO source /tmp/receiver“ ist nicht mehr "
                        "verfügbar.\n") +
             stay},
        {deviceMissingMessage(device),
         QStringLiteral("Der Audioeingang „Unix FIFO source /tmp/receiver“ ist nicht mehr "
                        "verfügbar.\nBitte einen anderen Audioeingang wählen.")},
        {deviceHangsMessage(device),
         QStringLiteral("Der Audioeingang „Unix FIFO source /tmp/receiver“ antwortet nicht: Das "
                        "Audiosystem reagiert nicht mehr.\nOrvinta hört nicht weiter zu. ") +
             stay},
        {formatRefusedMessage(device, mono),
         QStringLiteral("Der Audioeingang „Unix FIFO source /tmp/receiver“ nimmt das Format "
                        "8000 Hz, 1 Kanal, 16 Bit nicht an.")},
        {formatRefusedMessage(device, stereo),
         QStringLiteral("Der Audioeingang „Unix FIFO source /tmp/receiver“ nimmt das Format "
                        "8000 Hz, 2 Kanäle, Gleitkomma nicht an.")},
        {deviceFailedMessage(device, QStringLiteral("Zugriff verweigert")),
         QStringLiteral("Der Audioeingang „Unix FIFO source /tmp/receiver“ kann nicht gelesen "
                        "werden:\nZugriff verweigert.\n") +
             stay},
    };
    for (const auto& [message, shown] : cases)
        EXPECT_EQ(message, shown);
}

TEST(ListenMessages, StatusLinesCountInGerman) {
    const std::pair<QString, QString> cases[] = {
        {framesListedText(0), QStringLiteral("0 Blöcke in der Liste.")},
        {framesListedText(1), QStringLiteral("1 Block in der Liste.")},
        {framesListedText(60), QStringLiteral("60 Blöcke in der Liste.")},
        {kStoppedStatus + framesListedText(2),
         QStringLiteral("Angehalten. 2 Blöcke in der Liste.")},
        {audioMissingStatus(4), QStringLiteral("Keine Audiodaten seit 4 s")},
        {listeningStatus(QStringLiteral("USB Audio")), QStringLiteral("Höre USB Audio ...")},
        {audioErrorReason(QAudio::OpenError), QStringLiteral("Das Gerät lässt sich nicht öffnen")},
        {audioErrorReason(QAudio::UnderrunError),
         QStringLiteral("Das Audiosystem meldet einen Fehler")},
        {unreadableText(1), QStringLiteral("1 unlesbares Zeichen")},
        {unreadableText(3), QStringLiteral("3 unlesbare Zeichen")},
        {sharingStatusText({5, 1, 0}, 0, 0, {}),
         QStringLiteral("SatNOGS: 5 gesendet, 1 wartend, 0 abgelehnt")},
        {sharingStatusText({0, 2, 1}, 3, 0,
                           kNotReachedProblem + QStringLiteral("Zeitüberschreitung")),
         QStringLiteral("SatNOGS: 0 gesendet, 2 wartend, 1 abgelehnt; nicht gesendet: 3 unsicher, "
                        "0 ohne Startzeit (nicht erreicht: Zeitüberschreitung)")},
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(text, shown);
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

TEST(FrameTable, DecodesEachFrameOnARecordOfItsOwnWithItsTime) {
    frameRecord().Eingabe = "untouched";
    const QDateTime utc(kPassDay, QTime(14, 5, 31, 904), Qt::UTC);
    const std::vector<ListedFrame> frames{
        frame("E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE", 1.0, utc),
        frame("E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU A??", 2.0), frame("", 3.0)};
    const std::vector<TableExportRow> rows = frameTableRows(frames);
    ASSERT_EQ(rows.size(), 2U);
    EXPECT_EQ(rows[0].time, "2026-12-07T14:05:31.904Z") << "the time as heard, not as listed";
    EXPECT_EQ(tableRow(rows[0].texts),
              "6;OK; 4.892308; 10.944; 3.7878; 947.282044887781; 7.832; 119; .3; 8.68");
    EXPECT_EQ(rows[1].time, "");
    EXPECT_EQ(rows[1].texts[9], "FEHLER");
    EXPECT_EQ(frameRecord().Eingabe, "untouched");
}

} // namespace
} // namespace orvinta::listening
