// SPDX-License-Identifier: GPL-3.0-or-later
#include "tonefinder.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>

namespace orvinta::cw {
namespace {

/// A spectrum of a quarter second resolves tones 4 Hz apart; spectra overlap by half.
constexpr double kSpectrumSeconds = 0.25;
/// Spectra summed for an analysis: enough for a keyed tone to stand out of the noise,
/// short enough that a drift of 15 Hz/s smears it over a few bins only.
constexpr double kWindowSeconds = 3.0;
/// The noise floor at a bin is the median of the bins within this much either way:
/// narrow enough to follow a coloured noise (speech, a receiver's filter), wide enough
/// that a tone, even one smeared by drift, does not raise it.
constexpr double kFloorReachHz = 60.0;
/// The floor is taken every half of that reach.
constexpr std::size_t kFloorStrideShare = 2;
/// Once the window is full the floors are measured again every fourth analysis (half a
/// second): they follow sums of three seconds, which change little in between, and
/// their medians are the analysis's largest cost.
constexpr long long kAnalysesPerFloor = 4;
/// A tone whose quietest spectrum in the window stays above this many times the floor
/// of the quietest spectra around it is never off: not a keyed tone.
constexpr double kKeyedQuietRatio = 4.0;
/// Nor is a strong tone whose quietest spectrum keeps this share of its mean.
constexpr double kKeyedDepth = 0.1;
/// A tone must stand this far above the floor to count: five standard deviations of the
/// summed noise spectra, which become smaller the more spectra are summed.
constexpr double kPresenceDeviations = 5.0;
/// The summed spectra of three bins over about 1.5 times as many independent spectra as
/// summed (the spectra overlap by half).
constexpr double kIndependentShare = 1.5;
/// A spectrum louder than this many times the window's typical one (by their levels, the
/// median power over the band) counts as only this loud: noise whose level swings with
/// syllables (speech) would let one loud spectrum make its own peaks stand out of the
/// sum like keyed tones. Steady noise moves the level by a third at most, a keyed tone
/// 30 dB over it with a station 10 dB stronger beside it by a half.
constexpr double kLoudestSpectrum = 2.0;
/// A peak is the strongest bin within this many either way.
constexpr std::size_t kPeakReach = 2;
/// A peak weaker than this share of a stronger one whose power rises and falls with it
/// from spectrum to spectrum (correlation at least kSameKeying) is that tone's keying
/// spectrum, not a tone of its own: in audio with little noise a keyed tone's sidebands
/// stand out of the floor across the band. Another station keys on its own.
constexpr double kSidebandShare = 0.1;
constexpr double kSameKeying = 0.9;

/// A tone's power in a spectrum: its bin and the two beside it (a tone between bins, or
/// drifting, spreads over them).
double lineAt(const std::vector<float>& spectrum, std::size_t k) {
    return static_cast<double>(spectrum[k - 1]) + spectrum[k] + spectrum[k + 1];
}

std::size_t nextPowerOfTwo(double value) {
    std::size_t n = 1;
    while (static_cast<double>(n) < value) {
        n <<= 1U;
    }
    return n;
}

/// The median of `values` (the lower one of an even count), sorted partly in `scratch`.
template <typename Values> double medianOf(const Values& values, std::vector<double>& scratch) {
    scratch.assign(values.begin(), values.end());
    const auto middle = scratch.begin() + static_cast<std::ptrdiff_t>((scratch.size() - 1) / 2);
    std::nth_element(scratch.begin(), middle, scratch.end());
    return *middle;
}

/// The median of values[from, to), sorted partly in `scratch`.
double medianOf(const std::vector<double>& values, std::size_t from, std::size_t to,
                std::vector<double>& scratch) {
    scratch.assign(values.begin() + static_cast<std::ptrdiff_t>(from),
                   values.begin() + static_cast<std::ptrdiff_t>(to));
    const auto middle = scratch.begin() + static_cast<std::ptrdiff_t>(scratch.size() / 2);
    std::nth_element(scratch.begin(), middle, scratch.end());
    return std::max(*middle, 1e-30);
}

/// Per bin, the median of `values` over `reach` bins either way: a tone a few bins wide
/// does not raise it, and on a steep slope of the noise (a receiver's filter edge) it
/// stays with the bins around. Taken every few bins and interpolated between: the floor
/// changes slowly across the band.
std::vector<double> runningMedian(const std::vector<double>& values, std::size_t reach) {
    const std::size_t n = values.size();
    const std::size_t stride = std::max<std::size_t>(1, reach / kFloorStrideShare);
    std::vector<double> result(n);
    std::vector<double> scratch;
    std::size_t previous = 0;
    double previousMedian = medianOf(values, 0, std::min(n, reach + 1), scratch);
    result[0] = previousMedian;
    for (std::size_t k = stride; k < n + stride - 1; k += stride) {
        const std::size_t at = std::min(k, n - 1);
        const double median =
            medianOf(values, at > reach ? at - reach : 0, std::min(n, at + reach + 1), scratch);
        for (std::size_t j = previous + 1; j <= at; ++j) {
            const double w = static_cast<double>(j - previous) / static_cast<double>(at - previous);
            result[j] = previousMedian + w * (median - previousMedian);
        }
        previous = at;
        previousMedian = median;
    }
    return result;
}

} // namespace

ToneFinder::ToneFinder(double sampleRate)
    : m_sampleRate(sampleRate)
    , m_size(nextPowerOfTwo(sampleRate * kSpectrumSeconds))
    , m_hop(m_size / 2)
    , m_firstBin(static_cast<std::size_t>(kLowestToneHz * static_cast<double>(m_size) / sampleRate))
    , m_bins(static_cast<std::size_t>(
                 std::ceil(kHighestToneHz * static_cast<double>(m_size) / sampleRate)) -
             m_firstBin + 1)
    , m_window(std::max<std::size_t>(
          4, static_cast<std::size_t>(kWindowSeconds * sampleRate / static_cast<double>(m_hop))))
    , m_hann(m_size)
    , m_fft(m_size)
    , m_sum(m_bins, 0.0)
    , m_smooth(m_bins, 0.0)
    , m_quietest(m_bins, 0.0)
    , m_floor(m_bins, 1.0) {
    for (std::size_t n = 0; n < m_size; ++n) {
        m_hann[n] = static_cast<float>(
            0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(n) /
                                 static_cast<double>(m_size)));
    }
}

