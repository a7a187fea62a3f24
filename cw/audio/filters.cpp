// SPDX-License-Identifier: GPL-3.0-or-later
#include "filters.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvinta::cw {

namespace {

/// Fractions of an input sample at which the resampler's taps are tabulated: between two
/// rows they are interpolated, off by less than a ten-thousandth of the largest tap.
constexpr std::size_t kResamplerPhases = 256;

/// Taps for a transition from `passHz` to `stopHz` at `sampleRate`: a Blackman window
/// needs about 5.5 / (transition width / rate) of them for 74 dB; an odd count.
std::size_t lowpassLength(double passHz, double stopHz, double sampleRate) {
    const double width = (stopHz - passHz) / sampleRate;
    return static_cast<std::size_t>(std::ceil(5.5 / width)) | 1U;
}

/// The windowed sinc for `cutoff` (cycles per sample) at `t` samples from its centre,
/// with its Blackman window `span` samples wide.
double windowedSinc(double cutoff, double t, double span) {
    if (std::abs(t) >= 0.5 * span) {
        return 0.0;
    }
    const double sinc =
        t == 0.0 ? 2.0 * cutoff
                 : std::sin(2.0 * std::numbers::pi * cutoff * t) / (std::numbers::pi * t);
    const double phase = 2.0 * std::numbers::pi * t / span;
    return sinc * (0.42 + 0.5 * std::cos(phase) + 0.08 * std::cos(2.0 * phase));
}

/// `length` taps of the windowed sinc centred `offset` samples after their middle, scaled
/// to unity gain at 0 Hz.
std::vector<float> shiftedSincTaps(std::size_t length, double cutoff, double offset) {
    const auto span = static_cast<double>(length - 1);
    std::vector<double> taps(length);
    double sum = 0.0;
    for (std::size_t n = 0; n < length; ++n) {
        taps[n] = windowedSinc(cutoff, static_cast<double>(n) - 0.5 * span - offset, span);
        sum += taps[n];
    }
    std::vector<float> result(length);
    for (std::size_t n = 0; n < length; ++n) {
        result[n] = static_cast<float>(taps[n] / sum);
    }
    return result;
}

} // namespace

std::vector<float> designLowpass(double passHz, double stopHz, double sampleRate) {
    const std::size_t length = lowpassLength(passHz, stopHz, sampleRate);
    const double cutoff = 0.5 * (passHz + stopHz) / sampleRate;
    const double middle = 0.5 * static_cast<double>(length - 1);
    std::vector<double> taps(length);
    double sum = 0.0;
    for (std::size_t n = 0; n < length; ++n) {
        const double t = static_cast<double>(n) - middle;
        const double sinc =
            t == 0.0 ? 2.0 * cutoff
                     : std::sin(2.0 * std::numbers::pi * cutoff * t) / (std::numbers::pi * t);
        const double phase =
            2.0 * std::numbers::pi * static_cast<double>(n) / static_cast<double>(length - 1);
        const double window = 0.42 - 0.5 * std::cos(phase) + 0.08 * std::cos(2.0 * phase);
        taps[n] = sinc * window;
        sum += taps[n];
    }
    std::vector<float> result(length);
    for (std::size_t n = 0; n < length; ++n) {
        result[n] = static_cast<float>(taps[n] / sum);
    }
    return result;
}

template <typename Sample>
FirDecimator<Sample>::FirDecimator(std::vector<float> taps, std::size_t factor)
    : m_taps(std::move(taps))
    , m_factor(factor) {
}

namespace {

/// One output of the filter: the taps against the samples under them. The sums are
/// reordered into vector lanes (-fopenmp-simd), which changes the result only in the
/// last bits of a float.
float filtered(const float* taps, const float* x, std::size_t length) {
    float sum = 0.0f;
#pragma omp simd reduction(+ : sum)
    for (std::size_t k = 0; k < length; ++k) {
        sum += taps[k] * x[k];
    }
    return sum;
}

std::complex<float> filtered(const float* taps, const std::complex<float>* x, std::size_t length) {
    // A std::complex<float> is laid out as its real and imaginary part, one after the other.
    const auto* parts = reinterpret_cast<const float*>(x); // NOLINT(*-reinterpret-cast)
    float real = 0.0f;
    float imaginary = 0.0f;
#pragma omp simd reduction(+ : real, imaginary)
    for (std::size_t k = 0; k < length; ++k) {
        real += taps[k] * parts[2 * k];
        imaginary += taps[k] * parts[2 * k + 1];
    }
    return {real, imaginary};
}

} // namespace

template <typename Sample>
void FirDecimator<Sample>::push(const Sample* in, std::size_t count, std::vector<Sample>& out) {
    m_history.insert(m_history.end(), in, in + count);
    const std::size_t length = m_taps.size();
    while (m_next + length <= m_history.size()) {
        out.push_back(filtered(m_taps.data(), m_history.data() + m_next, length));
        m_next += m_factor;
    }
    const std::size_t drop = std::min(m_next, m_history.size());
    m_history.erase(m_history.begin(), m_history.begin() + static_cast<std::ptrdiff_t>(drop));
    m_next -= drop;
}

Resampler::Resampler(double passHz, double stopHz, double inputRate, std::uint64_t inputStep,
                     std::uint64_t outputStep)
    : m_span(lowpassLength(passHz, stopHz, inputRate) - 1)
    , m_phases(kResamplerPhases)
    , m_inputStep(inputStep)
    , m_outputStep(outputStep) {
    const double cutoff = 0.5 * (passHz + stopHz) / inputRate;
    for (std::size_t p = 0; p <= m_phases; ++p) {
        // Row p: the output read p / m_phases of a sample after an input sample.
        const std::vector<float> row = shiftedSincTaps(
            m_span + 1, cutoff, static_cast<double>(p) / static_cast<double>(m_phases));
        m_table.insert(m_table.end(), row.begin(), row.end());
    }
}

void Resampler::push(const float* in, std::size_t count, std::vector<float>& out) {
    m_history.insert(m_history.end(), in, in + count);
    const std::size_t length = m_span + 1;
    while (m_position / m_outputStep + length <= m_history.size()) {
        const std::size_t first = m_position / m_outputStep;
        const double fraction = static_cast<double>(m_position % m_outputStep) /
                                static_cast<double>(m_outputStep) * static_cast<double>(m_phases);
        const auto row = std::min(static_cast<std::size_t>(fraction), m_phases - 1);
        const auto weight = static_cast<float>(fraction - static_cast<double>(row));
        const float* before = m_table.data() + row * length;
        const float* after = before + length;
        const float* x = m_history.data() + first;
        out.push_back((1.0f - weight) * filtered(before, x, length) +
                      weight * filtered(after, x, length));
        m_position += m_inputStep;
    }
    const std::size_t drop = std::min<std::size_t>(m_position / m_outputStep, m_history.size());
    m_history.erase(m_history.begin(), m_history.begin() + static_cast<std::ptrdiff_t>(drop));
    m_position -= drop * m_outputStep;
}

template class FirDecimator<float>;
template class FirDecimator<std::complex<float>>;

} // namespace orvinta::cw
