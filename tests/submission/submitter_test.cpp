// SPDX-License-Identifier: GPL-3.0-or-later
// Frames on their way to a real HTTP server on the loopback interface: accepted,
// refused, failed and tried again, unanswered, or with no server there at all.
#include "submission/submitter.h"

#include "sidsserver.h"
#include "submission/sidsfields.h"
#include "submissionsupport.h"
#include "support/sampleline.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace orvinta::submission {
namespace {

using test::kStation;
constexpr const char* kSecondLine = "E LUSAT HI HI 7O AVU ABA AU4 AD4 AA4 ABT TTU AE6";
/// Long enough for any request on the loopback interface of a busy machine.
constexpr int kAnswerWaitMs = 20000;

class SubmitterTest : public testing::Test {
protected:
    QString journal() const { return dir.filePath(QStringLiteral("sids-journal")); }

    /// Waits until `submitter` has nothing under way.
    static bool settles(const Submitter& submitter) {
        return QTest::qWaitFor([&] { return submitter.settled(); }, kAnswerWaitMs);
    }

    Submitter::Offer offerFirst(Submitter& submitter, const QString& url) {
        return submitter.offer(url, test::kSampleLine, test::utc("2026-12-07T14:05:01.480Z"),
                               kStation);
    }
    Submitter::Offer offerSecond(Submitter& submitter, const QString& url) {
        return submitter.offer(url, kSecondLine, test::utc("2026-12-07T14:05:19Z"), kStation);
    }

    QTemporaryDir dir;
    test::SidsServer server;
};

TEST_F(SubmitterTest, SendsEachFrameOnceInTheOrderOffered) {
    ASSERT_TRUE(server.listening());
    Submitter submitter(journal());
    EXPECT_EQ(offerFirst(submitter, server.url()), Submitter::Offer::Queued);
    EXPECT_EQ(offerSecond(submitter, server.url()), Submitter::Offer::Queued);
    EXPECT_EQ(offerFirst(submitter, server.url()), Submitter::Offer::InHand);
    ASSERT_TRUE(settles(submitter));
    EXPECT_EQ(offerFirst(submitter, server.url()), Submitter::Offer::InHand)
        << "sent by this submitter, and counted so";

    ASSERT_EQ(server.requests().size(), 2U);
    const test::ReceivedRequest& first = server.requests()[0];
    EXPECT_EQ(first.method, "POST");
    EXPECT_EQ(first.target, "/api/telemetry/");
    EXPECT_EQ(first.headers.value("content-type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(first.headers.value("user-agent"), "Orvinta/" ORVINTA_TEST_VERSION);
    EXPECT_EQ(first.field(QStringLiteral("timestamp")), QStringLiteral("2026-12-07T14:05:01.480Z"));
    EXPECT_EQ(first.field(QStringLiteral("frame")),
              QString::fromLatin1(QByteArray(test::kSampleLine).toHex().toUpper()));
    EXPECT_EQ(server.requests()[1].field(QStringLiteral("timestamp")),
              QStringLiteral("2026-12-07T14:05:19.000Z"));
    EXPECT_EQ(submitter.counts().sent, 2);
    EXPECT_EQ(submitter.counts().waiting, 0);

    // A later run knows them.
    Submitter later(journal());
    EXPECT_EQ(offerFirst(later, server.url()), Submitter::Offer::AlreadyKnown);
    EXPECT_EQ(offerSecond(later, server.url()), Submitter::Offer::AlreadyKnown);
    EXPECT_EQ(later.resumeWaiting(server.url()), 0);
    EXPECT_EQ(server.requests().size(), 2U);
}

TEST_F(SubmitterTest, AFailingServerIsTriedAgainAfterTheRetryInterval) {
    server.script({500});
    Submitter submitter(journal(), {kRequestTimeoutMs, 50});
    QSignalSpy failures(&submitter, &Submitter::failed);
    offerFirst(submitter, server.url());
    offerSecond(submitter, server.url());
    ASSERT_TRUE(QTest::qWaitFor([&] { return failures.count() == 1; }, kAnswerWaitMs));
    EXPECT_EQ(failures.at(0).at(0).toString(), QStringLiteral("HTTP 500"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return submitter.counts().sent == 2; }, kAnswerWaitMs));

    // The first frame went twice (500, then 201), the second once: each accepted once.
    ASSERT_EQ(server.requests().size(), 3U);
    EXPECT_EQ(server.requests()[0].body, server.requests()[1].body);
    ASSERT_EQ(server.accepted().size(), 2U);
    EXPECT_NE(server.accepted()[0].body, server.accepted()[1].body);
    EXPECT_EQ(submitter.counts().waiting, 0);
}

TEST_F(SubmitterTest, AHeldSubmitterStartsNothingUntilReleased) {
    server.script({500});
    Submitter submitter(journal(), {kRequestTimeoutMs, 0});
    QSignalSpy failures(&submitter, &Submitter::failed);
    submitter.hold();
    EXPECT_EQ(offerFirst(submitter, server.url()), Submitter::Offer::Queued);
    EXPECT_TRUE(submitter.settled()) << "no request under way";
    EXPECT_EQ(submitter.counts().waiting, 1);

    submitter.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return failures.count() == 1; }, kAnswerWaitMs));
    // Released again after the failure, it tries again at once, without a retry interval.
    submitter.hold();
    submitter.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return submitter.counts().sent == 1; }, kAnswerWaitMs));
    EXPECT_EQ(server.requests().size(), 2U);
    EXPECT_EQ(server.accepted().size(), 1U);
}

