// SPDX-License-Identifier: GPL-3.0-or-later
#include "waterfall.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace orvinta::listening {
namespace {

/// Below the noise floor a row keeps this much room, so that the floor is not black.
constexpr double kBelowFloorDb = 4.0;
/// Added to every power so that digital silence has a finite level.
constexpr double kTinyPower = 1e-20;

std::size_t nextPowerOfTwo(double value) {
    std::size_t n = 1;
    while (static_cast<double>(n) < value)
        n <<= 1U;
    return n;
}

} // namespace

double Waterfall::columnHz(int column) {
    return kLowestHz + (column + 0.5) * kColumnHz;
}

int Waterfall::columnOf(double hz) {
    return std::clamp(static_cast<int>(std::floor((hz - kLowestHz) / kColumnHz)), 0, kColumns - 1);
}

Waterfall::Waterfall(int sampleRate, double secondsPerRow)
    : m_sampleRate(sampleRate)
    // Bins no wider than a column.
    , m_size(nextPowerOfTwo(m_sampleRate / kColumnHz))
    , m_hop(m_size / 2)
    , m_secondsPerRow(std::max(secondsPerRow, static_cast<double>(m_hop) / m_sampleRate))
    , m_window(m_size)
    , m_fft(m_size)
    , m_power(kColumns, 0.0) {
    for (std::size_t n = 0; n < m_size; ++n) {
        m_window[n] = static_cast<float>(
            0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(n) /
                                 static_cast<double>(m_size)));
    }
    const double binHz = m_sampleRate / static_cast<double>(m_size);
    const std::size_t lastBin = m_size / 2;
    for (int c = 0; c < kColumns; ++c) {
        const double from = kLowestHz + c * kColumnHz;
        auto first = static_cast<std::size_t>(std::ceil(from / binHz));
        auto end = static_cast<std::size_t>(std::ceil((from + kColumnHz) / binHz));
        first = std::min(first, lastBin);
        end = std::clamp(end, first + 1, lastBin + 1);
        m_bins.emplace_back(first, end);
    }
}

Waterfall::~Waterfall() = default;

void Waterfall::push(const float* samples, std::size_t count, std::vector<WaterfallRow>& rows) {
    m_input.insert(m_input.end(), samples, samples + count);
    std::size_t start = 0;
    while (start + m_size <= m_input.size()) {
        // The spectrum belongs to the row its middle falls in.
        const auto middle = static_cast<double>(m_consumed + start + m_hop);
        const auto row = static_cast<std::size_t>(middle / (m_secondsPerRow * m_sampleRate));
        if (row != m_row && m_summed > 0)
            emitRow(rows);
        m_row = row;
        for (std::size_t n = 0; n < m_size; ++n)
            m_fft.input()[n] = m_input[start + n] * m_window[n];
        analyse();
        start += m_hop;
    }
    m_input.erase(m_input.begin(), m_input.begin() + static_cast<std::ptrdiff_t>(start));
    m_consumed += start;
}

void Waterfall::finish(std::vector<WaterfallRow>& rows) {
    if (m_summed > 0)
        emitRow(rows);
}

void Waterfall::analyse() {
    m_fft.run();
    const std::complex<float>* out = m_fft.output();
    for (int c = 0; c < kColumns; ++c) {
        const auto [first, end] = m_bins[static_cast<std::size_t>(c)];
        // The mean, not the peak, of the bins: columns that hold two bins would otherwise
        // show the noise stronger than those that hold one.
        double sum = 0.0;
        for (std::size_t b = first; b < end; ++b) {
            const double re = out[b].real();
            const double im = out[b].imag();
            sum += re * re + im * im;
        }
        m_power[static_cast<std::size_t>(c)] += sum / static_cast<double>(end - first);
    }
    ++m_summed;
}

void Waterfall::emitRow(std::vector<WaterfallRow>& rows) {
    std::vector<double> db(kColumns);
    for (std::size_t c = 0; c < db.size(); ++c)
        db[c] = 10.0 * std::log10(m_power[c] / static_cast<double>(m_summed) + kTinyPower);
    std::vector<double> sorted = db;
    std::nth_element(sorted.begin(), sorted.begin() + kColumns / 2, sorted.end());
    const double floor = sorted[kColumns / 2] - kBelowFloorDb;

    WaterfallRow row;
    row.seconds = static_cast<double>(m_row) * m_secondsPerRow;
    row.levels.resize(kColumns);
    for (std::size_t c = 0; c < db.size(); ++c) {
        const double share = std::clamp((db[c] - floor) / (kRangeDb + kBelowFloorDb), 0.0, 1.0);
        row.levels[c] = static_cast<std::uint8_t>(std::lround(share * 255.0));
    }
    rows.push_back(std::move(row));
    std::fill(m_power.begin(), m_power.end(), 0.0);
    m_summed = 0;
}

} // namespace orvinta::listening
