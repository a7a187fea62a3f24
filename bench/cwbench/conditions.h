// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The conditions orvinta-cw-bench keys its recordings under: each curve is one kind of
// recording at several signal-to-noise ratios, and the curves of a group share a plot.

#include "keyer/keyedsignal.h"

#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace orvinta::cw::bench {

/// Frames and how to key them into one recording.
struct Keyed {
    std::vector<std::string> frames;
    keyer::SignalOptions options;
    /// Where the recording stops, as a recording cut at loss of signal: a share of the
    /// stretch from the middle of its second-to-last frame to the end of its last frame's
    /// prefix. Nothing: it stops after its tail.
    std::optional<double> cut;
    /// Whether, at `cut`, the beacon is lost below the horizon while the recording goes on
    /// (its noise with it), instead of the recording stopping.
    bool signalLost = false;
};

struct Curve {
    std::string group; ///< the plot it belongs to: white, fading, interference, keying
    std::string name;  ///< its column title in the plot
    std::vector<double> levels;
    int framesPerPoint = 100;
    /// A recording of a few frames at `snrDb`, all its randomness drawn from `random`.
    std::function<Keyed(double snrDb, std::mt19937& random)> make;
};

/// Every curve, with `scale` times the usual number of frames per point.
std::vector<Curve> curves(double scale);

/// A ten-minute pass: 17 frames 12 s apart, the SNR going from +6 dB down to -12 dB and
/// back, Rayleigh fading over `fadeSeconds` (none for 0), a drifting tone.
Keyed fadedPass(std::mt19937& random, double fadeSeconds);

/// Ten minutes without the beacon: white noise, speech-band noise, or an ordinary
/// contact of two stations taking turns in white noise with their key-down level
/// `levelDb` in 3 kHz.
enum class Background { WhiteNoise, SpeechNoise, Contact };
Keyed withoutBeacon(Background background, double levelDb, unsigned seed);

} // namespace orvinta::cw::bench