ToneFinder::~ToneFinder() = default;

void ToneFinder::push(const float* samples, std::size_t count,
                      std::vector<SpectrumMoment>& moments) {
    m_input.insert(m_input.end(), samples, samples + count);
    std::size_t start = 0;
    while (start + m_size <= m_input.size()) {
        for (std::size_t n = 0; n < m_size; ++n) {
            m_fft.input()[n] = m_input[start + n] * m_hann[n];
        }
        m_fft.run();
        analyse(moments);
        start += m_hop;
    }
    m_input.erase(m_input.begin(), m_input.begin() + static_cast<std::ptrdiff_t>(start));
}

void ToneFinder::addSpectrum() {
    std::vector<float> power(m_bins);
    for (std::size_t k = 0; k < m_bins; ++k) {
        const std::complex<float>& c = m_fft.output()[m_firstBin + k];
        power[k] = c.real() * c.real() + c.imag() * c.imag();
    }
    m_levels.push_back(medianOf(power, m_scratch));
    m_capped.push_back(m_levels.back());
    m_spectra.push_back(std::move(power));
    if (m_spectra.size() > m_window) {
        m_spectra.pop_front();
        m_levels.pop_front();
        m_capped.pop_front();
    }
    capLoudSpectra();
    // Summed afresh: a running sum keeps the rounding of loud spectra that have left, and
    // where the audio falls silent that residue would stand out like tones.
    std::fill(m_sum.begin(), m_sum.end(), 0.0);
    for (const std::vector<float>& spectrum : m_spectra) {
        for (std::size_t k = 0; k < m_bins; ++k) {
            m_sum[k] += spectrum[k];
        }
    }
}

void ToneFinder::capLoudSpectra() {
    // Those held already too: a loud spectrum among the first ones stands out only once
    // quieter ones have come in. The typical level is that of the spectra as they came,
    // so that where the noise rises for good it follows within half the window. Digital
    // silence has no level to measure against.
    const double loudest = kLoudestSpectrum * medianOf(m_levels, m_scratch);
    if (loudest <= 0.0) {
        return;
    }
    for (std::size_t t = 0; t < m_spectra.size(); ++t) {
        if (m_capped[t] <= loudest) {
            continue;
        }
        const auto scale = static_cast<float>(loudest / m_capped[t]);
        for (float& p : m_spectra[t]) {
            p *= scale;
        }
        m_capped[t] = loudest;
    }
}

void ToneFinder::measureFloors() {
    for (std::size_t k = 0; k < m_bins; ++k) {
        m_smooth[k] = m_sum[k] + (k > 0 ? m_sum[k - 1] : m_sum[k]) +
                      (k + 1 < m_bins ? m_sum[k + 1] : m_sum[k]);
    }
    // The quietest spectrum of each tone in the window: a keyed tone is off between
    // characters and words, a steady carrier never is.
    std::fill(m_quietest.begin(), m_quietest.end(), std::numeric_limits<double>::max());
    for (const std::vector<float>& spectrum : m_spectra) {
        for (std::size_t k = 1; k + 1 < m_bins; ++k) {
            m_quietest[k] = std::min(m_quietest[k], lineAt(spectrum, k));
        }
    }
    m_quietest[0] = m_quietest[1];
    m_quietest[m_bins - 1] = m_quietest[m_bins - 2];
    const bool filling = m_spectra.size() < m_window;
    if (!filling && m_analyses % kAnalysesPerFloor != 0) {
        return;
    }
    const double binHz = m_sampleRate / static_cast<double>(m_size);
    const auto reach = static_cast<std::size_t>(std::max(4.0, kFloorReachHz / binHz));
    m_floor = runningMedian(m_smooth, reach);
    // How low the noise's quietest spectrum goes around each bin.
    m_quietFloor = runningMedian(m_quietest, reach);
}

