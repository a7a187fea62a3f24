// SPDX-License-Identifier: GPL-3.0-or-later
// "An SatNOGS senden" in the listening window, by its keys, against a SiDS server of the
// test's own on the loopback interface: the frames of a recording with a known start,
// one without, the frames left out as unsure, a refusal, a server that fails and then
// takes them when switched on again, and one that never answers while the window goes on
// taking keys. Where the decoding is not the point, the frames are handed to the window
// as the decoder hands them over.
#include "cw/cli/cwcli.h"
#include "keyer/recordings.h"
#include "listening/framesharing.h"
#include "listening/frmempfang.h"
#include "listening/heardframesmodel.h"
#include "listening/listenworker.h"
#include "submission/submissionsettings.h"
#include "support/eventually.h"
#include "support/fakeplatform.h"
#include "support/keys.h"
#include "support/userfolders.h"
#include "tests/submission/sidsserver.h"
#include "windows/frmtelemetrie.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace orvinta {
namespace {

// No audio inputs, whatever the machine has: the audio server named here does not exist.
const bool kNoAudioServerForSharing =
    qputenv("PULSE_SERVER", "unix:/nonexistent/orvinta-test-server");

/// Long enough for any request on the loopback interface of a busy machine.
constexpr int kAnswerWaitMs = 20000;
/// A request timeout that a test can wait for.
constexpr int kShortTimeoutMs = 200;

const char* const kFirstLine = "E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE";
const char* const kSecondLine = "E LUSAT HI HI 7O AVU ABA AU4 AD4 AA4 ABT TTU AE6";

/// A frame as the decoder hands it over: `line` read with `confidence`, begun at `utc`.
listening::ListedFrame listed(const char* line, const char* utc, double confidence = 1.0) {
    listening::ListedFrame frame;
    frame.heard.text = line;
    frame.heard.unreadable =
        static_cast<std::size_t>(std::count(frame.heard.text.begin(), frame.heard.text.end(), '?'));
    frame.heard.confidence = confidence;
    frame.utc = QDateTime::fromString(QString::fromLatin1(utc), Qt::ISODateWithMs);
    return frame;
}

/// Two frames heard live.
std::vector<listening::ListedFrame> twoListed() {
    return {listed(kFirstLine, "2026-12-07T14:05:01.480Z"),
            listed(kSecondLine, "2026-12-07T14:05:19.000Z")};
}

class SharingWindow : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(kNoAudioServerForSharing);
        ASSERT_TRUE(server.listening());
    }

    /// Saves DL1ABC in Munich, sending to the test's server.
    void saveStation() {
        submission::SubmissionSettings settings;
        settings.callsign = QStringLiteral("DL1ABC");
        settings.position = submission::Position{48.1374, 11.5761};
        settings.server = server.url();
        QString error;
        ASSERT_TRUE(submission::saveSubmissionSettings(settings, &error)) << error.toStdString();
    }

    void openWindow() {
        main = std::make_unique<frmTelemetrie>(0);
        main->mnuHoeren->trigger();
        window = main->empfang();
        ASSERT_TRUE(test::activate(window));
    }

    void press(Qt::Key key) { QTest::keyClick(window->windowHandle(), key, Qt::AltModifier); }

    /// Writes the two frames as the recording `name` and decodes it with Alt+D and Alt+S;
    /// they are added to the list.
    void decode(const char* name) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        ASSERT_EQ(test::writeRecording(path, test::twoFrames(), test::listeningSignal()).size(),
                  2U);
        const int before = window->frames()->rowCount();
        platform.fileAnswers.push_back(path);
        press(Qt::Key_D);
        ASSERT_TRUE(test::eventually([&] { return window->txtDatei->text() == path; }));
        press(Qt::Key_S);
        ASSERT_TRUE(test::eventually([&] { return window->session()->isRunning(); }));
        ASSERT_TRUE(test::eventually([&] { return !window->session()->isRunning(); }, 60000));
        ASSERT_EQ(window->frames()->rowCount(), before + 2);
    }

    /// Hands `frames` to the window as the decoder does, without decoding audio.
    void hand(std::vector<listening::ListedFrame> frames) {
        listening::ListenBatch batch;
        batch.frames = std::move(frames);
        window->Session_Heard(batch);
    }

    bool statusReads(const QString& text) {
        return test::eventually([&] { return window->lblSatnogs->text() == text; }, kAnswerWaitMs);
    }
    QString listedTime(int row) const {
        return window->frames()->frames()[static_cast<std::size_t>(row)].utc.toString(
            QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz'Z'"));
    }

    QTemporaryDir dir;
    test::UserFolders folders{dir.path()};
    test::SidsServer server;
    test::FakePlatform platform;
    std::unique_ptr<frmTelemetrie> main;
    frmEmpfang* window = nullptr;
};