TEST_F(SubmitterTest, ARefusedFrameIsReportedWithTheRepliesReasonAndNotSentAgain) {
    server.script({400});
    Submitter submitter(journal());
    QSignalSpy refusals(&submitter, &Submitter::refused);
    offerFirst(submitter, server.url());
    offerSecond(submitter, server.url());
    ASSERT_TRUE(settles(submitter));
    ASSERT_EQ(refusals.count(), 1);
    EXPECT_EQ(refusals.at(0).at(1).toString(),
              QStringLiteral("HTTP 400: {\"detail\": \"frame refused by the test server\"}"));
    EXPECT_EQ(submitter.counts().refused, 1);
    EXPECT_EQ(submitter.counts().sent, 1);

    Submitter later(journal());
    EXPECT_EQ(offerFirst(later, server.url()), Submitter::Offer::AlreadyKnown);
    EXPECT_EQ(later.resumeWaiting(server.url()), 0);
    EXPECT_EQ(server.requests().size(), 2U);
}

TEST_F(SubmitterTest, AServerThatNeverAnswersTimesOutAndTheFramesWait) {
    server.script({test::kNeverAnswer});
    Submitter submitter(journal(), {300, 0});
    QSignalSpy failures(&submitter, &Submitter::failed);
    offerFirst(submitter, server.url());
    offerSecond(submitter, server.url());
    ASSERT_TRUE(QTest::qWaitFor([&] { return failures.count() == 1; }, kAnswerWaitMs));
    EXPECT_EQ(failures.at(0).at(0).toString(), QStringLiteral("keine Antwort in 0.3 s"));
    EXPECT_TRUE(submitter.settled());
    EXPECT_EQ(submitter.counts().waiting, 2);
    EXPECT_EQ(server.requests().size(), 1U);

    // The next run sends both.
    Submitter next(journal());
    EXPECT_EQ(next.resumeWaiting(server.url()), 2);
    ASSERT_TRUE(settles(next));
    EXPECT_EQ(next.counts().sent, 2);
    EXPECT_EQ(server.accepted().size(), 2U);
}

TEST_F(SubmitterTest, WithNoServerTheFramesWaitUntilOneRuns) {
    const quint16 port = test::SidsServer::unusedPort();
    const QString url = QStringLiteral("http://127.0.0.1:%1/api/telemetry/").arg(port);
    Submitter submitter(journal(), {kRequestTimeoutMs, 0});
    QSignalSpy failures(&submitter, &Submitter::failed);
    offerFirst(submitter, url);
    ASSERT_TRUE(settles(submitter));
    ASSERT_EQ(failures.count(), 1);
    EXPECT_TRUE(failures.at(0).at(0).toString().startsWith(QStringLiteral("keine Verbindung: ")))
        << failures.at(0).at(0).toString().toStdString();
    EXPECT_EQ(submitter.counts().waiting, 1);

    test::SidsServer late(port);
    ASSERT_TRUE(late.listening());
    Submitter next(journal());
    EXPECT_EQ(next.resumeWaiting(url), 1);
    ASSERT_TRUE(settles(next));
    ASSERT_EQ(late.accepted().size(), 1U);
    EXPECT_EQ(late.accepted()[0].field(QStringLiteral("source")), QStringLiteral("DL1ABC"));
}

TEST_F(SubmitterTest, NothingGoesOutWithoutAJournal) {
    const QString blocked = dir.filePath(QStringLiteral("file"));
    QFile file(blocked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    Submitter submitter(blocked + QStringLiteral("/sids-journal"));
    QSignalSpy journalFailures(&submitter, &Submitter::journalFailed);
    EXPECT_EQ(offerFirst(submitter, server.url()), Submitter::Offer::JournalFailed);
    EXPECT_EQ(journalFailures.count(), 1);
    EXPECT_EQ(submitter.counts().waiting, 0);
    EXPECT_TRUE(submitter.settled());
}

} // namespace
} // namespace orvinta::submission
