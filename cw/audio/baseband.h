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
    double rate() const { return m_rate; }
    /// Indices of the decimated audio held: [begin(), end()).
    std::size_t begin() const { return m_historyStart; }
    std::size_t end() const { return m_historyStart + m_history.size(); }
    float at(std::size_t index) const { return m_history[index - m_historyStart]; }
    /// Drops the decimated audio before `index`.
    void forgetBefore(std::size_t index);
    /// Seconds into the input at which decimated sample `index` is centred.
    double secondsOf(double index) const;

private:
    int m_inputRate;
    double m_rate;
    std::vector<FirDecimator<float>> m_stages;
    std::optional<Resampler> m_resampler; ///< after the stages, where the rate is not 8 kHz yet
    double m_delay = 0.0; ///< input samples from an input sample to its decimated output
    ToneFinder m_finder;
    std::vector<float> m_clean;
    std::vector<float> m_stageInput;
    std::vector<float> m_decimated;
    std::deque<float> m_history;
    std::size_t m_historyStart = 0;
};

/// One keyed tone's audio mixed down along its frequency: complex baseband at about 400 samples per
/// second, with the tone each sample was mixed from.
class ToneMixer {
public:
    /// Mixes from decimated sample `first` on, for audio at `audioRate`.
    ToneMixer(double audioRate, std::size_t first);

    double rate() const { return m_rate; }
    /// The decimated sample at which baseband sample `index` is centred.
    double audioIndexOf(double index) const;
    /// The baseband index centred at decimated sample `audioIndex`.
    double indexOf(double audioIndex) const;
    /// The next decimated sample to mix.
    std::size_t next() const { return m_next; }

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

    double m_audioRate;
    double m_rate;
    FirDecimator<std::complex<float>> m_decimator;
    std::size_t m_first;
    std::size_t m_next;
    ToneEstimate m_last{};
    bool m_haveLast = false;
    double m_phase = 0.0;
    std::complex<double> m_rotor;
    std::complex<double> m_rotorStep;
    int m_rotorCountdown = 0;
    std::vector<std::complex<float>> m_mixed;
};

} // namespace orvinta::cw
