// SPDX-License-Identifier: GPL-3.0-or-later
#include "filters.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvinta::cw {

std::vector<float> designLowpass(double passHz, double stopHz, double sampleRate) {
    // A Blackman window needs about 5.5 / (transition width / rate) taps for 74 dB.
    const double width = (stopHz - passHz) / sampleRate;
    auto length = static_cast<std::size_t>(std::ceil(5.5 / width));
    length |= 1U;
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
    : taps_(std::move(taps))
    , factor_(factor) {
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
    history_.insert(history_.end(), in, in + count);
    const std::size_t length = taps_.size();
    while (next_ + length <= history_.size()) {
        out.push_back(filtered(taps_.data(), history_.data() + next_, length));
        next_ += factor_;
    }
    const std::size_t drop = std::min(next_, history_.size());
    history_.erase(history_.begin(), history_.begin() + static_cast<std::ptrdiff_t>(drop));
    next_ -= drop;
}

template class FirDecimator<float>;
template class FirDecimator<std::complex<float>>;

} // namespace orvinta::cw
