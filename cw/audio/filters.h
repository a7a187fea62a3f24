// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <complex>
#include <cstddef>
#include <cstdint>
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

/// Changes the rate of real samples by a rational step: output n is the input low-pass
/// filtered and read at input position n * inputStep / outputStep + delay(), between the
/// input samples where it falls. The filter's taps are tabulated at a fine fraction of
/// an input sample and interpolated between.
class Resampler {
public:
    /// Passes up to `passHz` and stops from `stopHz` on, at input rate `inputRate`; reads
    /// an output every inputStep / outputStep input samples.
    Resampler(double passHz, double stopHz, double inputRate, std::uint64_t inputStep,
              std::uint64_t outputStep);

    /// Filters `count` new samples and appends the outputs that fall due to `out`.
    void push(const float* in, std::size_t count, std::vector<float>& out);

    /// Input samples from where output n is read to the sample it is centred on.
    double delay() const { return 0.5 * static_cast<double>(span_); }

private:
    std::size_t span_;         ///< input samples under the filter, less one
    std::size_t phases_;       ///< rows of the table per input sample
    std::vector<float> table_; ///< (phases_ + 1) rows of span_ + 1 taps
    std::uint64_t inputStep_;
    std::uint64_t outputStep_;
    std::uint64_t position_ = 0; ///< of the next output, in input samples * outputStep_
    std::vector<float> history_;
};

extern template class FirDecimator<float>;
extern template class FirDecimator<std::complex<float>>;

} // namespace orvinta::cw
