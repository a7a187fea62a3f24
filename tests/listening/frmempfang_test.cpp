// SPDX-License-Identifier: GPL-3.0-or-later
// The listening window as the operator uses it, by its keys: a recording chosen in the
// file dialog and decoded, frames taken over and exported, a stop, and the failures.
#include "listening/frmempfang.h"

#include "charts/frmverlauf.h"
#include "formats/resultformats.h"
#include "keyer/recordings.h"
#include "listening/heardframesmodel.h"
#include "listening/listenmessages.h"
#include "listening/unreadabledelegate.h"
#include "listening/waterfallview.h"
#include "support/eventually.h"
#include "support/fakeplatform.h"
#include "support/keys.h"
#include "support/outputvalues.h"
#include "windows/frmausgabe.h"
#include "windows/frmtelemetrie.h"

#include <QComboBox>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace orvinta {
namespace {

// The window lists the system's audio inputs; these tests run with none, whatever the
// machine has: the audio server named here does not exist.
const bool kNoAudioServer = qputenv("PULSE_SERVER", "unix:/nonexistent/orvinta-test-server");

/// Runs `act` once `window` shows: from inside the modal loop that showing starts.
void whenShown(QWidget* window, std::function<void()> act) {
    auto* poll = new QTimer(window);
    QObject::connect(poll, &QTimer::timeout, window, [window, poll, act] {
        if (!window->isVisible())
            return;
        poll->deleteLater();
        poll->stop();
        act();
    });
    poll->start(10);
}

QByteArray fileContent(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ListeningWindow : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(kNoAudioServer);
        main.mnuHoeren->trigger();
        window = main.empfang();
        ASSERT_TRUE(test::activate(window));
    }

    /// Chooses `recording` with Alt+D in the file dialog and decodes it with Alt+S.
    void decode(const QString& recording) {
        platform.fileAnswers.push_back(recording);
        press(Qt::Key_D);
        ASSERT_TRUE(test::eventually([&] { return window->txtDatei->text() == recording; }));
        press(Qt::Key_S);
        ASSERT_TRUE(test::eventually([&] { return running(); }));
        ASSERT_TRUE(test::eventually([&] { return !running(); }, 60000));
    }

    /// Lists `lines` as frames heard, the way the decoder hands them over, without
    /// decoding audio: for the tests of the list and its commands.
    void hear(const std::vector<std::string>& lines) {
        constexpr double kFrameSeconds = 10.0;
        listening::ListenBatch batch;
        for (const std::string& line : lines) {
            cw::HeardFrame heard;
            heard.text = line;
            heard.seconds = kFrameSeconds * static_cast<double>(batch.frames.size());
            heard.endSeconds = heard.seconds + kFrameSeconds / 2;
            heard.toneHz = test::listeningSignal().toneHz;
            heard.snrDb = 20.0;
            heard.confidence = 1.0;
            batch.frames.push_back({heard, QDateTime()});
        }
        emit window->session()->heard(batch);
    }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::AltModifier) {
        QTest::keyClick(window->windowHandle(), key, modifiers);
    }
    bool running() const { return window->session()->isRunning(); }
    QString path(const char* name) const { return folder.filePath(QString::fromLatin1(name)); }

    /// Exports through the table dialog that Alt+T opens, as a new table or extending one.
    void exportTable(const QString& name, bool newTable) {
        frmSpeichern* dialog = window->tabelle();
        bool saved = false;
        whenShown(dialog, [dialog, name, newTable, &saved] {
            dialog->txtDateiname->setText(name);
            (newTable ? dialog->optNeueTabelle : dialog->optalteTabelle)->setChecked(true);
            ASSERT_TRUE(test::activate(dialog));
            ASSERT_TRUE(test::pressAccessKey(dialog, Qt::Key_S));
            saved = true;
        });
        // The operator comes back to the window after the dialog.
        ASSERT_TRUE(test::activate(window));
        press(Qt::Key_T);
        ASSERT_TRUE(test::eventually([&] { return saved && dialog->isHidden(); }));
    }

    test::FakePlatform platform;
    frmTelemetrie main{0};
    frmEmpfang* window = nullptr;
    QTemporaryDir folder;
};

