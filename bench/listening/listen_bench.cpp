// SPDX-License-Identifier: GPL-3.0-or-later
// Figures for listening in the desktop program; prints them. Three parts:
//   stall    the longest pause of the program's event loop while the listening window
//            decodes a one-hour recording (goal: none over 50 ms)
//   memory   resident memory over one hour of 48 kHz audio fed through the push interface
//            as fast as it goes, as a long live session feeds it (goal: < 5 MB growth
//            after the first minutes)
//   latency  how much audio after a frame's last mark the decoder needs before it gives
//            the frame out (live, the list shows a frame that much later), at 8, 18 and
//            30 WpM and in fades (goal: 1 s at most)
// Usage: orvinta-listen-bench [stall|memory|latency]... (all three without arguments)
#include "keyer/keyedsignal.h"
#include "listening/framefeeder.h"
#include "listening/frmempfang.h"
#include "listening/heardframesmodel.h"
#include "listening/listensession.h"
#include "passaudio.h"
#include "tools/procstatus/residentmemory.h"
#include "windowkit/application.h"
#include "windows/frmtelemetrie.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace orvinta;

constexpr int kRecordingRate = 8000;
constexpr int kLiveRate = 48000;
/// Two-minute pieces to an hour.
constexpr int kRepeats = 30;
/// Pieces of two minutes before memory is taken as the baseline.
constexpr int kWarmUpPieces = 10;
/// The event loop is probed this often; a pause is the time between two probes beyond it.
constexpr int kProbeMs = 5;
constexpr double kStallGoalMs = 50.0;

/// Pauses of the event loop while `running` holds.
std::vector<double> probePauses(const std::function<bool()>& running) {
    std::vector<double> pauses;
    QElapsedTimer clock;
    clock.start();
    QTimer probe;
    QEventLoop loop;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        pauses.push_back(std::max(0.0, static_cast<double>(clock.nsecsElapsed()) / 1e6 - kProbeMs));
        clock.restart();
        if (!running())
            loop.quit();
    });
    probe.start(kProbeMs);
    loop.exec();
    return pauses;
}

bool stall() {
    QTemporaryDir folder;
    const QString recording = folder.filePath(QStringLiteral("hour.wav"));
    if (!bench::writeRepeated(recording, bench::twoMinutesOfPass(kRecordingRate), kRepeats)) {
        std::printf("stall: cannot write %s\n", qPrintable(recording));
        return false;
    }
    frmTelemetrie main(0);
    main.show();
    main.mnuHoeren->trigger();
    frmEmpfang* window = main.empfang();
    window->txtDatei->setText(recording);
    QElapsedTimer clock;
    clock.start();
    window->cmdStart->click();
    std::vector<double> pauses = probePauses([window] { return window->session()->isRunning(); });
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    std::sort(pauses.begin(), pauses.end());
    const auto over =
        std::count_if(pauses.begin(), pauses.end(), [](double p) { return p > kStallGoalMs; });
    std::printf("stall: one hour at %d Hz decoded in %.1f s (%.0fx real time), %d frames listed\n",
                kRecordingRate, seconds, 3600.0 / seconds, window->frames()->rowCount());
    std::printf("stall: event loop probed %zu times every %d ms: longest pause %.1f ms, 99th "
                "percentile %.1f ms, %lld pauses over %.0f ms\n",
                pauses.size(), kProbeMs, pauses.back(), pauses[pauses.size() * 99 / 100],
                static_cast<long long>(over), kStallGoalMs);
    return over == 0;
}

bool memory() {
    const bench::PassAudio pass = bench::twoMinutesOfPass(kLiveRate);
    listening::FrameFeeder feeder(kLiveRate, 0.25, true);
    listening::HeardFramesModel list;
    // A device hands over a tenth of a second at a time.
    const std::size_t block = kLiveRate / 10;
    long afterWarmUp = 0;
    QElapsedTimer clock;
    clock.start();
    for (int piece = 0; piece < kRepeats; ++piece) {
        for (std::size_t at = 0; at < pass.samples.size(); at += block) {
            listening::Heard heard;
            feeder.push(pass.samples.data() + at, std::min(block, pass.samples.size() - at), heard);
            std::vector<listening::ListedFrame> frames;
            for (cw::HeardFrame& frame : heard.frames)
                frames.push_back({std::move(frame), {}});
            list.append(frames);
        }
        // The decoder's buffers and the heap reach their working size within a quarter of
        // an hour of live reading; from then on nothing may grow.
        if (piece + 1 == kWarmUpPieces)
            afterWarmUp = residentKilobytes();
        if ((piece + 1) % 5 == 0)
            std::printf("memory: minute %2d: resident %ld kB\n", 2 * (piece + 1),
                        residentKilobytes());
    }
    const long atEnd = residentKilobytes();
    std::printf("memory: one hour at %d Hz pushed in %.1f s, %d frames listed (%zu keyed)\n",
                kLiveRate, static_cast<double>(clock.elapsed()) / 1000.0, list.rowCount(),
                pass.frames.size() * kRepeats);
    std::printf("memory: resident %ld kB after %d minutes, %ld kB after 60 minutes: growth %ld "
                "kB\n",
                afterWarmUp, 2 * kWarmUpPieces, atEnd, atEnd - afterWarmUp);
    return atEnd - afterWarmUp < 5 * 1024;
}

