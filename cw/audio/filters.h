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

    std::size_t factor() const { return m_factor; }
    std::size_t length() const { return m_taps.size(); }

private:
    std::vector<float> m_taps;
    std::size_t m_factor;
    std::vector<Sample> m_history;
    std::size_t m_next = 0; ///< index into m_history where the next output's window starts
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
    double delay() const { return 0.5 * static_cast<double>(m_span); }

private:
    std::size_t m_span;         ///< input samples under the filter, less one
    std::size_t m_phases;       ///< rows of the table per input sample
    std::vector<float> m_table; ///< (m_phases + 1) rows of m_span + 1 taps
    std::uint64_t m_inputStep;
    std::uint64_t m_outputStep;
    std::uint64_t m_position = 0; ///< of the next output, in input samples * m_outputStep
    std::vector<float> m_history;
};

extern template class FirDecimator<float>;
extern template class FirDecimator<std::complex<float>>;

} // namespace orvinta::cw
