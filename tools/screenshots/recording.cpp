// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording.h"

#include "keyer/keyedsignal.h"

#include <QFile>

#include <cmath>
#include <random>

namespace orvinta::screenshots {
namespace {

constexpr int kRate = 12000;
/// Where the signal drops out in the fourth frame, into its payload, and for how long:
/// a deep fade that leaves only the noise.
constexpr double kDropoutAfterSeconds = 11.0;
constexpr double kDropoutSeconds = 0.8;
/// The lead before the first frame holds noise alone.
constexpr double kNoiseOnlySeconds = 1.0;

} // namespace

bool writePassRecording(const QString& path) {
    keyer::SignalOptions options;
    options.sampleRate = kRate;
    options.wordsPerMinute = 22.0;
    options.toneHz = 1180.0;
    options.driftHz = -60.0;
    options.driftRateHz = 1.0;
    options.snrDb = 3.0;
    std::mt19937 random(19);
    std::vector<std::string> frames;
    for (int i = 0; i < 5; ++i)
        frames.push_back(keyer::randomFrame(random));
    keyer::KeyedRecording recording = keyer::keyFrames(frames, options);

    double power = 0.0;
    const auto noiseOnly = static_cast<std::size_t>(kNoiseOnlySeconds * kRate);
    for (std::size_t n = 0; n < noiseOnly; ++n)
        power += static_cast<double>(recording.samples[n] * recording.samples[n]);
    std::normal_distribution<float> noise(
        0.0f, static_cast<float>(std::sqrt(power / static_cast<double>(noiseOnly))));
    const auto from =
        static_cast<std::size_t>((recording.frameSeconds[3] + kDropoutAfterSeconds) * kRate);
    const auto to = from + static_cast<std::size_t>(kDropoutSeconds * kRate);
    for (std::size_t n = from; n < to && n < recording.samples.size(); ++n)
        recording.samples[n] = noise(random);
    return keyer::writeAudio(QFile::encodeName(path).toStdString(), recording.samples, kRate,
                             keyer::AudioFormat::Wav16);
}

} // namespace orvinta::screenshots