/// A recording for the latency: frames keyed one after another with a few seconds
/// between them, and silence after the last.
struct LatencyCase {
    const char* name;
    double wordsPerMinute;
    double snrDb;
    keyer::Fading fading;
    double fadeDb;
};

constexpr double kLatencyGoalSeconds = 1.0;
constexpr int kLatencyFrames = 4;

/// Seconds of audio pushed after each frame's end before it came out, the longest of
/// them; false if a frame came out only at the stream's end or not at all.
bool latencyOf(const LatencyCase& c) {
    keyer::SignalOptions options;
    options.sampleRate = kLiveRate;
    options.wordsPerMinute = c.wordsPerMinute;
    options.snrDb = c.snrDb;
    options.fading = c.fading;
    options.fadeDb = c.fadeDb;
    options.fadePeriodSeconds = 15.0;
    options.tailSeconds = 10.0;
    std::mt19937 random(5);
    std::vector<std::string> frames;
    for (int i = 0; i < kLatencyFrames; ++i)
        frames.push_back(keyer::randomFrame(random));
    const keyer::KeyedRecording recording = keyer::keyFrames(frames, options);
    listening::FrameFeeder feeder(kLiveRate, 0.25, true);
    // A device hands over a tenth of a second at a time.
    const std::size_t block = kLiveRate / 10;
    const auto& samples = recording.samples;
    double longest = 0.0;
    std::size_t out = 0;
    std::size_t right = 0;
    std::string each;
    for (std::size_t at = 0; at < samples.size(); at += block) {
        listening::Heard heard;
        feeder.push(samples.data() + at, std::min(block, samples.size() - at), heard);
        for (const cw::HeardFrame& frame : heard.frames) {
            const double late = feeder.seconds() - frame.endSeconds;
            longest = std::max(longest, late);
            each += QString::asprintf(" %.2f", late).toStdString();
            ++out;
            right += std::find(frames.begin(), frames.end(), frame.text) != frames.end() ? 1U : 0U;
        }
    }
    listening::Heard rest;
    feeder.finish(rest);
    std::printf("latency: %-14s %2.0f WpM: %zu of %d frames out while listening (%zu read "
                "exactly), after%s s; longest %.2f s%s\n",
                c.name, c.wordsPerMinute, out, kLatencyFrames, right, each.c_str(), longest,
                rest.frames.empty() ? "" : " (more at the stream's end)");
    return out == frames.size() && rest.frames.empty() && longest <= kLatencyGoalSeconds;
}

bool latency() {
    using keyer::Fading;
    std::printf("latency: audio pushed in 0.1 s blocks after each frame's last mark before it "
                "came out (goal: %.0f s at most)\n",
                kLatencyGoalSeconds);
    const LatencyCase cases[] = {
        {"steady", 8.0, 0.0, Fading::Sine, 0.0},
        {"steady", 18.0, 0.0, Fading::Sine, 0.0},
        {"steady", 30.0, 0.0, Fading::Sine, 0.0},
        {"fading 20 dB", 18.0, 3.0, Fading::Sine, 20.0},
        {"tumbling", 18.0, 3.0, Fading::Rayleigh, 0.0},
    };
    bool met = true;
    for (const LatencyCase& c : cases)
        met = latencyOf(c) && met;
    return met;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    prepareApplication();
    QStringList parts = QApplication::arguments().mid(1);
    if (parts.isEmpty())
        parts = {QStringLiteral("stall"), QStringLiteral("memory"), QStringLiteral("latency")};
    bool met = true;
    for (const QString& part : parts) {
        if (part == QStringLiteral("stall"))
            met = stall() && met;
        else if (part == QStringLiteral("memory"))
            met = memory() && met;
        else if (part == QStringLiteral("latency"))
            met = latency() && met;
    }
    return met ? 0 : 1;
}
