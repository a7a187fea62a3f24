// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "baseband.h"
#include "framedecoder.h"

#include <complex>
#include <cstddef>
#include <string>
#include <vector>

namespace orvinta::cw {

/// A frame heard in a recording.
struct HeardFrame {
    double seconds = 0.0; ///< where the frame's first character starts, into the recording
    std::string text;     ///< telemetry line with "?" for unreadable characters
    std::size_t unreadable = 0;
    double toneHz = 0.0;
    double wordsPerMinute = 0.0;
    double snrDb = 0.0; ///< estimated in 3 kHz bandwidth
    double match = 0.0; ///< correlation of the unit energies with the frame as read
    double confidence = 0.0;
};

/// Tuning of the frame search and reading.
struct DecoderSettings {
    /// Correlation of unit energies with the keyed prefix that a frame must reach.
    double minimumMatch = 0.45;
    /// Correlation of unit energies with the whole frame as read that it must reach.
    double minimumFrameMatch = 0.52;
    /// Likelihood margin (natural log) below which a character is given as "?".
    double minimumMargin = 0.5;
    double slowestWpm = 8.0;
    double fastestWpm = 30.0;
};

/// Decodes the beacon from audio fed block by block, with memory bounded by the longest
/// frame: the audio becomes complex baseband around the tracked tone; the keyed prefix
/// "E LUSAT HI HI" is searched over start and speed; each frame found is read with the
/// speed and levels learnt on its prefix.
class CwDecoder {
public:
    explicit CwDecoder(int sampleRate, DecoderSettings settings = {});

    /// Takes mono audio samples.
    void push(const float* audio, std::size_t count);
    /// Reads what remains at the end of the recording.
    void finish();

    /// Frames found since the last call, in recording order.
    std::vector<HeardFrame> takeFrames();

private:
    void search(bool final);
    /// One search step from searchFrom_; false when more baseband is needed.
    bool step(bool final);
    void trim();
    std::vector<double> unitGrid() const;

    DecoderSettings settings_;
    Baseband baseband_;
    std::vector<std::complex<float>> samples_;
    std::vector<float> tones_;
    std::vector<float> steady_; ///< share of a steady line in the tone's channel
    std::size_t base_ = 0;      ///< absolute baseband index of samples_[0]
    std::size_t searchFrom_ = 0;
    CumulativeBaseband sums_;
    double shortestUnit_;
    double longestUnit_;
    double windowSamples_;
    double lockedUnit_ = 0.0;
    double lockedUntil_ = 0.0;
    std::vector<HeardFrame> frames_;
};

} // namespace orvinta::cw
