// SPDX-License-Identifier: GPL-3.0-or-later
// Live input from a real audio server: the test starts a PulseAudio server of its own,
// plays a keyed recording of two frames into a pipe source in real time and listens to it
// through the window, as an operator listens to the receiver: with a stretch in which the
// receiver delivers nothing, then the source going away mid-listening, as a receiver's
// audio device that is unplugged; with "An SatNOGS senden" on, each frame goes to a SiDS
// server of the test's own as it is heard. Inputs come and go while the window is open, and the
// server hangs (stopped by a signal) while the window starts listening.
#include "listening/frmempfang.h"

#include "keyer/recordings.h"
#include "listening/heardframesmodel.h"
#include "listening/listenmessages.h"
#include "listening/listensession.h"
#include "listening/waterfallview.h"
#include "pulseserver.h"
#include "submission/submissionsettings.h"
#include "support/eventually.h"
#include "support/fakeplatform.h"
#include "support/guitestrun.h"
#include "support/keys.h"
#include "support/userfolders.h"
#include "tests/submission/sidsserver.h"
#include "windows/frmtelemetrie.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <memory>
#include <optional>

namespace orvinta {
namespace {

using listening::ListenOutcome;

const QString kReceiver = QStringLiteral("orvinta_receiver");
const QString kSecond = QStringLiteral("orvinta_second");
constexpr int kRate = 8000;
/// The pipe is fed in pieces of this length, each when its time has come.
constexpr qint64 kPieceMs = 50;
/// How long the receiver delivers nothing between the two frames.
constexpr int kGapMs = 5000;
/// A missing or hanging input is told within this long.
constexpr int kToldWithinMs = 2000;

/// 16-bit little-endian samples, as the pipe source reads them.
QByteArray pcm16(const float* samples, std::size_t count) {
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(count * 2));
    for (std::size_t i = 0; i < count; ++i) {
        const auto value =
            static_cast<std::int16_t>(std::lround(std::clamp(samples[i], -1.0f, 1.0f) * 32767.0f));
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

/// One server for all cases: Qt's audio client connects to one server for the life of the
/// program.
class LiveInput : public testing::Test {
protected:
    static void SetUpTestSuite() {
        shared = new test::PulseServer;
        qputenv("PULSE_SERVER", shared->address().toLocal8Bit());
    }
    static void TearDownTestSuite() {
        delete shared;
        shared = nullptr;
    }

    void SetUp() override {
        if (!server.running() || !server.loadPipeSource(kReceiver, kRate)) {
            // CI must hear the receiver: there a server that does not start is a failure.
            if (qEnvironmentVariableIsSet("CI"))
                FAIL() << "No PulseAudio server for the live test: "
                       << server.failure().toStdString();
            GTEST_SKIP() << "Skipped: no PulseAudio server for the live test: "
                         << server.failure().toStdString();
        }
    }
    void TearDown() override {
        main.reset();
        server.resume();
        server.unloadPipeSources();
    }

    /// Opens the window "Empfang" from the main window and chooses the device with Alt+G.
    void openWindow() {
        main = std::make_unique<frmTelemetrie>(0);
        main->mnuHoeren->trigger();
        window = main->empfang();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        press(Qt::Key_G);
        ASSERT_TRUE(test::eventually([&] { return window->optGeraet->isChecked(); }));
    }

    void press(Qt::Key key) { QTest::keyClick(window->windowHandle(), key, Qt::AltModifier); }
    bool running() const { return window->session()->isRunning(); }
    QStringList deviceNames() const {
        QStringList names;
        for (int i = 0; i < window->cboGeraet->count(); ++i)
            names << window->cboGeraet->itemText(i);
        return names;
    }
    /// Presses Alt+S and waits for the message it brings; false if none came in time.
    bool startIsToldWithin(int milliseconds) {
        const std::size_t before = platform.messages.size();
        QElapsedTimer clock;
        clock.start();
        press(Qt::Key_S);
        const bool told = test::eventually(
            [&] { return platform.messages.size() > before && !running(); }, 10000);
        return told && clock.elapsed() <= milliseconds;
    }

    static test::PulseServer* shared;
    test::PulseServer& server = *shared;
    test::FakePlatform platform;
    std::unique_ptr<frmTelemetrie> main;
    frmEmpfang* window = nullptr;
};

test::PulseServer* LiveInput::shared = nullptr;

/// The input device `id` once Qt lists it (it learns of a new one from the server a
/// moment after it was loaded); a null device if it never does.
QAudioDevice inputNamed(const QString& id) {
    QAudioDevice found;
    test::eventually([&] {
        const QList<QAudioDevice> devices = listening::ListenSession::inputDevices();
        const auto device =
            std::find_if(devices.begin(), devices.end(),
                         [&](const QAudioDevice& d) { return d.id() == id.toUtf8(); });
        if (device != devices.end())
            found = *device;
        return !found.isNull();
    });
    return found;
}

/// Saves DL1ABC in Munich as the station, sending to `sids`.
void saveStation(const test::SidsServer& sids) {
    submission::SubmissionSettings settings;
    settings.callsign = QStringLiteral("DL1ABC");
    settings.position = submission::Position{48.1374, 11.5761};
    settings.server = sids.url();
    QString error;
    ASSERT_TRUE(submission::saveSubmissionSettings(settings, &error)) << error.toStdString();
}

TEST_F(LiveInput, HearsTheReceiverThroughAGapSharesAndKeepsItsFramesWhenTheDeviceGoes) {
    const QAudioDevice receiver = inputNamed(kReceiver);
    ASSERT_FALSE(receiver.isNull()) << "Qt lists the pipe source as an audio input";

    // A format the device refuses is told, and nothing starts.
    {
        listening::ListenSession session;
        std::optional<ListenOutcome> outcome;
        QObject::connect(&session, &listening::ListenSession::ended,
                         [&](const ListenOutcome& o) { outcome = o; });
        QAudioFormat absurd = receiver.preferredFormat();
        absurd.setSampleRate(receiver.maximumSampleRate() * 4);
        session.startDevice(receiver, absurd);
        ASSERT_TRUE(test::eventually([&] { return outcome.has_value(); }));
        EXPECT_EQ(outcome->message,
                  listening::formatRefusedMessage(receiver.description(), absurd));
    }

    const QTemporaryDir dir;
    const test::UserFolders folders(dir.path());
    test::SidsServer sids;
    ASSERT_TRUE(sids.listening());
    saveStation(sids);
    openWindow();
    EXPECT_EQ(window->cboGeraet->currentText(), receiver.description());
    ASSERT_TRUE(test::pressAccessKey(window, Qt::Key_N));
    ASSERT_TRUE(window->chkSatnogs->isChecked());
    QFile pipe(server.pipePath(kReceiver));
    ASSERT_TRUE(pipe.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        << pipe.errorString().toStdString();
    const auto frames = test::twoFrames();
    const keyer::KeyedRecording recording = keyer::keyFrames(frames, test::listeningSignal(kRate));
    // The receiver goes quiet in the pause between the two frames.
    const double splitSeconds = recording.frameSeconds[1] - 0.5;
    const auto split = static_cast<std::size_t>(splitSeconds * kRate);
    QTest::keyClick(window->windowHandle(), Qt::Key_S, Qt::AltModifier);
    ASSERT_TRUE(test::eventually([&] { return running(); }));

    const QDateTime firstPlayed = QDateTime::currentDateTimeUtc();
    const int loudest =
        playInRealTime(pipe, pcm16(recording.samples.data(), split), window->prgPegel);
    EXPECT_GT(loudest, -30) << "the level meter moved with the keyed tone";
    // Nothing arrives: the status counts the seconds, the meter falls to silence.
    ASSERT_TRUE(test::eventually(
        [&] { return window->lblStatus->text() == QStringLiteral("Keine Audiodaten seit 2 s"); }));
    ASSERT_TRUE(test::eventually(
        [&] { return window->lblStatus->text() == QStringLiteral("Keine Audiodaten seit 4 s"); }));
    EXPECT_EQ(window->prgPegel->value(), window->prgPegel->minimum());
    // The first frame went out as it was heard, before the second is played.
    EXPECT_EQ(sids.accepted().size(), 1U);
    QTest::qWait(kGapMs - 4000);
    const QDateTime secondPlayed = QDateTime::currentDateTimeUtc();
    playInRealTime(pipe, pcm16(recording.samples.data() + split, recording.samples.size() - split),
                   window->prgPegel);
    EXPECT_EQ(window->lblStatus->text(), QStringLiteral("Höre %1 ...").arg(receiver.description()));
    // The waterfall keeps the time without audio: about one grey row a quarter second.
    EXPECT_NEAR(window->picWasserfall->silentRowCount(), kGapMs / 250, 6);

    // The receiver's audio device goes away: the frames heard stay, the reason is told.
    ASSERT_TRUE(server.unloadPipeSource(kReceiver)) << server.failure().toStdString();
    ASSERT_TRUE(test::eventually([&] { return !running(); }, 10000));
    EXPECT_EQ(platform.messageTexts(),
              QStringList{listening::deviceGoneMessage(receiver.description())});
    const listening::HeardFramesModel* list = window->frames();
    ASSERT_EQ(list->rowCount(), 2);
    // Wall-clock time in UTC: when the frame began in the audio as it arrived.
    const QDateTime expected[] = {
        firstPlayed.addMSecs(std::llround(recording.frameSeconds[0] * 1000.0)),
        secondPlayed.addMSecs(std::llround((recording.frameSeconds[1] - splitSeconds) * 1000.0))};
    for (int i = 0; i < 2; ++i) {
        const listening::ListedFrame& heard = list->frames()[static_cast<std::size_t>(i)];
        EXPECT_EQ(list->line(i), QString::fromStdString(frames[static_cast<std::size_t>(i)]));
        const qint64 offMs = heard.utc.msecsTo(expected[i]);
        std::cout << "Frame " << i + 1 << " listed " << offMs << " ms before its audio came\n";
        EXPECT_LT(std::abs(offMs), 400) << heard.utc.toString(Qt::ISODateWithMs).toStdString();
        // Live frames are of today: the list writes their time of day alone, in UTC.
        EXPECT_EQ(list->timeText(heard),
                  heard.utc.addMSecs(500).toString(QStringLiteral("HH:mm:ss")));
    }
    EXPECT_EQ(list->headerData(listening::HeardFramesModel::TimeColumn, Qt::Horizontal).toString(),
              QStringLiteral("Zeit (UTC)"));

    // Each frame went out with the wall-clock time at which it began, as listed.
    ASSERT_TRUE(test::eventually([&] { return sids.accepted().size() == 2; }))
        << window->lblSatnogs->text().toStdString();
    EXPECT_EQ(window->lblSatnogs->text(),
              QStringLiteral("SatNOGS: 2 gesendet, 0 wartend, 0 abgelehnt"));
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const test::ReceivedRequest& request = sids.requests()[static_cast<std::size_t>(i)];
        EXPECT_EQ(request.field(QStringLiteral("timestamp")),
                  list->frames()[static_cast<std::size_t>(i)].utc.toString(
                      QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz'Z'")));
        EXPECT_EQ(request.field(QStringLiteral("frame")),
                  QString::fromLatin1(list->line(i).toLatin1().toHex().toUpper()));
        EXPECT_EQ(request.field(QStringLiteral("source")), QStringLiteral("DL1ABC"));
    }
}

TEST_F(LiveInput, FollowsTheInputsOfTheSystemAndTellsAVanishedOneAtStart) {
    const QString receiverName = inputNamed(kReceiver).description();
    openWindow();
    EXPECT_EQ(deviceNames(), QStringList{receiverName});

    // An input that comes is listed; the one chosen stays chosen.
    ASSERT_TRUE(server.loadPipeSource(kSecond, kRate)) << server.failure().toStdString();
    ASSERT_TRUE(test::eventually([&] { return deviceNames().size() == 2; }));
    const QString secondName = inputNamed(kSecond).description();
    EXPECT_TRUE(deviceNames().contains(secondName));
    EXPECT_EQ(window->cboGeraet->currentText(), receiverName);

    // The chosen one goes, right before the operator starts: told at once, not listened to.
    ASSERT_TRUE(server.unloadPipeSource(kReceiver)) << server.failure().toStdString();
    EXPECT_TRUE(startIsToldWithin(kToldWithinMs));
    EXPECT_EQ(platform.messageTexts(), QStringList{listening::deviceMissingMessage(receiverName)});
    EXPECT_TRUE(window->lblStatus->text().startsWith(QStringLiteral("Fehler.")));
    ASSERT_TRUE(test::eventually([&] { return deviceNames() == QStringList{secondName}; }));
    EXPECT_EQ(window->cboGeraet->currentIndex(), -1) << "no other input is chosen unasked";

    // It comes back, chosen again, and "&Start" listens to it.
    ASSERT_TRUE(server.loadPipeSource(kReceiver, kRate)) << server.failure().toStdString();
    ASSERT_TRUE(test::eventually([&] { return window->cboGeraet->currentText() == receiverName; }));
    press(Qt::Key_S);
    ASSERT_TRUE(test::eventually([&] { return running(); }));
    EXPECT_EQ(window->lblStatus->text(), QStringLiteral("Höre %1 ...").arg(receiverName));
    press(Qt::Key_P);
    ASSERT_TRUE(test::eventually([&] { return !running(); }));
    EXPECT_TRUE(window->lblStatus->text().startsWith(QStringLiteral("Angehalten.")));
    EXPECT_EQ(platform.messages.size(), 1U);
}

TEST_F(LiveInput, AServerThatHangsIsToldAndTheWindowGoesOnWithoutIt) {
    const QString receiverName = inputNamed(kReceiver).description();
    openWindow();
    ASSERT_TRUE(server.pause());
    // Each start waits on a fresh thread, in vain; the window tells it and takes keys.
    for (int attempt = 1; attempt <= 2; ++attempt) {
        EXPECT_TRUE(startIsToldWithin(kToldWithinMs)) << "attempt " << attempt;
        EXPECT_EQ(platform.messageTexts().last(), listening::deviceHangsMessage(receiverName));
        EXPECT_TRUE(window->cmdStart->isEnabled());
    }
    EXPECT_EQ(listening::ListenSession::threadsLeft(), 2);
    // Once the server answers again a start listens, or, while Qt's audio client is still
    // stuck on the streams it asked for during the hang (seen on a busy machine), is told
    // as hanging once more: never a wait, never another message. The starts left behind
    // end by themselves or wait in the audio client until the program ends.
    ASSERT_TRUE(server.resume());
    int starts = 0;
    bool listens = false;
    while (!listens && starts < 3) {
        ++starts;
        const std::size_t before = platform.messages.size();
        press(Qt::Key_S);
        QTest::qWait(kToldWithinMs);
        listens = running() && platform.messages.size() == before;
        EXPECT_TRUE(listens || (!running() && platform.messages.size() == before + 1));
    }
    if (listens) {
        EXPECT_EQ(window->lblStatus->text(), QStringLiteral("Höre %1 ...").arg(receiverName));
        press(Qt::Key_P);
        ASSERT_TRUE(test::eventually([&] { return !running(); }));
    }
    EXPECT_EQ(platform.messageTexts(), QStringList(2 + starts - (listens ? 1 : 0),
                                                   listening::deviceHangsMessage(receiverName)));
}

/// Stands in for the start of an input device that hangs until the test lets it go.
struct HangingStart {
    QIODevice* operator()(QAudioSource& /*source*/) {
        entered.release();
        release.acquire();
        return nullptr;
    }
    QSemaphore entered;
    QSemaphore release;
};

TEST_F(LiveInput, ASessionNeitherWaitsForAStartThatHangsNorForItsThread) {
    const QAudioDevice receiver = inputNamed(kReceiver);
    auto hanging = std::make_shared<HangingStart>();
    std::optional<ListenOutcome> outcome;
    auto session = std::make_unique<listening::ListenSession>(
        nullptr, [hanging](QAudioSource& source) { return (*hanging)(source); });
    QObject::connect(session.get(), &listening::ListenSession::ended,
                     [&](const ListenOutcome& o) { outcome = o; });
    // A start that does not return is told; the next start runs on a fresh thread.
    QElapsedTimer clock;
    clock.start();
    session->startDevice(receiver);
    ASSERT_TRUE(test::eventually([&] { return outcome.has_value(); }));
    EXPECT_LE(clock.elapsed(), kToldWithinMs);
    EXPECT_EQ(outcome->kind, ListenOutcome::Kind::Failed);
    EXPECT_EQ(outcome->message, listening::deviceHangsMessage(receiver.description()));
    EXPECT_FALSE(session->isRunning());

    // A stop while the start hangs is told the same way.
    outcome.reset();
    session->startDevice(receiver);
    ASSERT_TRUE(hanging->entered.tryAcquire(2, 5000));
    session->stop();
    ASSERT_TRUE(test::eventually([&] { return outcome.has_value(); }));
    EXPECT_EQ(outcome->message, listening::deviceHangsMessage(receiver.description()));

    // Destroyed while a third start hangs, the session does not wait for it.
    outcome.reset();
    session->startDevice(receiver);
    ASSERT_TRUE(hanging->entered.tryAcquire(1, 5000));
    EXPECT_EQ(listening::ListenSession::threadsLeft(), 3);
    clock.restart();
    session.reset();
    EXPECT_LT(clock.elapsed(), 1000);

    // Let go, the starts return; each thread sees that it was left and ends.
    hanging->release.release(3);
    EXPECT_TRUE(test::eventually([] { return listening::ListenSession::threadsLeft() == 0; }));
    EXPECT_FALSE(outcome.has_value()) << "a thread left behind tells nothing";
}

TEST_F(LiveInput, TheProgramEndsAtOnceWhileTheServerHangs) {
    const QString receiverName = inputNamed(kReceiver).description();
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(ORVINTA_EXIT_PROBE), {kReceiver});
    QStringList output;
    const auto says = [&](const char* word) {
        return test::eventually(
            [&] {
                program.waitForReadyRead(10);
                while (program.canReadLine()) {
                    output << QString::fromUtf8(program.readLine().trimmed());
                    if (output.last() == QLatin1String(word))
                        return true;
                }
                return false;
            },
            15000);
    };
    ASSERT_TRUE(says("bereit"));
    ASSERT_TRUE(server.pause());
    program.write("los\n");
    // The program tells that the device does not answer and the operator ends it.
    ASSERT_TRUE(says("beende"));
    EXPECT_TRUE(output.join(u'\n').contains(listening::deviceHangsMessage(receiverName)))
        << output.join(u'\n').toStdString();
    QElapsedTimer ending;
    ending.start();
    const bool ended = program.state() == QProcess::NotRunning || program.waitForFinished(10000);
    std::cout << "The program ended " << ending.elapsed() << " ms after \"Beenden\"\n";
    ASSERT_TRUE(ended);
    EXPECT_LT(ending.elapsed(), 1000);
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}

} // namespace
} // namespace orvinta

int main(int argc, char* argv[]) {
    // A start left waiting in the audio client ends with the process, as in the program.
    return orvinta::listening::exitCodeUnlessThreadsHang(orvinta::test::runGuiTests(argc, argv));
}
