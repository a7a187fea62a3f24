// SPDX-License-Identifier: GPL-3.0-or-later
#include "passaudio.h"

#include "keyer/keyedsignal.h"

#include <QFile>

#include <sndfile.h>

#include <random>

namespace orvinta::bench {
namespace {

constexpr double kChunkSeconds = 120.0;
constexpr int kFramesPerChunk = 4;

} // namespace

PassAudio twoMinutesOfPass(int sampleRate) {
    keyer::SignalOptions options;
    options.sampleRate = sampleRate;
    options.wordsPerMinute = 20.0;
    options.snrDb = 10.0;
    PassAudio audio;
    std::mt19937 random(11);
    for (int i = 0; i < kFramesPerChunk; ++i)
        audio.frames.push_back(keyer::randomFrame(random));
    keyer::KeyedRecording recording = keyer::keyFrames(audio.frames, options);
    // Pad with the recording's own noise from its start to exactly two minutes.
    const auto length = static_cast<std::size_t>(kChunkSeconds * sampleRate);
    const auto lead = static_cast<std::size_t>(sampleRate / 2);
    while (recording.samples.size() < length)
        recording.samples.push_back(recording.samples[recording.samples.size() % lead]);
    recording.samples.resize(length);
    audio.samples = std::move(recording.samples);
    audio.sampleRate = sampleRate;
    return audio;
}

bool writeRepeated(const QString& path, const PassAudio& audio, int repeats) {
    SF_INFO info{};
    info.samplerate = audio.sampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (file == nullptr)
        return false;
    bool ok = true;
    const auto count = static_cast<sf_count_t>(audio.samples.size());
    for (int i = 0; i < repeats && ok; ++i)
        ok = sf_write_float(file, audio.samples.data(), count) == count;
    return sf_close(file) == 0 && ok;
}

} // namespace orvinta::bench
