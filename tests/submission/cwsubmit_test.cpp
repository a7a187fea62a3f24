// SPDX-License-Identifier: GPL-3.0-or-later
// orvinta-cw --submit against a SiDS server of the test's own on the loopback interface:
// what arrives, byte for byte; a second run; a dry run; a server that fails, refuses or
// is not there; and a run killed between two frames.
#include "cw/cli/cwcli.h"

#include "keyer/keyedsignal.h"
#include "keyer/recordings.h"
#include "sidsserver.h"
#include "submission/journal.h"
#include "submission/submissionsettings.h"
#include "support/userfolders.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace orvinta {
namespace {

using keyer::AudioFormat;

const std::vector<std::string> kFrames = test::twoFrames();
/// The recording began then, as its name says.
const QDateTime kStart(QDate(2026, 12, 7), QTime(14, 5, 0), Qt::UTC);
constexpr int kRate = 8000;
constexpr int kProcessWaitMs = 60000;

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

class SubmitCli : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.listening());
        samples = keyer::keyFrames(kFrames, test::listeningSignal(kRate)).samples;
        recording = dir.filePath(QStringLiteral("pass_2026-12-07T14-05-00.wav"));
        ASSERT_TRUE(keyer::writeAudio(QFile::encodeName(recording).toStdString(), samples, kRate,
                                      AudioFormat::WavFloat));
    }

    /// When the decoder hears the frames begin in the recording, to the sample: the times
    /// sent are these. Decoded only for the cases that compare times.
    const std::vector<QDateTime>& heard() {
        if (heardTimes.empty()) {
            const std::vector<cw::HeardFrame> frames = keyer::decodeSamples(samples, kRate);
            EXPECT_EQ(frames.size(), kFrames.size());
            for (std::size_t i = 0; i < frames.size() && i < kFrames.size(); ++i) {
                EXPECT_EQ(frames[i].text, kFrames[i]);
                heardTimes.push_back(kStart.addMSecs(std::llround(frames[i].seconds * 1000.0)));
            }
            heardTimes.resize(kFrames.size());
        }
        return heardTimes;
    }

    static CliRun run(QStringList arguments) {
        arguments.prepend(QStringLiteral("orvinta-cw"));
        std::ostringstream out;
        std::ostringstream err;
        const int status = cw::runCwCli(arguments, out, err);
        return {status, out.str(), err.str()};
    }

    /// --submit of the recording to the test server, as DL1ABC in Munich.
    QStringList submit(const QString& url = {}) const {
        return {QStringLiteral("--submit"),         QStringLiteral("--server"),
                url.isEmpty() ? server.url() : url, QStringLiteral("--callsign"),
                QStringLiteral("dl1abc"),           QStringLiteral("--position"),
                QStringLiteral("48.1374,11.5761"),  recording};
    }

    QString timestamp(std::size_t frame) {
        return heard().at(frame).toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz'Z'"));
    }
    static QString hex(std::size_t frame) {
        return QString::fromLatin1(QByteArray::fromStdString(kFrames.at(frame)).toHex().toUpper());
    }
    submission::Journal journal() const {
        submission::Journal read(QFile::encodeName(submission::journalFilePath()).toStdString());
        std::string error;
        EXPECT_TRUE(read.refresh(&error)) << error;
        return read;
    }

    QTemporaryDir dir;
    test::UserFolders folders{dir.path()};
    test::SidsServer server;
    std::vector<float> samples;
    QString recording;
    std::vector<QDateTime> heardTimes;
};

