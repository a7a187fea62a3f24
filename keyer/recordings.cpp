// SPDX-License-Identifier: GPL-3.0-or-later
#include "recordings.h"

#include <QFile>

#include <random>

namespace orvinta::test {

using keyer::AudioFormat;
using keyer::SignalOptions;

std::vector<std::string> twoFrames() {
    return {"E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE",
            "E LUSAT HI HI 7O AVU ABA AU4 AD4 AA4 ABT TTU AE6"};
}

SignalOptions listeningSignal(int sampleRate) {
    SignalOptions options;
    options.sampleRate = sampleRate;
    options.wordsPerMinute = 30.0;
    options.snrDb = 20.0;
    options.leadSeconds = 1.0;
    options.gapSeconds = 1.0;
    options.tailSeconds = 1.0;
    return options;
}

std::vector<double> writeRecording(const QString& path, const std::vector<std::string>& frames,
                                   const SignalOptions& options) {
    const keyer::KeyedRecording recording = keyer::keyFrames(frames, options);
    if (!keyer::writeAudio(QFile::encodeName(path).toStdString(), recording.samples,
                           options.sampleRate, AudioFormat::Wav16))
        return {};
    return recording.frameSeconds;
}

bool writeNoise(const QString& path, double seconds, int sampleRate) {
    std::mt19937 random(3);
    std::normal_distribution<float> noise(0.0f, 0.1f);
    std::vector<float> samples(static_cast<std::size_t>(seconds * sampleRate));
    for (float& sample : samples)
        sample = noise(random);
    return keyer::writeAudio(QFile::encodeName(path).toStdString(), samples, sampleRate,
                             AudioFormat::Wav16);
}

} // namespace orvinta::test
