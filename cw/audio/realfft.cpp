// SPDX-License-Identifier: GPL-3.0-or-later
#include "realfft.h"

#include <fftw3.h>

#include <mutex>

namespace orvinta::cw {
namespace {

std::mutex& planner() {
    static std::mutex mutex;
    return mutex;
}

/// FFTW's complex type is two floats, laid out as std::complex<float> is (FFTW's manual
/// names this use).
fftwf_complex* asFftw(std::complex<float>* bins) {
    return reinterpret_cast<fftwf_complex*>(bins); // NOLINT(*-reinterpret-cast)
}

} // namespace

RealFft::RealFft(std::size_t size)
    : m_size(size)
    , m_input(static_cast<float*>(fftwf_malloc(sizeof(float) * size)))
    , m_output(static_cast<std::complex<float>*>(
          fftwf_malloc(sizeof(std::complex<float>) * (size / 2 + 1)))) {
    const std::lock_guard<std::mutex> lock(planner());
    m_plan =
        fftwf_plan_dft_r2c_1d(static_cast<int>(size), m_input, asFftw(m_output), FFTW_ESTIMATE);
}

RealFft::~RealFft() {
    {
        const std::lock_guard<std::mutex> lock(planner());
        fftwf_destroy_plan(m_plan);
    }
    fftwf_free(m_output);
    fftwf_free(m_input);
}

void RealFft::run() {
    fftwf_execute(m_plan);
}

} // namespace orvinta::cw
