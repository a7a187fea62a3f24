// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Test recordings, keyed during the run: frames of the beacon as a keyer sends them
// (morsechart.h), then what a pass does to them on the way (drift, fading, other
// stations, noise), then written as audio files if a test needs one.

#include "cw/audio/audiofile.h"
#include "cw/cwdecoder.h"
#include "impairments.h"

#include <complex>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace orvinta::keyer {

enum class Fading {
    Sine,     ///< the level swings sinusoidally in dB, fadeDb from trough to crest
    Rayleigh, ///< a tumbling satellite: complex Gaussian gain, about one fade a period
};

enum class Noise {
    None,
    White,      ///< white Gaussian noise
    SpeechBand, ///< noise shaped like speech (300-3400 Hz, strongest around 500 Hz) with
                ///< a syllable rhythm, as a receiver's audio between signals can sound
};

/// Another CW station on the air, sending random text (a contact's words, call signs,
/// letter groups) in overs: for overSeconds out of every turnSeconds, from firstOverSeconds
/// on; all the time when overSeconds is 0.
struct Interferer {
    double offsetHz = 150.0; ///< its tone, from the beacon's (undrifted) tone
    double levelDb = 0.0;    ///< its key-down level against the beacon's unfaded level
    double wordsPerMinute = 20.0;
    double overSeconds = 0.0;
    double turnSeconds = 0.0;
    double firstOverSeconds = 0.0;
    unsigned seed = 7;
};

/// How to key and disturb a test recording.
struct SignalOptions {
    int sampleRate = 8000;
    double wordsPerMinute = 20.0;
    /// The keyer's weight and gap stretch (KeyerTiming).
    double weight = 0.5;
    double characterGapStretch = 1.0;
    double wordGapStretch = 1.0;
    /// Each frame's speed as a multiple of wordsPerMinute, frame by frame in turn; empty
    /// keys every frame at wordsPerMinute.
    std::vector<double> frameSpeedFactors;
    double toneHz = 1000.0;
    Noise noise = Noise::White;
    /// Signal-to-noise ratio in 3 kHz bandwidth at the unfaded level, key down.
    double snrDb = 10.0;
    /// (seconds, dB) points through which the SNR moves linearly, as over a pass;
    /// empty keeps snrDb throughout.
    std::vector<std::pair<double, double>> snrProfile;
    /// The tone moves from toneHz - driftHz to toneHz + driftHz along a tanh curve
    /// centred in the recording, at most driftRateHz per second (falls for driftHz < 0).
    double driftHz = 0.0;
    double driftRateHz = 5.0;
    Fading fading = Fading::Sine;
    double fadeDb = 0.0; ///< Sine only
    double fadePeriodSeconds = 40.0;
    double fadePhase = 0.0; ///< Sine only
    /// Stretches (seconds) in which the beacon's signal is gone entirely, as in the
    /// deepest fades; the noise goes on.
    std::vector<std::pair<double, double>> dropouts;
    /// An unkeyed carrier on all the time, its amplitude relative to the keyed tone's.
    double carrierHz = 0.0;
    double carrierLevel = 0.0;
    std::vector<Interferer> interferers;
    double edgeSeconds = 0.005;
    double leadSeconds = 2.0;
    double gapSeconds = 3.0;
    double tailSeconds = 2.0;
    unsigned seed = 1;
};

/// A keyed recording, the moments the frames' first characters start and their speeds.
struct KeyedRecording {
    std::vector<float> samples;
    std::vector<double> frameSeconds;
    std::vector<double> frameEndSeconds; ///< just after each frame's last mark
    std::vector<double> frameWpm;
};

/// Keys `frames` one after another (a word gap and gapSeconds of silence between them),
/// with raised-cosine edges, then adds drift, fading, the other stations and noise.
/// Levels stay well inside full scale.
KeyedRecording keyFrames(const std::vector<std::string>& frames, const SignalOptions& options);

/// Seconds that keyFrames() would key `frames` in, lead and tail included.
double recordingSeconds(const std::vector<std::string>& frames, const SignalOptions& options);

/// The SNR (dB in 3 kHz) at the unfaded level, key down, `seconds` into a recording keyed
/// with `options`: snrDb, or the profile's points joined by straight lines.
double snrDbAt(const SignalOptions& options, double seconds);

/// The beacon's key-down SNR (dB in 3 kHz) moment by moment as keyFrames() keys `frames`:
/// the level of the profile and of the fade at that moment. For figures on what a
/// recording carries at all, whatever reads it.
class BeaconSnr {
public:
    BeaconSnr(const std::vector<std::string>& frames, const SignalOptions& options);

    double at(double seconds) const;
    /// The beacon's complex gain from its fading at `seconds`: of mean power 1 under
    /// Rayleigh fading, the swing in dB otherwise.
    std::complex<double> fade(double seconds) const;

private:
    SignalOptions m_options;
    std::optional<RayleighFading> m_rayleigh;
};

/// A frame with a random block digit, status letter ("O" mostly) and eight groups of
/// cut-number channel values.
std::string randomFrame(std::mt19937& random);
/// `count` random frames from a generator seeded with `seed`.
std::vector<std::string> randomFrames(std::size_t count, unsigned seed);

/// `words` words of an ordinary contact: call signs, the usual abbreviations and
/// reports ("HI HI" among them), names, letter and digit groups.
std::string randomContactText(std::mt19937& random, std::size_t words);

/// Decodes `samples` fed in blocks of `block` samples, as the program does with a file.
std::vector<cw::HeardFrame> decodeSamples(const std::vector<float>& samples, int sampleRate,
                                          const cw::DecoderSettings& settings = {},
                                          std::size_t block = 1 << 14);

enum class AudioFormat { Wav16, WavFloat, Flac, Vorbis };

/// Writes mono `samples` (duplicated to every channel) to `path`, with the date texts of
/// `tags` in its metadata (the origination fields only in a WAV file); false on failure.
bool writeAudio(const std::string& path, const std::vector<float>& samples, int sampleRate,
                AudioFormat format, int channels = 1, const cw::DateTags& tags = {});

} // namespace orvinta::keyer
