// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cw/cwdecoder.h"

#include <random>
#include <string>
#include <vector>

namespace orvinta::cw::testsignal {

/// How to key and disturb a test recording.
struct SignalOptions {
    int sampleRate = 8000;
    double wordsPerMinute = 20.0;
    double toneHz = 1000.0;
    /// Signal-to-noise ratio in 3 kHz bandwidth at the unfaded level, key down; no noise
    /// when not set.
    bool noise = true;
    double snrDb = 10.0;
    /// The tone moves from toneHz - driftHz to toneHz + driftHz along a tanh curve
    /// centred in the recording, at most driftRateHz per second (falls for driftHz < 0).
    double driftHz = 0.0;
    double driftRateHz = 5.0;
    /// The level swings sinusoidally in dB, fadeDb from trough to crest.
    double fadeDb = 0.0;
    double fadePeriodSeconds = 40.0;
    double fadePhase = 0.0;
    /// An unkeyed carrier on all the time, its amplitude relative to the keyed tone's.
    double carrierHz = 0.0;
    double carrierLevel = 0.0;
    double edgeSeconds = 0.005;
    double leadSeconds = 2.0;
    double gapSeconds = 3.0;
    double tailSeconds = 2.0;
    unsigned seed = 1;
};

/// A keyed recording and the moments the frames' first characters start.
struct KeyedRecording {
    std::vector<float> samples;
    std::vector<double> frameSeconds;
};

/// Keys `frames` one after another (a word gap and gapSeconds of silence between them) as a
/// machine would, with raised-cosine edges, then adds drift, fading and white Gaussian
/// noise. Levels stay well inside full scale.
KeyedRecording keyFrames(const std::vector<std::string>& frames, const SignalOptions& options);

/// A frame with a random block digit, status letter ("O" mostly) and eight groups of
/// cut-number channel values.
std::string randomFrame(std::mt19937& random);

/// Decodes `samples` fed in blocks of `block` samples, as the program does with a file.
std::vector<HeardFrame> decodeSamples(const std::vector<float>& samples, int sampleRate,
                                      const DecoderSettings& settings = {},
                                      std::size_t block = 1 << 14);

enum class AudioFormat { Wav16, WavFloat, Flac, Vorbis };

/// Writes mono `samples` (duplicated to every channel) to `path`; false on failure.
bool writeAudio(const std::string& path, const std::vector<float>& samples, int sampleRate,
                AudioFormat format, int channels = 1);

} // namespace orvinta::cw::testsignal
