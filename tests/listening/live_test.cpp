// SPDX-License-Identifier: GPL-3.0-or-later
// Live input from a real audio server: the test starts a PulseAudio server of its own,
// plays a keyed recording of two frames into a pipe source in real time and listens to it
// through the window, as an operator listens to the receiver. Then the source goes away
// mid-listening, as a receiver's audio device that is unplugged.
#include "listening/frmempfang.h"

#include "listening/heardframesmodel.h"
#include "listening/listenmessages.h"
#include "listening/listensession.h"
#include "pulseserver.h"
#include "recordings.h"
#include "support/eventually.h"
#include "support/fakeplatform.h"
#include "windows/frmtelemetrie.h"

#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressBar>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

namespace orvinta {
namespace {

using listening::ListenOutcome;

constexpr int kRate = 8000;
/// The pipe is fed in pieces of this length, each when its time has come.
constexpr qint64 kPieceMs = 50;

/// 16-bit little-endian samples, as the pipe source reads them.
QByteArray pcm16(const std::vector<float>& samples) {
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(samples.size() * 2));
    for (const float sample : samples) {
        const auto value =
            static_cast<std::int16_t>(std::lround(std::clamp(sample, -1.0f, 1.0f) * 32767.0f));
        bytes.append(static_cast<char>(value & 0xFF));
        bytes.append(static_cast<char>((value >> 8) & 0xFF));
    }
    return bytes;
}

/// Writes `audio` into `pipe` at the pace it would play, keeping the program's events
/// going meanwhile; the level meter's highest reading on the way.
int playInRealTime(QFile& pipe, const QByteArray& audio, const QProgressBar* meter) {
    const qint64 bytesPerMs = kRate * 2 / 1000;
    QElapsedTimer clock;
    clock.start();
    qsizetype written = 0;
    int loudest = meter->minimum();
    while (written < audio.size()) {
        const qsizetype due =
            std::min<qsizetype>(audio.size(), (clock.elapsed() + kPieceMs) * bytesPerMs);
        if (due > written) {
            written += pipe.write(audio.constData() + written, due - written);
            pipe.flush();
        }
        QTest::qWait(static_cast<int>(kPieceMs / 2));
        loudest = std::max(loudest, meter->value());
    }
    return loudest;
}

class LiveInput : public testing::Test {
protected:
    void SetUp() override {
        if (!server.running() ||
            !server.loadPipeSource(QStringLiteral("orvinta_receiver"), kRate)) {
            // CI must hear the receiver: there a server that does not start is a failure.
            if (qEnvironmentVariableIsSet("CI"))
                FAIL() << "No PulseAudio server for the live test: "
                       << server.failure().toStdString();
            GTEST_SKIP() << "Skipped: no PulseAudio server for the live test: "
                         << server.failure().toStdString();
        }
        qputenv("PULSE_SERVER", server.address().toLocal8Bit());
    }

    test::PulseServer server;
    test::FakePlatform platform;
};

TEST_F(LiveInput, ListsBothFramesOfTheReceiverAndKeepsThemWhenTheDeviceGoes) {
    const QList<QAudioDevice> devices = listening::ListenSession::inputDevices();
    const auto receiver = std::find_if(devices.begin(), devices.end(), [](const QAudioDevice& d) {
        return d.id() == QByteArrayLiteral("orvinta_receiver");
    });
    ASSERT_NE(receiver, devices.end()) << "Qt lists the pipe source as an audio input";

    // A format the device refuses is told, and nothing starts.
    {
        listening::ListenSession session;
        std::optional<ListenOutcome> outcome;
        QObject::connect(&session, &listening::ListenSession::ended,
                         [&](const ListenOutcome& o) { outcome = o; });
        QAudioFormat absurd = receiver->preferredFormat();
        absurd.setSampleRate(receiver->maximumSampleRate() * 4);
        session.startDevice(*receiver, absurd);
        ASSERT_TRUE(test::eventually([&] { return outcome.has_value(); }));
        EXPECT_EQ(outcome->message,
                  listening::formatRefusedMessage(receiver->description(), absurd));
    }

    frmTelemetrie main(0);
    main.mnuHoeren->trigger();
    frmEmpfang* window = main.empfang();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QTest::keyClick(window->windowHandle(), Qt::Key_G, Qt::AltModifier);
    ASSERT_TRUE(test::eventually([&] { return window->optGeraet->isChecked(); }));
    EXPECT_EQ(window->cboGeraet->currentText(), receiver->description());

    QFile pipe(server.pipePath());
    ASSERT_TRUE(pipe.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        << pipe.errorString().toStdString();
    const auto frames = test::twoFrames();
    const cw::testsignal::KeyedRecording recording =
        cw::testsignal::keyFrames(frames, test::listeningSignal(kRate));
    const QDateTime before = QDateTime::currentDateTimeUtc();
    QTest::keyClick(window->windowHandle(), Qt::Key_S, Qt::AltModifier);
    ASSERT_TRUE(test::eventually([&] { return window->session()->isRunning(); }));
    const int loudest = playInRealTime(pipe, pcm16(recording.samples), window->prgPegel);
    EXPECT_GT(loudest, -30) << "the level meter moved with the keyed tone";

    // The receiver's audio device goes away: the frames heard stay, the reason is told.
    ASSERT_TRUE(server.unloadPipeSource()) << server.failure().toStdString();
    ASSERT_TRUE(test::eventually([&] { return !window->session()->isRunning(); }, 10000));
    EXPECT_EQ(platform.messageTexts(),
              QStringList{listening::deviceGoneMessage(receiver->description())});
    const listening::HeardFramesModel* list = window->frames();
    ASSERT_EQ(list->rowCount(), 2);
    for (int i = 0; i < 2; ++i) {
        const listening::ListedFrame& heard = list->frames()[static_cast<std::size_t>(i)];
        EXPECT_EQ(list->line(i), QString::fromStdString(frames[static_cast<std::size_t>(i)]));
        // Wall-clock time in UTC: when the frame began in the audio played.
        const QDateTime expected = before.addMSecs(
            std::llround(recording.frameSeconds[static_cast<std::size_t>(i)] * 1000.0));
        EXPECT_LT(std::abs(heard.utc.msecsTo(expected)), 2000)
            << heard.utc.toString(Qt::ISODateWithMs).toStdString();
        EXPECT_TRUE(listening::HeardFramesModel::timeText(heard).endsWith(QStringLiteral(" UTC")));
    }
}

} // namespace
} // namespace orvinta
