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
    : m_inputRate(sampleRate)
    , m_rate(kAudioRate)
    , m_stages(audioStages(sampleRate))
    , m_resampler(audioResampler(sampleRate))
    , m_finder(m_rate) {
    // A stage's output n is centred on its input n * factor + (length - 1) / 2.
    double factor = 1.0;
    for (const FirDecimator<float>& stage : m_stages) {
        m_delay += factor * 0.5 * static_cast<double>(stage.length() - 1);
        factor *= static_cast<double>(stage.factor());
    }
    if (m_resampler) {
        m_delay += factor * m_resampler->delay();
    }
}

void AudioFront::push(const float* audio, std::size_t count, std::vector<SpectrumMoment>& moments) {
    // A sample that is not a finite number (a damaged float file) would spoil the filters'
    // memory and every sum after it: it counts as silence.
    if (!std::all_of(audio, audio + count, [](float x) { return std::isfinite(x); })) {
        m_clean.assign(audio, audio + count);
        std::replace_if(
            m_clean.begin(), m_clean.end(), [](float x) { return !std::isfinite(x); }, 0.0f);
        audio = m_clean.data();
    }
    m_decimated.assign(audio, audio + count);
    for (FirDecimator<float>& stage : m_stages) {
        m_stageInput.swap(m_decimated);
        m_decimated.clear();
        stage.push(m_stageInput.data(), m_stageInput.size(), m_decimated);
    }
    if (m_resampler) {
        m_stageInput.swap(m_decimated);
        m_decimated.clear();
        m_resampler->push(m_stageInput.data(), m_stageInput.size(), m_decimated);
    }
    m_history.insert(m_history.end(), m_decimated.begin(), m_decimated.end());
    m_finder.push(m_decimated.data(), m_decimated.size(), moments);
}

void AudioFront::forgetBefore(std::size_t index) {
    const std::size_t drop =
        std::min(index > m_historyStart ? index - m_historyStart : 0, m_history.size());
    m_history.erase(m_history.begin(), m_history.begin() + static_cast<std::ptrdiff_t>(drop));
    m_historyStart += drop;
}

double AudioFront::secondsOf(double index) const {
    const double inputIndex = index * static_cast<double>(m_inputRate) / m_rate + m_delay;
    return inputIndex / static_cast<double>(m_inputRate);
}

ToneMixer::ToneMixer(double audioRate, std::size_t first)
    : m_audioRate(audioRate)
    , m_rate(audioRate / static_cast<double>(basebandFactor(audioRate)))
    , m_decimator(designLowpass(kBasebandPassHz, kBasebandStopHz, audioRate),
                  basebandFactor(audioRate))
    , m_first(first)
    , m_next(first) {
}

double ToneMixer::audioIndexOf(double index) const {
    return static_cast<double>(m_first) + index * static_cast<double>(m_decimator.factor()) +
           0.5 * static_cast<double>(m_decimator.length() - 1);
}

double ToneMixer::indexOf(double audioIndex) const {
    return (audioIndex - static_cast<double>(m_first) -
            0.5 * static_cast<double>(m_decimator.length() - 1)) /
           static_cast<double>(m_decimator.factor());
}

std::complex<float> ToneMixer::oscillator(double frequencyHz) {
    const double step = 2.0 * std::numbers::pi * frequencyHz / m_audioRate;
    if (m_rotorCountdown == 0) {
        m_rotor = rotation(m_phase);
        m_rotorStep = rotation(step);
        m_rotorCountdown = kRotorRefresh;
    }
    --m_rotorCountdown;
    const std::complex<double> now = m_rotor;
    m_rotor *= m_rotorStep;
    constexpr double kTurn = 2.0 * std::numbers::pi;
    m_phase += step;
    m_phase -= kTurn * std::floor(m_phase / kTurn);
    return std::complex<float>(now);
}

void ToneMixer::mixUpTo(const AudioFront& audio, double until, const ToneEstimate& to,
                        std::vector<std::complex<float>>& out, std::vector<float>& tones) {
    const ToneEstimate from = m_haveLast ? m_last : to;
    const double span = std::max(1.0, to.sample - from.sample);
    while (m_next < audio.end() && static_cast<double>(m_next) <= until) {
        // The tone between two estimates: interpolated; before the first (the seconds a
        // new tone looks back): back along the first estimate's drift.
        const auto at = static_cast<double>(m_next);
        const double w = std::clamp((at - from.sample) / span, 0.0, 1.0);
        const double f = m_haveLast ? from.frequencyHz + w * (to.frequencyHz - from.frequencyHz)
                                    : to.frequencyHz + to.slopeHzPerSample * (at - to.sample);
        m_mixed.push_back(audio.at(m_next) * oscillator(f));
        ++m_next;
    }
    m_decimator.push(m_mixed.data(), m_mixed.size(), out);
    m_mixed.clear();
    tones.resize(out.size(), static_cast<float>(to.frequencyHz));
}

void ToneMixer::mixAhead(const AudioFront& audio, const ToneEstimate& newest, double until,
                         std::vector<std::complex<float>>& out, std::vector<float>& tones) const {
    ToneMixer ahead = *this;
    if (!ahead.m_haveLast || newest.sample > ahead.m_last.sample) {
        ahead.mixUpTo(audio, newest.sample, newest, out, tones);
        ahead.m_last = newest;
        ahead.m_haveLast = true;
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
        m_last = e;
        m_haveLast = true;
    }
    if (final) {
        // Up to the last sample whose low-pass window the audio fills: silence added
        // after the end would pass for key up where a recording was only cut off.
        const ToneEstimate held = m_haveLast ? m_last : ToneEstimate{};
        mixUpTo(audio, static_cast<double>(audio.end()), held, out, tones);
    }
}

} // namespace orvinta::cw
