// SPDX-License-Identifier: GPL-3.0-or-later
// The session decodes recordings on its thread: frames, waterfall and progress arrive in
// batches, a stop ends it early, and a file that is no recording is told in German.
#include "listening/listensession.h"

#include "keyer/recordings.h"
#include "support/eventually.h"
#include "support/qtprinters.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace orvinta::listening {
namespace {

/// Everything a session reported.
struct Reports {
    explicit Reports(ListenSession& session) {
        QObject::connect(&session, &ListenSession::heard, &session,
                         [this](const ListenBatch& batch) {
                             ++batches;
                             frames.insert(frames.end(), batch.frames.begin(), batch.frames.end());
                             rows += static_cast<int>(batch.rows.size());
                             if (batch.progress)
                                 progress = *batch.progress;
                         });
        QObject::connect(&session, &ListenSession::ended, &session,
                         [this](const ListenOutcome& o) { outcome = o; });
    }

    int batches = 0;
    std::vector<ListedFrame> frames;
    int rows = 0;
    double progress = 0.0;
    std::optional<ListenOutcome> outcome;
};

class ListenSessionTest : public testing::Test {
protected:
    QString path(const char* name) const { return folder.filePath(QString::fromLatin1(name)); }

    QTemporaryDir folder;
    ListenSession session;
    Reports reports{session};
};

TEST_F(ListenSessionTest, DecodesARecordingToItsEndInBatches) {
    const QString recording = path("pass.wav");
    const std::vector<double> starts =
        test::writeRecording(recording, test::twoFrames(), test::listeningSignal(11025));
    ASSERT_EQ(starts.size(), 2U);

    session.startRecording(recording);
    EXPECT_TRUE(session.isRunning());
    ASSERT_TRUE(test::eventually([&] { return reports.outcome.has_value(); }, 60000));
    EXPECT_FALSE(session.isRunning());
    EXPECT_EQ(reports.outcome->kind, ListenOutcome::Kind::Completed);
    ASSERT_EQ(reports.frames.size(), 2U);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(reports.frames[i].heard.text, test::twoFrames()[i]);
        EXPECT_NEAR(reports.frames[i].heard.seconds, starts[i], 0.05);
        EXPECT_FALSE(reports.frames[i].utc.isValid()) << "a recording has no wall-clock time";
    }
    EXPECT_DOUBLE_EQ(reports.progress, 1.0);
    // The recording is about 34 s long; live rows stand for a quarter second each.
    EXPECT_NEAR(reports.rows, 34 / 0.25, 8);
}

TEST_F(ListenSessionTest, AStopEndsARecordingEarlyAndTheNextOneRunsAgain) {
    const QString noise = path("noise.wav");
    ASSERT_TRUE(test::writeNoise(noise, 900.0));
    session.startRecording(noise);
    session.stop();
    ASSERT_TRUE(test::eventually([&] { return reports.outcome.has_value(); }, 60000));
    EXPECT_EQ(reports.outcome->kind, ListenOutcome::Kind::Stopped);
    EXPECT_LT(reports.progress, 0.5);

    reports.outcome.reset();
    session.startRecording(noise);
    ASSERT_TRUE(test::eventually([&] { return reports.progress > 0.0 && reports.progress < 1.0; }));
    // Destroying the session now stops the decoding and waits for its thread.
}

TEST_F(ListenSessionTest, TellsInGermanWhyARecordingCannotBeRead) {
    const QString text = path("frame.tlm");
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE\r\n");
    file.close();

    const std::vector<std::pair<QString, QString>> cases{
        {text, "Die Aufnahme " + text +
                   " kann nicht gelesen werden:\nDie Datei enthält keine Tonaufnahme in einem "
                   "lesbaren Format (WAV, FLAC, Ogg Vorbis)."},
        {folder.path(), "Die Aufnahme " + folder.path() +
                            " kann nicht gelesen werden:\nDas ist ein Verzeichnis."}};
    for (const auto& [recording, message] : cases) {
        reports.outcome.reset();
        session.startRecording(recording);
        ASSERT_TRUE(test::eventually([&] { return reports.outcome.has_value(); }));
        EXPECT_EQ(reports.outcome->kind, ListenOutcome::Kind::Failed);
        EXPECT_EQ(reports.outcome->message, message);
    }
    reports.outcome.reset();
    session.startRecording(path("missing.wav"));
    ASSERT_TRUE(test::eventually([&] { return reports.outcome.has_value(); }));
    EXPECT_TRUE(reports.outcome->message.startsWith("Die Aufnahme " + path("missing.wav") +
                                                    " kann nicht gelesen werden:\n"));
    EXPECT_TRUE(reports.frames.empty());
}

} // namespace
} // namespace orvinta::listening
