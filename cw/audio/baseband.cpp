// SPDX-License-Identifier: GPL-3.0-or-later
#include "baseband.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace orvinta::cw {
namespace {

/// Margin around the tone band (up to 3 kHz) kept by the first decimation, for drift at
/// the edges.
constexpr double kBandEdgeHz = 3300.0;
/// The rate every recording is brought to: whatever it came at, the tones are found,
/// followed and mixed down at the same rate, with the same spectra and filters.
constexpr int kAudioRate = 8000;
/// The baseband: about 400 samples per second, passing 80 Hz either way of the tone (a
/// unit's keying at 30 WpM and the track's error) and stopping 160 Hz away (74 dB), so
/// that another station 150 Hz away stays out of the tone's baseband.
constexpr double kBasebandRate = 400.0;
constexpr double kBasebandPassHz = 80.0;
constexpr double kBasebandStopHz = 160.0;
/// Samples between exact evaluations of the mixing oscillator; in between it turns by
/// complex multiplication.
constexpr int kRotorRefresh = 32;

/// The integer factor that takes `sampleRate` to between kAudioRate and twice that.
std::size_t audioFactor(int sampleRate) {
    return std::max<std::size_t>(1, static_cast<std::size_t>(sampleRate / kAudioRate));
}

/// The factor of the last of two decimation stages, or the whole factor for one stage.
/// Two stages cost less: the first may let a wide transition band through, as the second
/// removes what folds into it; only the second needs the narrow transition, at a lower
/// rate (at 48 kHz: 29 taps at 16 kHz and 63 at 8 kHz against 189 at 8 kHz).
std::size_t lastStageFactor(std::size_t factor) {
    for (const std::size_t last : {std::size_t{2}, std::size_t{3}}) {
        if (factor % last == 0 && factor >= 2 * last) {
            return last;
        }
    }
    return factor;
}

/// What the integer stages leave above kAudioRate: a resampler between the input samples
/// to kAudioRate, none where the rate divides evenly.
std::optional<Resampler> audioResampler(int sampleRate) {
    const std::size_t factor = audioFactor(sampleRate);
    const auto input = static_cast<std::uint64_t>(sampleRate);
    const std::uint64_t output = static_cast<std::uint64_t>(kAudioRate) * factor;
    if (input == output) {
        return std::nullopt;
    }
    const double rate = static_cast<double>(sampleRate) / static_cast<double>(factor);
    return Resampler(kBandEdgeHz, kAudioRate - kBandEdgeHz, rate, input, output);
}

std::vector<FirDecimator<float>> audioStages(int sampleRate) {
    const std::size_t factor = audioFactor(sampleRate);
    if (factor == 1) {
        return {FirDecimator<float>({1.0f}, 1)};
    }
    const auto input = static_cast<double>(sampleRate);
    const double output = input / static_cast<double>(factor);
    const std::size_t last = lastStageFactor(factor);
    std::vector<FirDecimator<float>> stages;
    if (last != factor) {
        const double middle = output * static_cast<double>(last);
        stages.emplace_back(designLowpass(kBandEdgeHz, middle - kBandEdgeHz, input), factor / last);
    }
    const double before = output * static_cast<double>(last);
    stages.emplace_back(designLowpass(kBandEdgeHz, output - kBandEdgeHz, before), last);
    return stages;
}

/// The factor that mixes a sample down by `phase`.
std::complex<double> rotation(double phase) {
    return {std::cos(phase), -std::sin(phase)};
}

std::size_t basebandFactor(double audioRate) {
    return static_cast<std::size_t>(std::round(audioRate / kBasebandRate));
}

} // namespace

AudioFront::AudioFront(int sampleRate)
    : inputRate_(sampleRate)
    , rate_(kAudioRate)
    , stages_(audioStages(sampleRate))
    , resampler_(audioResampler(sampleRate))
    , finder_(rate_) {
    // A stage's output n is centred on its input n * factor + (length - 1) / 2.
    double factor = 1.0;
    for (const FirDecimator<float>& stage : stages_) {
        delay_ += factor * 0.5 * static_cast<double>(stage.length() - 1);
        factor *= static_cast<double>(stage.factor());
    }
    if (resampler_) {
        delay_ += factor * resampler_->delay();
    }
}

void AudioFront::push(const float* audio, std::size_t count, std::vector<SpectrumMoment>& moments) {
    // A sample that is not a finite number (a damaged float file) would spoil the filters'
    // memory and every sum after it: it counts as silence.
    if (!std::all_of(audio, audio + count, [](float x) { return std::isfinite(x); })) {
        clean_.assign(audio, audio + count);
        std::replace_if(
            clean_.begin(), clean_.end(), [](float x) { return !std::isfinite(x); }, 0.0f);
        audio = clean_.data();
    }
    decimated_.assign(audio, audio + count);
    for (FirDecimator<float>& stage : stages_) {
        stageInput_.swap(decimated_);
        decimated_.clear();
        stage.push(stageInput_.data(), stageInput_.size(), decimated_);
    }
    if (resampler_) {
        stageInput_.swap(decimated_);
        decimated_.clear();
        resampler_->push(stageInput_.data(), stageInput_.size(), decimated_);
    }
    history_.insert(history_.end(), decimated_.begin(), decimated_.end());
    finder_.push(decimated_.data(), decimated_.size(), moments);
}