TEST_F(SharingWindow, SendsTheFramesOfARecordingWithAKnownStart) {
    saveStation();
    openWindow();
    EXPECT_FALSE(window->chkSatnogs->isChecked());
    EXPECT_EQ(window->lblSatnogs->text(),
              QStringLiteral("SatNOGS: 0 gesendet, 0 wartend, 0 abgelehnt"));
    ASSERT_TRUE(test::pressAccessKey(window, Qt::Key_N));
    ASSERT_TRUE(window->chkSatnogs->isChecked());
    EXPECT_TRUE(submission::loadSubmissionSettings().enabled);

    decode("pass_2026-12-07T14-05-00.wav");
    ASSERT_TRUE(statusReads(QStringLiteral("SatNOGS: 2 gesendet, 0 wartend, 0 abgelehnt")))
        << window->lblSatnogs->text().toStdString();
    ASSERT_EQ(server.requests().size(), 2U);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const test::ReceivedRequest& request = server.requests()[static_cast<std::size_t>(i)];
        EXPECT_TRUE(listedTime(i).startsWith(QStringLiteral("2026-12-07T14:05:")));
        EXPECT_EQ(request.body,
                  "noradID=20442&source=DL1ABC&timestamp=" +
                      listedTime(i).toLatin1().replace(":", "%3A") +
                      "&frame=" + window->frames()->line(i).toLatin1().toHex().toUpper() +
                      "&locator=longLat&longitude=11.5761E&latitude=48.1374N&version=" +
                      ORVINTA_TEST_VERSION);
        EXPECT_EQ(request.headers.value("content-type"), "application/x-www-form-urlencoded");
    }

    // The same recording again: nothing new goes out, from the window nor from orvinta-cw,
    // which hears the frames at the same times.
    decode("pass_2026-12-07T14-05-00.wav");
    EXPECT_TRUE(statusReads(QStringLiteral("SatNOGS: 2 gesendet, 0 wartend, 0 abgelehnt")));
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(cw::runCwCli({QStringLiteral("orvinta-cw"), QStringLiteral("--submit"),
                            dir.filePath(QStringLiteral("pass_2026-12-07T14-05-00.wav"))},
                           out, err),
              cw::kCwExitOk)
        << err.str();
    EXPECT_NE(err.str().find(": 0 gesendet, 0 wartend, 0 abgelehnt; nicht gesendet: 2 schon "
                             "gesendet oder abgelehnt"),
              std::string::npos)
        << err.str();
    EXPECT_EQ(server.requests().size(), 2U);

    // Switched off, nothing goes out, and the program remembers it.
    ASSERT_TRUE(test::pressAccessKey(window, Qt::Key_N));
    EXPECT_FALSE(window->chkSatnogs->isChecked());
    EXPECT_FALSE(submission::loadSubmissionSettings().enabled);
}

TEST_F(SharingWindow, WithoutAStationTheSwitchStaysOff) {
    openWindow();
    ASSERT_TRUE(test::pressAccessKey(window, Qt::Key_N));
    EXPECT_FALSE(window->chkSatnogs->isChecked());
    EXPECT_EQ(platform.messageTexts(),
              QStringList{QStringLiteral(
                  "Ohne Station wird nichts gesendet: Bitte zuerst Rufzeichen und Standort "
                  "unter \"Datei\" > \"Station ...\" eintragen.")});
    decode("pass_2026-12-07T14-05-00.wav");
    EXPECT_TRUE(server.requests().empty());
    EXPECT_FALSE(QFile::exists(submission::journalFilePath()));
}