TEST_F(ListeningWindow, DecodesARecordingTakesFramesOverAndExportsThem) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Empfang"));
    EXPECT_NE(
        dynamic_cast<listening::UnreadableDelegate*>(
            window->lstBloecke->itemDelegateForColumn(listening::HeardFramesModel::LineColumn)),
        nullptr);

    const QString recording = path("pass.wav");
    ASSERT_EQ(test::writeRecording(recording, test::twoFrames(), test::listeningSignal()).size(),
              2U);
    platform.fileAnswers.push_back(recording);
    press(Qt::Key_D);
    ASSERT_TRUE(test::eventually([&] { return window->txtDatei->text() == recording; }));
    EXPECT_EQ(platform.fileDialogs.at(0).title, QStringLiteral("Aufnahme wählen"));

    press(Qt::Key_S);
    ASSERT_TRUE(test::eventually([&] { return running(); }));
    ASSERT_TRUE(test::eventually([&] { return !running(); }, 60000));
    const listening::HeardFramesModel* frames = window->frames();
    ASSERT_EQ(frames->rowCount(), 2);
    EXPECT_EQ(frames->line(0), QString::fromStdString(test::twoFrames()[0]));
    EXPECT_EQ(frames->line(1), QString::fromStdString(test::twoFrames()[1]));
    EXPECT_EQ(window->lblStatus->text(), QStringLiteral("Fertig. 2 Blöcke in der Liste."));
    EXPECT_EQ(window->prgFortschritt->value(), 100);
    EXPECT_GT(window->picWasserfall->rowCount(), 100);
    EXPECT_EQ(window->picWasserfall->markCount(), 2);
    // The tone followed is traced where the beacon keys.
    const auto& tones = window->picWasserfall->tones();
    ASSERT_FALSE(tones.empty());
    for (const cw::FollowedTone& tone : tones)
        EXPECT_NEAR(tone.hz, test::listeningSignal().toneHz, 20.0) << tone.seconds;
    EXPECT_TRUE(platform.messages.empty());

    // Alt+B goes to the list; the second frame is taken over as loading a file would put
    // it, and nothing is computed.
    press(Qt::Key_B);
    press(Qt::Key_Down, Qt::NoModifier);
    press(Qt::Key_Down, Qt::NoModifier);
    press(Qt::Key_Udiaeresis);
    ASSERT_TRUE(test::eventually([&] { return main.txtEingabe->text() == frames->line(1); }));
    EXPECT_EQ(test::shownValues(main.ausgabe()), QStringList(10, QString()));

    const QRect first = window->lstBloecke->visualRect(frames->index(0, 1));
    QTest::mouseClick(window->lstBloecke->viewport(), Qt::LeftButton, {}, first.center());
    QTest::mouseDClick(window->lstBloecke->viewport(), Qt::LeftButton, {}, first.center());
    EXPECT_EQ(main.txtEingabe->text(), frames->line(0));

    // The selected frame starts a table; all frames extend it when none is selected.
    const QString table = path("empfang");
    exportTable(table, true);
    window->lstBloecke->clearSelection();
    exportTable(table, false);
    const QByteArray row0 =
        "6;OK; 4.892308; 10.944; 3.7878; 947.282044887781; 7.832; 119; .3; 8.68\r\n";
    const QByteArray row1 =
        "7;OK; 4.818182; 10.944; 3.7878; 947.282044887781; 7.832; 119; .3; 8.736\r\n";
    const std::string_view header = tableHeader();
    EXPECT_EQ(fileContent(table + ".txt"),
              QByteArray(header.data(), static_cast<qsizetype>(header.size())) + "\r\n" + row0 +
                  row0 + row1);
}

