// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// From audio at any rate to complex baseband of each keyed tone: the audio brought to
// 8 kHz (AudioFront, which also keeps its last seconds and finds the keyed tones in it),
// then each tone's audio mixed down along its frequency and low-passed to 400 samples
// per second (ToneMixer).

#include "filters.h"
#include "tonefinder.h"
#include "tonetracker.h"

#include <complex>
#include <cstddef>
#include <deque>
#include <optional>
#include <vector>

namespace orvinta::cw {

class AudioFront {
public:
    explicit AudioFront(int sampleRate);

    /// Takes audio samples; appends the analyses of the keyed tones that became due.
    void push(const float* audio, std::size_t count, std::vector<SpectrumMoment>& moments);

    /// Rate of the audio brought down: 8 kHz, whatever the input.
    double rate() const { return rate_; }
    /// Indices of the decimated audio held: [begin(), end()).
    std::size_t begin() const { return historyStart_; }
    std::size_t end() const { return historyStart_ + history_.size(); }
    float at(std::size_t index) const { return history_[index - historyStart_]; }
    /// Drops the decimated audio before `index`.
    void forgetBefore(std::size_t index);
    /// Seconds into the input at which decimated sample `index` is centred.
    double secondsOf(double index) const;

private:
    int inputRate_;
    double rate_;
    std::vector<FirDecimator<float>> stages_;
    std::optional<Resampler> resampler_; ///< after the stages, where the rate is not 8 kHz yet
    double delay_ = 0.0; ///< input samples from an input sample to its decimated output
    ToneFinder finder_;
    std::vector<float> clean_;
    std::vector<float> stageInput_;
    std::vector<float> decimated_;
    std::deque<float> history_;
    std::size_t historyStart_ = 0;
};

/// One keyed tone's audio mixed down along its frequency: complex baseband at about 400 samples per
/// second, with the tone each sample was mixed from.
class ToneMixer {
public:
    /// Mixes from decimated sample `first` on, for audio at `audioRate`.
    ToneMixer(double audioRate, std::size_t first);

    double rate() const { return rate_; }
    /// The decimated sample at which baseband sample `index` is centred.
    double audioIndexOf(double index) const;
    /// The baseband index centred at decimated sample `audioIndex`.
    double indexOf(double audioIndex) const;
    /// The next decimated sample to mix.
    std::size_t next() const { return next_; }

    /// Mixes the audio that the tone's new estimates (in order) cover; with `final`,
    /// all the audio held, the filter flushed.
    void mix(const AudioFront& audio, const std::vector<ToneEstimate>& estimates, bool final,
             std::vector<std::complex<float>>& out, std::vector<float>& tones);

    /// The audio beyond the estimates, up to decimated sample `until`, mixed along the
    /// tone at the newest analysis (`newest`) and on along its drift: a provisional
    /// continuation of the baseband, which the tone's later estimates replace. The mixer
    /// itself stays where it was.
    void mixAhead(const AudioFront& audio, const ToneEstimate& newest, double until,
                  std::vector<std::complex<float>>& out, std::vector<float>& tones) const;

private:
    void mixUpTo(const AudioFront& audio, double until, const ToneEstimate& to,
                 std::vector<std::complex<float>>& out, std::vector<float>& tones);
    std::complex<float> oscillator(double frequencyHz);

    double audioRate_;
    double rate_;
    FirDecimator<std::complex<float>> decimator_;
    std::size_t first_;
    std::size_t next_;
    ToneEstimate last_{};
    bool haveLast_ = false;
    double phase_ = 0.0;
    std::complex<double> rotor_;
    std::complex<double> rotorStep_;
    int rotorCountdown_ = 0;
    std::vector<std::complex<float>> mixed_;
};

} // namespace orvinta::cw