void AudioFront::forgetBefore(std::size_t index) {
    const std::size_t drop =
        std::min(index > historyStart_ ? index - historyStart_ : 0, history_.size());
    history_.erase(history_.begin(), history_.begin() + static_cast<std::ptrdiff_t>(drop));
    historyStart_ += drop;
}

double AudioFront::secondsOf(double index) const {
    const double inputIndex = index * static_cast<double>(inputRate_) / rate_ + delay_;
    return inputIndex / static_cast<double>(inputRate_);
}

ToneMixer::ToneMixer(double audioRate, std::size_t first)
    : audioRate_(audioRate)
    , rate_(audioRate / static_cast<double>(basebandFactor(audioRate)))
    , decimator_(designLowpass(kBasebandPassHz, kBasebandStopHz, audioRate),
                 basebandFactor(audioRate))
    , first_(first)
    , next_(first) {
}

double ToneMixer::audioIndexOf(double index) const {
    return static_cast<double>(first_) + index * static_cast<double>(decimator_.factor()) +
           0.5 * static_cast<double>(decimator_.length() - 1);
}

double ToneMixer::indexOf(double audioIndex) const {
    return (audioIndex - static_cast<double>(first_) -
            0.5 * static_cast<double>(decimator_.length() - 1)) /
           static_cast<double>(decimator_.factor());
}

std::complex<float> ToneMixer::oscillator(double frequencyHz) {
    const double step = 2.0 * std::numbers::pi * frequencyHz / audioRate_;
    if (rotorCountdown_ == 0) {
        rotor_ = rotation(phase_);
        rotorStep_ = rotation(step);
        rotorCountdown_ = kRotorRefresh;
    }
    --rotorCountdown_;
    const std::complex<double> now = rotor_;
    rotor_ *= rotorStep_;
    constexpr double kTurn = 2.0 * std::numbers::pi;
    phase_ += step;
    phase_ -= kTurn * std::floor(phase_ / kTurn);
    return std::complex<float>(now);
}

void ToneMixer::mixUpTo(const AudioFront& audio, double until, const ToneEstimate& to,
                        std::vector<std::complex<float>>& out, std::vector<float>& tones) {
    const ToneEstimate from = haveLast_ ? last_ : to;
    const double span = std::max(1.0, to.sample - from.sample);
    while (next_ < audio.end() && static_cast<double>(next_) <= until) {
        // The tone between two estimates: interpolated; before the first (the seconds a
        // new tone looks back): back along the first estimate's drift.
        const auto at = static_cast<double>(next_);
        const double w = std::clamp((at - from.sample) / span, 0.0, 1.0);
        const double f = haveLast_ ? from.frequencyHz + w * (to.frequencyHz - from.frequencyHz)
                                   : to.frequencyHz + to.slopeHzPerSample * (at - to.sample);
        mixed_.push_back(audio.at(next_) * oscillator(f));
        ++next_;
    }
    decimator_.push(mixed_.data(), mixed_.size(), out);
    mixed_.clear();
    tones.resize(out.size(), static_cast<float>(to.frequencyHz));
}

void ToneMixer::mixAhead(const AudioFront& audio, const ToneEstimate& newest, double until,
                         std::vector<std::complex<float>>& out, std::vector<float>& tones) const {
    ToneMixer ahead = *this;
    if (!ahead.haveLast_ || newest.sample > ahead.last_.sample) {
        ahead.mixUpTo(audio, newest.sample, newest, out, tones);
        ahead.last_ = newest;
        ahead.haveLast_ = true;
    }
    ToneEstimate further = newest;
    further.sample = std::max(until, newest.sample + 1.0);
    further.frequencyHz += newest.slopeHzPerSample * (further.sample - newest.sample);
    ahead.mixUpTo(audio, until, further, out, tones);
}

void ToneMixer::mix(const AudioFront& audio, const std::vector<ToneEstimate>& estimates, bool final,
                    std::vector<std::complex<float>>& out, std::vector<float>& tones) {
    for (const ToneEstimate& e : estimates) {
        mixUpTo(audio, e.sample, e, out, tones);
        last_ = e;
        haveLast_ = true;
    }
    if (final) {
        // Up to the last sample whose low-pass window the audio fills: silence added
        // after the end would pass for key up where a recording was only cut off.
        const ToneEstimate held = haveLast_ ? last_ : ToneEstimate{};
        mixUpTo(audio, static_cast<double>(audio.end()), held, out, tones);
    }
}

} // namespace orvinta::cw