TEST_F(SubmitCli, SendsBothFramesOfARecordingByTheConventionOnceHoweverOftenItRuns) {
    const CliRun result = run(submit());
    EXPECT_EQ(result.status, cw::kCwExitOk) << result.err;
    EXPECT_EQ(result.out, kFrames[0] + "\n" + kFrames[1] + "\n");
    EXPECT_EQ(result.err, "orvinta-cw: " + server.url().toStdString() +
                              ": 2 gesendet, 0 wartend, 0 abgelehnt; nicht gesendet: 0 schon "
                              "gesendet oder abgelehnt, 0 unsicher, 0 ohne Startzeit\n");

    ASSERT_EQ(server.requests().size(), 2U);
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const test::ReceivedRequest& request = server.requests()[i];
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.target, "/api/telemetry/");
        EXPECT_EQ(request.headers.value("content-type"), "application/x-www-form-urlencoded");
        const QByteArray expected =
            "noradID=20442&source=DL1ABC&timestamp=" + timestamp(i).toLatin1().replace(":", "%3A") +
            "&frame=" + hex(i).toLatin1() +
            "&locator=longLat&longitude=11.5761E&latitude=48.1374N"
            "&version=" ORVINTA_TEST_VERSION;
        EXPECT_EQ(request.body, expected);
        EXPECT_EQ(request.fieldNames(),
                  QStringList({"noradID", "source", "timestamp", "frame", "locator", "longitude",
                               "latitude", "version"}));
        EXPECT_EQ(request.field(QStringLiteral("timestamp")), timestamp(i));
        EXPECT_EQ(request.answeredWith, 201);
    }
    EXPECT_EQ(journal().waiting().size(), 0U);

    // The same recording again: nothing new goes out.
    const CliRun again = run(submit());
    EXPECT_EQ(again.status, cw::kCwExitOk) << again.err;
    EXPECT_NE(again.err.find("0 gesendet, 0 wartend, 0 abgelehnt; nicht gesendet: 2 schon "
                             "gesendet oder abgelehnt"),
              std::string::npos)
        << again.err;
    EXPECT_EQ(server.requests().size(), 2U);
}

TEST_F(SubmitCli, ADryRunPrintsTheRequestsAndSendsNothing) {
    QStringList arguments = submit();
    arguments.prepend(QStringLiteral("--dry-run"));
    const CliRun result = run(arguments);
    EXPECT_EQ(result.status, cw::kCwExitOk) << result.err;
    std::string expected;
    for (std::size_t i = 0; i < 2; ++i) {
        expected += "POST " + server.url().toStdString() +
                    "\nContent-Type: application/x-www-form-urlencoded\n\n"
                    "noradID=20442&source=DL1ABC&timestamp=" +
                    timestamp(i).replace(QStringLiteral(":"), QStringLiteral("%3A")).toStdString() +
                    "&frame=" + hex(i).toStdString() +
                    "&locator=longLat&longitude=11.5761E&latitude=48.1374N&version=" +
                    ORVINTA_TEST_VERSION + "\n\n";
    }
    EXPECT_EQ(result.out, expected);
    EXPECT_NE(result.err.find("2 zu senden (Probelauf, nichts gesendet)"), std::string::npos)
        << result.err;
    EXPECT_TRUE(server.requests().empty());
    EXPECT_FALSE(QFile::exists(submission::journalFilePath()));
}

TEST_F(SubmitCli, AServerErrorLeavesTheFramesWaitingForTheNextRun) {
    server.script({500});
    const CliRun failed = run(submit());
    EXPECT_EQ(failed.status, cw::kCwExitNotAllSubmitted) << failed.err;
    EXPECT_NE(failed.err.find(server.url().toStdString() +
                              " nicht erreicht (HTTP 500); die übrigen Blöcke warten"),
              std::string::npos)
        << failed.err;
    EXPECT_NE(failed.err.find("0 gesendet, 2 wartend"), std::string::npos) << failed.err;
    // The second frame is not tried against a server that just failed.
    ASSERT_EQ(server.requests().size(), 1U);
    EXPECT_EQ(journal().waiting().size(), 2U);

    // A dry run shows what waits, and sends nothing.
    const CliRun dry = run({QStringLiteral("--submit-pending"), QStringLiteral("--dry-run"),
                            QStringLiteral("--server"), server.url()});
    EXPECT_EQ(dry.status, cw::kCwExitOk) << dry.err;
    EXPECT_EQ(std::count(dry.out.begin(), dry.out.end(), '\n'), 10) << dry.out;
    EXPECT_NE(dry.out.find("&frame=" + hex(1).toStdString() + "&"), std::string::npos);
    // With the recording whose frames wait, each request is shown once.
    QStringList again = submit();
    again.prepend(QStringLiteral("--dry-run"));
    const CliRun dryAgain = run(again);
    EXPECT_EQ(dryAgain.out, dry.out);
    EXPECT_NE(dryAgain.err.find(": 2 zu senden (Probelauf, nichts gesendet); nicht gesendet: 0 "
                                "schon gesendet oder abgelehnt"),
              std::string::npos)
        << dryAgain.err;
    EXPECT_EQ(server.requests().size(), 1U);

    const CliRun pending =
        run({QStringLiteral("--submit-pending"), QStringLiteral("--server"), server.url()});
    EXPECT_EQ(pending.status, cw::kCwExitOk) << pending.err;
    EXPECT_EQ(pending.out, "");
    ASSERT_EQ(server.accepted().size(), 2U);
    EXPECT_EQ(server.accepted()[0].field(QStringLiteral("frame")), hex(0));
    EXPECT_EQ(server.accepted()[1].field(QStringLiteral("frame")), hex(1));
    EXPECT_EQ(server.requests().size(), 3U);
}

