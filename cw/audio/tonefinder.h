// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where keyed tones are in the band: short-time power spectra of the audio, summed over a
// few seconds; a tone is a peak of that sum that stands above the local noise floor and
// is keyed (its quietest spectrum drops to the noise, or far below its mean, which a
// steady carrier's never does). Steady carriers are reported apart: one in a tone's
// channel makes the reading of that tone less sure.

#include "realfft.h"

#include <cstddef>
#include <deque>
#include <vector>

namespace orvinta::cw {

/// The band in which the beacon's tone is looked for, in Hz.
inline constexpr double kLowestToneHz = 200.0;
inline constexpr double kHighestToneHz = 3000.0;

/// A keyed tone at one moment.
struct TonePeak {
    double frequencyHz = 0.0;
    double strength = 0.0; ///< tone power over the noise floor around it
    /// Where in the window its energy lies (an index of the audio): a drifting tone at a
    /// frame's start or end is heard there, not at the window's middle.
    double sample = 0.0;
};

/// The keyed tones of one analysis, centred at `sample` (an index of the audio pushed).
struct SpectrumMoment {
    double sample = 0.0;
    /// The audio the analysis has seen: up to this index. It falls due then, whatever
    /// blocks the audio came in.
    double due = 0.0;
    std::vector<TonePeak> peaks;
    /// A tone weaker than this (over the floor) is not told apart from noise here.
    double presence = 0.0;
    /// Tones that stand out but are never off: steady carriers.
    std::vector<double> steadyHz;
};

class ToneFinder {
public:
    explicit ToneFinder(double sampleRate);
    ~ToneFinder();
    ToneFinder(const ToneFinder&) = delete;
    ToneFinder& operator=(const ToneFinder&) = delete;

    /// Takes audio samples; appends an analysis for every half spectrum that became due.
    void push(const float* samples, std::size_t count, std::vector<SpectrumMoment>& moments);

private:
    void analyse(std::vector<SpectrumMoment>& moments);
    void addSpectrum();
    void capLoudSpectra();
    void measureFloors();
    bool keyed(std::size_t k) const;
    bool peakAt(std::size_t k) const;
    double peakBin(std::size_t k) const;
    double heardAt(std::size_t k, double first, double middle) const;
    /// How alike the powers of bins `a` and `b` (with their neighbours) rise and fall over
    /// the window's spectra.
    double keyingCorrelation(std::size_t a, std::size_t b) const;
    /// Whether the peak at bin `k` is the keying spectrum of one of the `stronger` tones.
    bool sidebandOf(std::size_t k, const std::vector<std::size_t>& stronger) const;

    double m_sampleRate;
    std::size_t m_size;
    std::size_t m_hop;
    std::size_t m_firstBin;
    std::size_t m_bins;
    std::size_t m_window; ///< spectra summed per analysis
    std::vector<float> m_hann;
    std::vector<float> m_input;
    RealFft m_fft;
    std::deque<std::vector<float>> m_spectra;
    std::deque<double> m_levels; ///< each spectrum's median power over the band
    std::deque<double> m_capped; ///< the same, as far as capped
    std::vector<double> m_scratch;
    std::vector<double> m_sum;
    std::vector<double> m_smooth;     ///< sum over three neighbouring bins
    std::vector<double> m_quietest;   ///< per bin, the quietest spectrum in the window
    std::vector<double> m_floor;      ///< per bin, the noise floor around it
    std::vector<double> m_quietFloor; ///< per bin, how low the noise's quietest spectrum goes
    long long m_analyses = 0;
};

} // namespace orvinta::cw
