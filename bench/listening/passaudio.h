// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstddef>
#include <string>
#include <vector>

namespace orvinta::bench {

/// Two minutes of a pass: frames keyed one after another at 20 WpM with a few seconds
/// between them, 10 dB above the noise; repeated, it makes audio of any length.
struct PassAudio {
    std::vector<float> samples;
    std::vector<std::string> frames;
    int sampleRate = 0;
};

PassAudio twoMinutesOfPass(int sampleRate);

/// Writes `repeats` times `audio` as one 16-bit WAV file; false on failure.
bool writeRepeated(const QString& path, const PassAudio& audio, int repeats);

} // namespace orvinta::bench
