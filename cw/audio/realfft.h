// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One real-to-complex FFT of a fixed size, for the short-time spectra of the tone finder
// and of the listening window's waterfall: FFTW's plan with its input and output buffers,
// owned together. FFTW's planner is not thread-safe (running a plan is): every plan is
// made and destroyed here, under one lock, so that decoders and waterfalls on several
// threads take turns.

#include <complex>
#include <cstddef>

struct fftwf_plan_s;

namespace orvinta::cw {

class RealFft {
public:
    /// A transform of `size` samples.
    explicit RealFft(std::size_t size);
    ~RealFft();
    RealFft(const RealFft&) = delete;
    RealFft& operator=(const RealFft&) = delete;

    std::size_t size() const { return m_size; }
    /// The samples to transform: size() of them.
    float* input() { return m_input; }
    /// Transforms input() into output().
    void run();
    /// The spectrum of the input at the last run(): bins 0 to size() / 2.
    const std::complex<float>* output() const { return m_output; }

private:
    std::size_t m_size;
    float* m_input;
    std::complex<float>* m_output;
    fftwf_plan_s* m_plan = nullptr;
};

} // namespace orvinta::cw
