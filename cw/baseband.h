// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "filters.h"

#include <complex>
#include <cstddef>
#include <deque>
#include <memory>
#include <vector>

namespace orvinta::cw {

/// Finds the keyed tone in 200-3000 Hz and follows its drift: short-time spectra of the
/// audio, summed over a few seconds centred on each moment, give the tone as the
/// strongest line; the search stays near the last tone unless a clearly stronger line
/// shows up elsewhere.
class ToneTracker {
public:
    /// A tone estimate for the moment `sample` (index into the tracker's input).
    struct Estimate {
        double sample = 0.0;
        double frequencyHz = 0.0;
        double strength = 0.0; ///< line power over the median of the band
        /// Power of the strongest steady (unkeyed) line within the tone's channel, over
        /// the tone's: such a line adds to the key-up units and can make them look keyed.
        double steadyNearby = 0.0;
    };

    explicit ToneTracker(double sampleRate);
    ~ToneTracker();
    ToneTracker(const ToneTracker&) = delete;
    ToneTracker& operator=(const ToneTracker&) = delete;

    /// Takes new samples and appends the estimates that became due.
    void push(const float* samples, std::size_t count, std::vector<Estimate>& estimates);
    /// Appends the estimates still held back at the end of the input.
    void finish(std::vector<Estimate>& estimates);

private:
    void analyse();
    /// Emits the estimate for the middle of the held raw estimates, smoothed by a
    /// straight line fitted to all of them (weighted by strength).
    void emitSmoothed(std::size_t middle, std::vector<Estimate>& estimates) const;

    struct Plan;
    double sampleRate_;
    std::size_t size_;
    std::size_t hop_;
    std::size_t firstBin_;
    std::size_t lastBin_;
    std::size_t window_; ///< spectra summed per estimate
    std::vector<float> hann_;
    std::vector<float> input_;
    std::size_t consumed_ = 0; ///< absolute index of input_[0]
    std::unique_ptr<Plan> plan_;
    std::deque<std::vector<float>> spectra_;
    std::deque<Estimate> raw_;
    bool smoothing_ = false;
    std::vector<double> sum_;
    std::vector<double> smooth_;
    std::vector<double> quietest_; ///< per bin, the least power of a spectrum in the window
    std::vector<double> sorted_;
    long long spectrumCount_ = 0;
    double tone_ = 0.0;
    bool acquired_ = false;
};

/// Turns audio at any rate into complex baseband around the tracked tone at about
/// 200 samples per second: decimation to 8-16 kHz, tone tracking, mixing and a narrow
/// low-pass.
class Baseband {
public:
    explicit Baseband(int sampleRate);

    /// Takes audio samples; appends the baseband samples that became due, with the tone
    /// frequency used for each.
    void push(const float* audio, std::size_t count, std::vector<std::complex<float>>& out,
              std::vector<float>& toneHz);
    /// Flushes what is held back for the tone estimate at the end of the input.
    void finish(std::vector<std::complex<float>>& out, std::vector<float>& toneHz);

    double rate() const { return rate_; }
    /// From now on, also appends to `into`, for each baseband sample, the share of a
    /// steady line within the tone's channel (ToneTracker::Estimate::steadyNearby).
    void reportSteadyLines(std::vector<float>* into) { steady_ = into; }
    /// Seconds into the input at which baseband sample `index` is centred.
    double timeOf(double index) const;

private:
    void follow(std::vector<std::complex<float>>& out, std::vector<float>& toneHz);
    /// The next factor of the mixing oscillator running at `frequencyHz`.
    std::complex<float> oscillator(double frequencyHz);
    void mixUpTo(double frequencyHz, double steadyNearby, std::vector<std::complex<float>>& out,
                 std::vector<float>& toneHz);

    int inputRate_;
    double audioRate_;
    double rate_;
    FirDecimator<float> audioDecimator_;
    FirDecimator<std::complex<float>> basebandDecimator_;
    ToneTracker tracker_;
    std::vector<float> clean_;
    std::vector<float> audio_;
    std::vector<ToneTracker::Estimate> estimates_;
    std::deque<float> pending_;
    std::size_t pendingStart_ = 0; ///< absolute index of pending_.front()
    ToneTracker::Estimate last_{};
    bool haveLast_ = false;
    double phase_ = 0.0;
    std::complex<double> oscillator_;
    std::complex<double> oscillatorStep_;
    int oscillatorCountdown_ = 0;
    std::vector<std::complex<float>> mixed_;
    std::vector<float> mixedTone_;
    std::size_t toneConsumed_ = 0;
    std::vector<float>* steady_ = nullptr;
};

} // namespace orvinta::cw