bool ToneFinder::keyed(std::size_t k) const {
    const auto held = static_cast<double>(m_spectra.size());
    return m_quietest[k] <= kKeyedQuietRatio * m_quietFloor[k] ||
           m_quietest[k] * held <= kKeyedDepth * m_smooth[k];
}

bool ToneFinder::peakAt(std::size_t k) const {
    for (std::size_t j = k - kPeakReach; j <= k + kPeakReach; ++j) {
        if (j != k && (m_smooth[j] > m_smooth[k] || (j < k && m_smooth[j] == m_smooth[k]))) {
            return false;
        }
    }
    return true;
}

double ToneFinder::peakBin(std::size_t k) const {
    // A parabola through the peak and its neighbours puts it between bins.
    const double a = m_smooth[k - 1];
    const double b = m_smooth[k];
    const double c = m_smooth[k + 1];
    const double curvature = a - 2.0 * b + c;
    const double offset = curvature < 0.0 ? std::clamp(0.5 * (a - c) / curvature, -0.5, 0.5) : 0.0;
    return static_cast<double>(m_firstBin + k) + offset;
}

double ToneFinder::keyingCorrelation(std::size_t a, std::size_t b) const {
    const auto n = static_cast<double>(m_spectra.size());
    double sumA = 0.0;
    double sumB = 0.0;
    double squaresA = 0.0;
    double squaresB = 0.0;
    double products = 0.0;
    for (const std::vector<float>& s : m_spectra) {
        const double x = lineAt(s, a);
        const double y = lineAt(s, b);
        sumA += x;
        sumB += y;
        squaresA += x * x;
        squaresB += y * y;
        products += x * y;
    }
    const double varianceA = squaresA - sumA * sumA / n;
    const double varianceB = squaresB - sumB * sumB / n;
    return varianceA > 0.0 && varianceB > 0.0
               ? (products - sumA * sumB / n) / std::sqrt(varianceA * varianceB)
               : 0.0;
}

bool ToneFinder::sidebandOf(std::size_t k, const std::vector<std::size_t>& stronger) const {
    return std::any_of(stronger.begin(), stronger.end(), [&](std::size_t tone) {
        return m_smooth[k] < kSidebandShare * m_smooth[tone] &&
               keyingCorrelation(k, tone) >= kSameKeying;
    });
}

double ToneFinder::heardAt(std::size_t k, double first, double middle) const {
    // The spectra's centres weighted by the tone's power above the floor in them.
    const double floor = m_floor[k] / static_cast<double>(m_spectra.size());
    double weight = 0.0;
    double weighted = 0.0;
    for (std::size_t j = 0; j < m_spectra.size(); ++j) {
        const double above = std::max(0.0, lineAt(m_spectra[j], k) - floor);
        const double centre = (first + static_cast<double>(j)) * static_cast<double>(m_hop) +
                              0.5 * static_cast<double>(m_size);
        weight += above;
        weighted += above * centre;
    }
    return weight > 0.0 ? weighted / weight : middle;
}

void ToneFinder::analyse(std::vector<SpectrumMoment>& moments) {
    addSpectrum();
    measureFloors();
    const long long index = m_analyses++;
    const auto count = static_cast<double>(m_spectra.size());
    SpectrumMoment moment;
    moment.presence = 1.0 + kPresenceDeviations / std::sqrt(kIndependentShare * count);
    const double first = static_cast<double>(index + 1) - count;
    moment.sample = 0.5 * ((first + static_cast<double>(index)) * static_cast<double>(m_hop) +
                           static_cast<double>(m_size));
    moment.due =
        static_cast<double>(index) * static_cast<double>(m_hop) + static_cast<double>(m_size);
    const double binHz = m_sampleRate / static_cast<double>(m_size);
    std::vector<std::size_t> keyedPeaks;
    for (std::size_t k = kPeakReach; k + kPeakReach < m_bins; ++k) {
        if (m_smooth[k] / m_floor[k] < moment.presence || !peakAt(k)) {
            continue;
        }
        if (!keyed(k)) {
            moment.steadyHz.push_back(static_cast<double>(m_firstBin + k) * binHz);
            continue;
        }
        keyedPeaks.push_back(k);
    }
    // Strongest first, each kept unless it is the keying spectrum of a tone kept before.
    std::sort(keyedPeaks.begin(), keyedPeaks.end(),
              [&](std::size_t a, std::size_t b) { return m_smooth[a] > m_smooth[b]; });
    std::vector<std::size_t> tones;
    for (const std::size_t k : keyedPeaks) {
        if (!sidebandOf(k, tones)) {
            tones.push_back(k);
        }
    }
    std::sort(tones.begin(), tones.end());
    for (const std::size_t k : tones) {
        moment.peaks.push_back(
            {peakBin(k) * binHz, m_smooth[k] / m_floor[k], heardAt(k, first, moment.sample)});
    }
    moments.push_back(std::move(moment));
}

} // namespace orvinta::cw