TEST_F(SharingWindow, ARecordingOfUnknownStartIsNotSent) {
    saveStation();
    openWindow();
    ASSERT_TRUE(test::pressAccessKey(window, Qt::Key_N));
    decode("pass.wav");
    EXPECT_EQ(window->lblSatnogs->text(),
              QStringLiteral("SatNOGS: 0 gesendet, 0 wartend, 0 abgelehnt; nicht gesendet: 0 "
                             "unsicher, 2 ohne Startzeit"));
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(SharingWindow, ARefusalIsShownWithTheServersReply) {
    saveStation();
    server.script({400});
    openWindow();
    ASSERT_TRUE(test::pressAccessKey(window, Qt::Key_N));
    hand(twoListed());
    EXPECT_TRUE(statusReads(QStringLiteral(
        "SatNOGS: 1 gesendet, 0 wartend, 1 abgelehnt (abgelehnt: HTTP 400: {\"detail\": "
        "\"frame refused by the test server\"})")))
        << window->lblSatnogs->text().toStdString();
    ASSERT_EQ(server.requests().size(), 2U);
    EXPECT_EQ(server.requests()[0].field(QStringLiteral("timestamp")),
              QStringLiteral("2026-12-07T14:05:01.480Z"));
    EXPECT_EQ(server.accepted().size(), 1U);
}

TEST_F(SharingWindow, OnlyFramesWithoutUnreadableCharactersAndSureEnoughGoOut) {
    saveStation();
    openWindow();
    ASSERT_TRUE(test::pressAccessKey(window, Qt::Key_N));
    hand({listed("E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AE?", "2026-12-07T14:05:01.480Z"),
          listed(kSecondLine, "2026-12-07T14:05:19.000Z", 0.98),
          listed(kFirstLine, "2026-12-07T14:05:37.250Z", 0.99)});
    EXPECT_TRUE(statusReads(QStringLiteral(
        "SatNOGS: 1 gesendet, 0 wartend, 0 abgelehnt; nicht gesendet: 2 unsicher, 0 ohne "
        "Startzeit")))
        << window->lblSatnogs->text().toStdString();
    ASSERT_EQ(server.requests().size(), 1U);
    EXPECT_EQ(server.requests()[0].field(QStringLiteral("timestamp")),
              QStringLiteral("2026-12-07T14:05:37.250Z"));
}

// The frames that a failing server did not take wait while the switch is off, and go out
// once when it is switched on again.
TEST_F(SharingWindow, AFailingServerGetsTheFramesOnceTheSwitchIsOnAgain) {
    saveStation();
    server.script({500});
    openWindow();
    ASSERT_TRUE(test::pressAccessKey(window, Qt::Key_N));
    hand(twoListed());
    ASSERT_TRUE(statusReads(
        QStringLiteral("SatNOGS: 0 gesendet, 2 wartend, 0 abgelehnt (nicht erreicht: HTTP 500)")))
        << window->lblSatnogs->text().toStdString();
    ASSERT_TRUE(test::pressAccessKey(window, Qt::Key_N));
    EXPECT_FALSE(window->chkSatnogs->isChecked());
    EXPECT_TRUE(window->sharing()->submitter()->settled()) << "nothing goes out while off";

    ASSERT_TRUE(test::pressAccessKey(window, Qt::Key_N));
    EXPECT_TRUE(statusReads(QStringLiteral("SatNOGS: 2 gesendet, 0 wartend, 0 abgelehnt")))
        << window->lblSatnogs->text().toStdString();
    ASSERT_EQ(server.requests().size(), 3U);
    EXPECT_EQ(server.requests()[0].answeredWith, 500);
    EXPECT_EQ(server.accepted().size(), 2U);
}

TEST_F(SharingWindow, AServerThatNeverAnswersLeavesTheWindowTakingKeys) {
    saveStation();
    server.script({test::kNeverAnswer});
    openWindow();
    ASSERT_TRUE(test::pressAccessKey(window, Qt::Key_N));
    hand(twoListed());
    // While the server holds the first frame (for up to the real 10 s), the window
    // answers at once.
    ASSERT_TRUE(test::eventually([&] { return server.requests().size() == 1; }, kAnswerWaitMs));
    ASSERT_EQ(window->sharing()->submitter()->counts().waiting, 2);
    press(Qt::Key_B);
    EXPECT_EQ(QApplication::focusWidget(), window->lstBloecke);
    ASSERT_TRUE(test::pressAccessKey(window, Qt::Key_N));
    EXPECT_FALSE(window->chkSatnogs->isChecked());
    ASSERT_TRUE(test::pressAccessKey(window, Qt::Key_N));
    EXPECT_TRUE(window->chkSatnogs->isChecked());
    EXPECT_EQ(window->sharing()->submitter()->counts().waiting, 2);
    EXPECT_EQ(window->lblSatnogs->text(),
              QStringLiteral("SatNOGS: 0 gesendet, 2 wartend, 0 abgelehnt"));

    // The request runs out of time (shortened from here on, so that the test need not
    // wait the 10 s); the frames wait.
    window->sharing()->submitter()->setTiming({kShortTimeoutMs, 0});
    EXPECT_TRUE(statusReads(QStringLiteral("SatNOGS: 0 gesendet, 2 wartend, 0 abgelehnt (nicht "
                                           "erreicht: keine Antwort in 0.2 s)")))
        << window->lblSatnogs->text().toStdString();
    EXPECT_EQ(server.requests().size(), 1U);

    // The next opening of the program sends them.
    main.reset();
    openWindow();
    EXPECT_TRUE(window->chkSatnogs->isChecked()) << "the switch stays as it was left";
    EXPECT_TRUE(statusReads(QStringLiteral("SatNOGS: 2 gesendet, 0 wartend, 0 abgelehnt")))
        << window->lblSatnogs->text().toStdString();
    EXPECT_EQ(server.accepted().size(), 2U);
}

} // namespace
} // namespace orvinta