TEST_F(SubmitCli, ARefusedFrameIsReportedWithTheServersReplyAndNeverResent) {
    server.script({400});
    const CliRun result = run(submit());
    EXPECT_EQ(result.status, cw::kCwExitNotAllSubmitted);
    EXPECT_NE(result.err.find("orvinta-cw: abgelehnt, Block von " + timestamp(0).toStdString() +
                              ": HTTP 400: {\"detail\": \"frame refused by the test server\"}\n"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("1 gesendet, 0 wartend, 1 abgelehnt"), std::string::npos)
        << result.err;

    run(submit());
    run({QStringLiteral("--submit-pending"), QStringLiteral("--server"), server.url()});
    ASSERT_EQ(server.requests().size(), 2U);
    EXPECT_EQ(server.accepted().size(), 1U);
}

TEST_F(SubmitCli, WithNoServerTheFramesWaitUntilSubmitPendingFindsOne) {
    const quint16 port = test::SidsServer::unusedPort();
    const QString url = QStringLiteral("http://127.0.0.1:%1/api/telemetry/").arg(port);
    const CliRun failed = run(submit(url));
    EXPECT_EQ(failed.status, cw::kCwExitNotAllSubmitted);
    EXPECT_NE(failed.err.find("nicht erreicht (keine Verbindung: "), std::string::npos)
        << failed.err;
    EXPECT_EQ(journal().waiting(url.toStdString()).size(), 2U);

    test::SidsServer late(port);
    ASSERT_TRUE(late.listening());
    const CliRun pending =
        run({QStringLiteral("--submit-pending"), QStringLiteral("--server"), url});
    EXPECT_EQ(pending.status, cw::kCwExitOk) << pending.err;
    ASSERT_EQ(late.accepted().size(), 2U);
    EXPECT_EQ(late.accepted()[0].field(QStringLiteral("timestamp")), timestamp(0));
    EXPECT_EQ(late.accepted()[1].field(QStringLiteral("timestamp")), timestamp(1));
    EXPECT_TRUE(journal().waiting().empty());
}

TEST_F(SubmitCli, ARecordingOfUnknownStartIsNotSubmitted) {
    const QString unnamed = dir.filePath(QStringLiteral("pass.wav"));
    ASSERT_TRUE(QFile::copy(recording, unnamed));
    QStringList arguments = submit();
    arguments.last() = unnamed;
    const CliRun result = run(arguments);
    EXPECT_EQ(result.status, cw::kCwExitOk) << result.err;
    EXPECT_NE(result.err.find(unnamed.toStdString() +
                              ": Startzeit unbekannt, die Blöcke werden nicht gesendet "
                              "(--start angeben)"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("2 ohne Startzeit"), std::string::npos) << result.err;
    EXPECT_TRUE(server.requests().empty());

    // --start gives it.
    arguments.insert(arguments.size() - 1, QStringLiteral("--start=2026-12-07T14:05:00Z"));
    EXPECT_EQ(run(arguments).status, cw::kCwExitOk);
    ASSERT_EQ(server.requests().size(), 2U);
    EXPECT_EQ(server.requests()[0].field(QStringLiteral("timestamp")), timestamp(0));
}

// Weak frames (10 dB below the noise in 3 kHz): the decoder is sure of some and less
// sure of others. Exactly those at or above the minimum go out; the others are counted.
TEST_F(SubmitCli, OnlyFramesSureEnoughGoOut) {
    keyer::SignalOptions weak = test::listeningSignal(kRate);
    weak.snrDb = -10.0;
    const keyer::KeyedRecording keyed =
        keyer::keyFrames({kFrames[0], kFrames[1], kFrames[0], kFrames[1]}, weak);
    const QString path = dir.filePath(QStringLiteral("weak_2026-12-07T15-00-00.wav"));
    ASSERT_TRUE(keyer::writeAudio(QFile::encodeName(path).toStdString(), keyed.samples, kRate,
                                  AudioFormat::WavFloat));
    const std::vector<cw::HeardFrame> frames = keyer::decodeSamples(keyed.samples, kRate);
    const auto sureAt = [&frames](double minimum) {
        std::vector<QString> times;
        for (const cw::HeardFrame& frame : frames) {
            if (frame.text.find('?') == std::string::npos && frame.confidence >= minimum)
                times.push_back(QDateTime(QDate(2026, 12, 7), QTime(15, 0, 0), Qt::UTC)
                                    .addMSecs(std::llround(frame.seconds * 1000.0))
                                    .toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz'Z'")));
        }
        return times;
    };
    const std::vector<QString> sure = sureAt(0.99);
    ASSERT_EQ(frames.size(), 4U);
    ASSERT_FALSE(sure.empty()) << "the recording holds frames of both kinds";
    ASSERT_LT(sure.size(), frames.size()) << "the recording holds frames of both kinds";

    QStringList arguments = submit();
    arguments.last() = path;
    const CliRun result = run(arguments);
    EXPECT_NE(result.err.find(std::to_string(sure.size()) +
                              " gesendet, 0 wartend, 0 abgelehnt; nicht gesendet: 0 schon "
                              "gesendet oder abgelehnt, " +
                              std::to_string(frames.size() - sure.size()) + " unsicher"),
              std::string::npos)
        << result.err;
    ASSERT_EQ(server.requests().size(), sure.size());
    for (std::size_t i = 0; i < sure.size(); ++i)
        EXPECT_EQ(server.requests()[i].field(QStringLiteral("timestamp")), sure[i]);

    // A lower minimum lets the less sure out too; the sure ones went already.
    arguments.prepend(QStringLiteral("--min-confidence=0.5"));
    EXPECT_EQ(run(arguments).status, cw::kCwExitOk);
    EXPECT_EQ(server.requests().size(), sureAt(0.5).size());
}

TEST_F(SubmitCli, TheSavedStationIsUsedAndTheOptionsGoBeforeIt) {
    submission::SubmissionSettings saved;
    saved.callsign = QStringLiteral("DL1ABC");
    saved.position = submission::Position{48.1374, 11.5761};
    saved.server = server.url();
    QString error;
    ASSERT_TRUE(submission::saveSubmissionSettings(saved, &error)) << error.toStdString();

    const CliRun result = run({QStringLiteral("--submit"), QStringLiteral("--locator"),
                               QStringLiteral("JN58TD"), recording});
    EXPECT_EQ(result.status, cw::kCwExitOk) << result.err;
    ASSERT_EQ(server.requests().size(), 2U);
    EXPECT_EQ(server.requests()[0].field(QStringLiteral("source")), QStringLiteral("DL1ABC"));
    EXPECT_EQ(server.requests()[0].field(QStringLiteral("longitude")), QStringLiteral("11.6250E"));
    EXPECT_EQ(server.requests()[0].field(QStringLiteral("latitude")), QStringLiteral("48.1458N"));
}

struct UsageCase {
    const char* name;
    QStringList arguments;
    const char* message;
};

TEST_F(SubmitCli, WrongOptionsSendNothing) {
    const QStringList station{QStringLiteral("--callsign=DL1ABC"),
                              QStringLiteral("--position=48.1374,11.5761")};
    const std::vector<UsageCase> cases{
        {"no station",
         {QStringLiteral("--submit"), recording},
         "keine Station zum Senden: Rufzeichen und Standort im Programm unter \"Datei\" > "
         "\"Station ...\" eintragen oder --callsign und --locator oder --position angeben"},
        {"dry run alone",
         {QStringLiteral("--dry-run"), recording},
         "--dry-run nur mit --submit oder --submit-pending"},
        {"callsign alone", QStringList{recording} + station,
         "--callsign nur mit --submit oder --submit-pending"},
        {"bad callsign",
         {QStringLiteral("--submit"), QStringLiteral("--callsign=D"),
          QStringLiteral("--locator=JN58TD"), recording},
         "--callsign: kein Rufzeichen: D"},
        {"bad locator",
         {QStringLiteral("--submit"), QStringLiteral("--callsign=DL1ABC"),
          QStringLiteral("--locator=JN5"), recording},
         "--locator: kein Maidenhead-Locator: JN5"},
        {"locator and position",
         QStringList{QStringLiteral("--submit"), QStringLiteral("--locator=JN58TD"), recording} +
             station,
         "--locator und --position schließen einander aus"},
        {"position off the earth",
         {QStringLiteral("--submit"), QStringLiteral("--callsign=DL1ABC"),
          QStringLiteral("--position=48.1,190"), recording},
         "--position: keine Position BREITE,LÄNGE in Dezimalgrad: 48.1,190"},
        {"server not http",
         QStringList{QStringLiteral("--submit"), QStringLiteral("--server=ftp://127.0.0.1/"),
                     recording} +
             station,
         "--server: keine http- oder https-Adresse: ftp://127.0.0.1/"},
        {"confidence above one",
         QStringList{QStringLiteral("--submit"), QStringLiteral("--min-confidence=1.5"),
                     recording} +
             station,
         "--min-confidence: keine Zahl von 0 bis 1: 1.5"},
        {"submit without a file", QStringList{QStringLiteral("--submit")} + station,
         "keine Tonaufnahme angegeben"},
    };
    for (const UsageCase& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun result = run(c.arguments);
        EXPECT_EQ(result.status, cw::kCwExitFailure);
        EXPECT_NE(result.err.find(std::string("orvinta-cw: ") + c.message), std::string::npos)
            << result.err;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_TRUE(server.requests().empty());
    EXPECT_FALSE(QFile::exists(submission::journalFilePath()));
}

// The program is killed while the server holds the second frame's request unanswered:
// the first frame was answered and is never sent again; the second goes out once more
// on the next run and is accepted once.
TEST_F(SubmitCli, ARunKilledBetweenTwoFramesLosesAndRepeatsNothing) {
    server.script({201, test::kNeverAnswer});
    QProcess process;
    process.start(QStringLiteral(ORVINTA_CW_BINARY), submit());
    ASSERT_TRUE(process.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.requests().size() == 2; }, kProcessWaitMs))
        << process.readAllStandardError().toStdString();
    process.kill();
    ASSERT_TRUE(process.waitForFinished());

    submission::Journal left = journal();
    ASSERT_NE(
        left.find(server.url().toStdString(), timestamp(0).toStdString(), hex(0).toStdString()),
        nullptr);
    EXPECT_EQ(
        left.find(server.url().toStdString(), timestamp(0).toStdString(), hex(0).toStdString())
            ->state,
        submission::JournalState::Sent);
    ASSERT_EQ(left.waiting().size(), 1U);
    EXPECT_EQ(left.waiting()[0].timestamp, timestamp(1).toStdString());

    // The frame that waited is counted as sent by this run, not as sent before.
    const CliRun again = run(submit());
    EXPECT_EQ(again.status, cw::kCwExitOk) << again.err;
    EXPECT_NE(again.err.find(": 1 gesendet, 0 wartend, 0 abgelehnt; nicht gesendet: 1 schon "
                             "gesendet oder abgelehnt, 0 unsicher"),
              std::string::npos)
        << again.err;
    ASSERT_EQ(server.requests().size(), 3U);
    EXPECT_EQ(server.requests()[2].field(QStringLiteral("frame")), hex(1));
    ASSERT_EQ(server.accepted().size(), 2U);
    EXPECT_EQ(server.accepted()[0].field(QStringLiteral("frame")), hex(0));
    EXPECT_EQ(server.accepted()[1].field(QStringLiteral("frame")), hex(1));
    EXPECT_TRUE(journal().waiting().empty());
}

} // namespace
} // namespace orvinta
