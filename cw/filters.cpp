// SPDX-License-Identifier: GPL-3.0-or-later
#include "filters.h"

#include <array>
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

template <typename Sample>
void FirDecimator<Sample>::push(const Sample* in, std::size_t count, std::vector<Sample>& out) {
    history_.insert(history_.end(), in, in + count);
    const std::size_t length = taps_.size();
    const float* h = taps_.data();
    while (next_ + length <= history_.size()) {
        const Sample* x = history_.data() + next_;
        // Four partial sums let the compiler keep several multiplications in flight.
        std::array<Sample, 4> acc{};
        std::size_t k = 0;
        for (; k + 4 <= length; k += 4) {
            acc[0] += h[k] * x[k];
            acc[1] += h[k + 1] * x[k + 1];
            acc[2] += h[k + 2] * x[k + 2];
            acc[3] += h[k + 3] * x[k + 3];
        }
        for (; k < length; ++k) {
            acc[0] += h[k] * x[k];
        }
        out.push_back((acc[0] + acc[1]) + (acc[2] + acc[3]));
        next_ += factor_;
    }
    const std::size_t drop = std::min(next_, history_.size());
    history_.erase(history_.begin(), history_.begin() + static_cast<std::ptrdiff_t>(drop));
    next_ -= drop;
}

template class FirDecimator<float>;
template class FirDecimator<std::complex<float>>;

} // namespace orvinta::cw
