// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <complex>
#include <cstddef>
#include <vector>

namespace orvinta::cw {

/// A linear-phase low-pass FIR (Blackman-windowed sinc) with unity gain at 0 Hz whose
/// transition band runs from `passHz` to `stopHz` at `sampleRate`.
std::vector<float> designLowpass(double passHz, double stopHz, double sampleRate);

/// Low-pass filters and keeps every `factor`-th output. Sample type float or
/// std::complex<float>; the taps are real.
template <typename Sample> class FirDecimator {
public:
    FirDecimator(std::vector<float> taps, std::size_t factor);

    /// Filters `count` new samples and appends the outputs that fall due to `out`.
    void push(const Sample* in, std::size_t count, std::vector<Sample>& out);

    std::size_t factor() const { return factor_; }
    std::size_t length() const { return taps_.size(); }

private:
    std::vector<float> taps_;
    std::size_t factor_;
    std::vector<Sample> history_;
    std::size_t next_ = 0; ///< index into history_ where the next output's window starts
};

extern template class FirDecimator<float>;
extern template class FirDecimator<std::complex<float>>;

} // namespace orvinta::cw