TEST_F(ListeningWindow, TimesTheFramesOfARecordingAndShowsThemInTheHistory) {
    // The recording's name says when it began.
    const QString timed = path("pass_2026-12-07T14-05-00.wav");
    ASSERT_EQ(test::writeRecording(timed, test::twoFrames(), test::listeningSignal()).size(), 2U);
    decode(timed);
    const listening::HeardFramesModel* frames = window->frames();
    ASSERT_EQ(frames->rowCount(), 2);
    const QDateTime start(QDate(2026, 12, 7), QTime(14, 5), Qt::UTC);
    for (const listening::ListedFrame& frame : frames->frames()) {
        const QDateTime expected = start.addMSecs(std::llround(frame.heard.seconds * 1000.0));
        EXPECT_EQ(frame.utc, expected);
        // A pass of another day than today: the list writes the date, and rounds the time.
        EXPECT_EQ(frames->timeText(frame),
                  expected.addMSecs(500).toString(QStringLiteral("MM-dd HH:mm:ss")));
    }
    EXPECT_EQ(
        frames->headerData(listening::HeardFramesModel::TimeColumn, Qt::Horizontal).toString(),
        QStringLiteral("Zeit (UTC)"));
    // The longest texts of their columns stand in full.
    const QFontMetrics metrics(window->lstBloecke->font());
    constexpr int kCellMargins = 8;
    const std::pair<int, QString> widest[] = {
        {listening::HeardFramesModel::TimeColumn, frames->timeText(frames->frames()[0])},
        {listening::HeardFramesModel::SnrColumn, listening::HeardFramesModel::snrText(280.2)},
        {listening::HeardFramesModel::SnrColumn, listening::HeardFramesModel::snrText(-12.3)},
        {listening::HeardFramesModel::LineColumn, frames->line(0)}};
    for (const auto& [column, text] : widest) {
        EXPECT_LE(metrics.horizontalAdvance(text) + kCellMargins,
                  window->lstBloecke->columnWidth(column))
            << text.toStdString();
    }

    ASSERT_TRUE(test::pressAccessKey(window, Qt::Key_V));
    frmVerlauf* verlauf = main.verlauf();
    // The history window comes to the front.
    ASSERT_TRUE(test::eventually([&] { return QApplication::activeWindow() == verlauf; }));
    const history::HistoryTable& table = verlauf->table();
    EXPECT_EQ(table.axis, history::AxisKind::Time);
    ASSERT_EQ(table.size(), 2U);
    for (std::size_t i = 0; i < 2; ++i)
        EXPECT_EQ(table.x[i], static_cast<double>(frames->frames()[i].utc.toMSecsSinceEpoch()));
    EXPECT_DOUBLE_EQ(table.values[0][0], 4.892308);
    EXPECT_DOUBLE_EQ(table.values[0][1], 4.818182);
    EXPECT_EQ(verlauf->lblDatei->text(), QStringLiteral("Empfang: 2 Zeilen"));

    // Frames of a recording without a start time have no place on the time axis; the
    // history counts them.
    ASSERT_TRUE(test::activate(window));
    const QString plain = path("pass.wav");
    ASSERT_EQ(test::writeRecording(plain, test::twoFrames(), test::listeningSignal()).size(), 2U);
    decode(plain);
    ASSERT_EQ(frames->rowCount(), 4);
    EXPECT_FALSE(frames->frames()[2].utc.isValid());
    EXPECT_TRUE(frames->timeText(frames->frames()[2]).endsWith(" s"));
    ASSERT_TRUE(test::pressAccessKey(window, Qt::Key_V));
    ASSERT_TRUE(test::eventually([&] {
        return verlauf->lblDatei->text() ==
               QStringLiteral("Empfang: 2 Zeilen, 2 ohne Zeit nicht gezeigt");
    }));
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(ListeningWindow, TheListIsOneTabStopAndFocusAloneSelectsNothing) {
    hear(test::twoFrames());
    ASSERT_EQ(window->frames()->rowCount(), 2);
    EXPECT_EQ(window->lblAuswahl->text(), QStringLiteral("Alle 2 Blöcke (keiner ausgewählt)"));

    window->cmdStart->setFocus();
    // Stopp is off while nothing runs, Übernehmen while nothing is selected.
    EXPECT_EQ(test::focusAfterEachPress(window, 2), (QStringList{"lstBloecke", "cmdTabelle"}));
    EXPECT_FALSE(window->lstBloecke->selectionModel()->hasSelection());
    EXPECT_EQ(test::focusAfterEachPress(window, 2, Qt::Key_Backtab, Qt::ShiftModifier),
              (QStringList{"lstBloecke", "cmdStart"}));
    EXPECT_FALSE(window->lstBloecke->selectionModel()->hasSelection());
    EXPECT_EQ(window->lblAuswahl->text(), QStringLiteral("Alle 2 Blöcke (keiner ausgewählt)"));

    // Inside, the arrow keys move from frame to frame and select the one they reach.
    test::focusAfterEachPress(window, 1);
    EXPECT_EQ(test::focusAfterEachPress(window, 1, Qt::Key_Down), QStringList{"lstBloecke"});
    EXPECT_EQ(window->lstBloecke->currentIndex().row(), 1);
    EXPECT_EQ(window->lblAuswahl->text(), QStringLiteral("1 von 2 ausgewählt"));
    EXPECT_TRUE(window->cmdUebernehmen->isEnabled());
}

TEST_F(ListeningWindow, FramesPickedOutOfOrderGoIntoTheTableAndTheHistoryInListOrder) {
    // Three frames told apart by their block number and their last channel.
    const std::vector<std::string> lines{"E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE",
                                         "E LUSAT HI HI 7O AVU ABA AU4 AD4 AA4 ABT TTU AE6",
                                         "E LUSAT HI HI 8O AVU ABA AU4 AD4 AA4 ABT TTU AE6"};
    hear(lines);
    ASSERT_EQ(window->frames()->rowCount(), 3);
    ASSERT_EQ(window->frames()->line(2), QString::fromStdString(lines[2]));

    // The third, then the first: from the top down to the third, then back up without
    // moving the selection, and Ctrl+Space adds the first.
    press(Qt::Key_B);
    press(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_FALSE(window->lstBloecke->selectionModel()->hasSelection());
    press(Qt::Key_Down, Qt::NoModifier);
    press(Qt::Key_Down, Qt::NoModifier);
    press(Qt::Key_Up, Qt::ControlModifier);
    press(Qt::Key_Up, Qt::ControlModifier);
    press(Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(window->lblAuswahl->text(), QStringLiteral("2 von 3 ausgewählt"));

    const QString table = path("auswahl");
    exportTable(table, true);
    const std::string_view header = tableHeader();
    EXPECT_EQ(fileContent(table + ".txt"),
              QByteArray(header.data(), static_cast<qsizetype>(header.size())) +
                  "\r\n6;OK; 4.892308; 10.944; 3.7878; 947.282044887781; 7.832; 119; .3; 8.68\r\n"
                  "8;OK; 4.818182; 10.944; 3.7878; 947.282044887781; 7.832; 119; .3; 8.736\r\n")
        << fileContent(table + ".txt").toStdString();

    ASSERT_TRUE(test::activate(window));
    ASSERT_TRUE(test::pressAccessKey(window, Qt::Key_V));
    frmVerlauf* verlauf = main.verlauf();
    ASSERT_TRUE(test::eventually([&] { return verlauf->table().size() == 2; }));
    EXPECT_EQ(verlauf->lblDatei->text(), QStringLiteral("Empfang: 2 Zeilen"));
    EXPECT_EQ(verlauf->table().x, (std::vector<double>{1, 2}));
    EXPECT_EQ(verlauf->table().values[7], (std::vector<double>{8.68, 8.736}));

    // One frame alone: one row. The operator closes the history window and comes back.
    ASSERT_TRUE(test::pressAccessKey(verlauf, Qt::Key_C));
    ASSERT_TRUE(verlauf->isHidden());
    ASSERT_TRUE(test::activate(window));
    press(Qt::Key_B);
    press(Qt::Key_Down, Qt::NoModifier);
    EXPECT_EQ(window->lblAuswahl->text(), QStringLiteral("1 von 3 ausgewählt"));
    ASSERT_TRUE(test::pressAccessKey(window, Qt::Key_V));
    ASSERT_TRUE(test::eventually([&] { return verlauf->table().size() == 1; }));
    EXPECT_EQ(verlauf->lblDatei->text(), QStringLiteral("Empfang: 1 Zeile"));
}

TEST_F(ListeningWindow, ATableOfEarlierPassesIsReplacedOnlyWhenTheOperatorSaysSo) {
    const QString recording = path("pass_2026-12-07T14-05-00.wav");
    ASSERT_EQ(test::writeRecording(recording, test::twoFrames(), test::listeningSignal()).size(),
              2U);
    decode(recording);
    const QString table = path("passes");
    exportTable(table, true);
    const QByteArray earlier = fileContent(table + ".txt");
    ASSERT_TRUE(earlier.startsWith("Zeit (UTC);E PROM Block;"));
    ASSERT_EQ(earlier.count("2026-12-07T14:05:"), 2) << earlier.toStdString();

    // "Eine neue Tabelle beginnen" over it: the question, answered "Nein".
    frmSpeichern* dialog = window->tabelle();
    bool openAfterNo = false;
    bool answered = false;
    QByteArray afterNo;
    whenShown(dialog, [&] {
        dialog->txtDateiname->setText(table);
        dialog->optNeueTabelle->setChecked(true);
        ASSERT_TRUE(test::activate(dialog));
        ASSERT_TRUE(test::pressAccessKey(dialog, Qt::Key_S));
        openAfterNo = dialog->isVisible();
        afterNo = fileContent(table + ".txt");
        ASSERT_TRUE(test::pressAccessKey(dialog, Qt::Key_A));
        answered = true;
    });
    ASSERT_TRUE(test::activate(window));
    press(Qt::Key_T);
    ASSERT_TRUE(test::eventually([&] { return answered && dialog->isHidden(); }));
    ASSERT_EQ(platform.questions.size(), 1U);
    EXPECT_TRUE(platform.questions[0].text.contains(QStringLiteral("enthält schon 2 Zeilen")))
        << platform.questions[0].text.toStdString();
    EXPECT_EQ(afterNo, earlier);
    EXPECT_TRUE(openAfterNo) << "open to extend the table instead";

    // Extending adds the pass below the earlier one, times and all.
    exportTable(table, false);
    EXPECT_EQ(fileContent(table + ".txt"), earlier + earlier.mid(earlier.indexOf("\r\n") + 2));
}

TEST_F(ListeningWindow, StopsAndClosesCleanlyAndTellsFailuresInGerman) {
    const QString noise = path("noise.wav");
    ASSERT_TRUE(test::writeNoise(noise, 900.0));
    window->txtDatei->setFocus();
    QTest::keyClicks(window->txtDatei, noise);
    press(Qt::Key_S);
    ASSERT_TRUE(test::eventually([&] { return window->prgFortschritt->value() > 0; }));
    press(Qt::Key_P);
    ASSERT_TRUE(test::eventually([&] { return !running(); }, 30000));
    EXPECT_TRUE(window->lblStatus->text().startsWith(QStringLiteral("Angehalten.")));
    EXPECT_LT(window->prgFortschritt->value(), 100);

    // No input device on this system.
    press(Qt::Key_G);
    ASSERT_TRUE(test::eventually([&] { return window->optGeraet->isChecked(); }));
    press(Qt::Key_S);
    ASSERT_TRUE(test::eventually([&] { return !platform.messages.empty(); }));
    EXPECT_EQ(platform.messageTexts(), QStringList{listening::kNoInputDeviceMessage});
    EXPECT_FALSE(running());

    // A file that holds no audio.
    const QString text = path("frame.tlm");
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE\r\n");
    file.close();
    window->txtDatei->setText(text);
    press(Qt::Key_A);
    press(Qt::Key_S);
    ASSERT_TRUE(test::eventually([&] { return platform.messages.size() == 2; }));
    EXPECT_TRUE(platform.messageTexts()[1].startsWith("Die Aufnahme " + text +
                                                      " kann nicht gelesen werden:\nDie Datei "
                                                      "enthält keine Tonaufnahme"));

    // Closing the window stops the decoding; the window keeps its frames for later.
    window->txtDatei->setText(noise);
    press(Qt::Key_S);
    ASSERT_TRUE(test::eventually([&] { return window->prgFortschritt->value() > 0; }));
    window->close();
    EXPECT_TRUE(window->isHidden());
    ASSERT_TRUE(test::eventually([&] { return !running(); }, 30000));
    EXPECT_EQ(main.empfang(), window);
}

} // namespace
} // namespace orvinta
