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
    : sampleRate_(sampleRate)
    // Bins no wider than a column.
    , size_(nextPowerOfTwo(sampleRate_ / kColumnHz))
    , hop_(size_ / 2)
    , secondsPerRow_(std::max(secondsPerRow, static_cast<double>(hop_) / sampleRate_))
    , window_(size_)
    , fft_(size_)
    , power_(kColumns, 0.0) {
    for (std::size_t n = 0; n < size_; ++n) {
        window_[n] = static_cast<float>(
            0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(n) /
                                 static_cast<double>(size_)));
    }
    const double binHz = sampleRate_ / static_cast<double>(size_);
    const std::size_t lastBin = size_ / 2;
    for (int c = 0; c < kColumns; ++c) {
        const double from = kLowestHz + c * kColumnHz;
        auto first = static_cast<std::size_t>(std::ceil(from / binHz));
        auto end = static_cast<std::size_t>(std::ceil((from + kColumnHz) / binHz));
        first = std::min(first, lastBin);
        end = std::clamp(end, first + 1, lastBin + 1);
        bins_.emplace_back(first, end);
    }
}

Waterfall::~Waterfall() = default;

void Waterfall::push(const float* samples, std::size_t count, std::vector<WaterfallRow>& rows) {
    input_.insert(input_.end(), samples, samples + count);
    std::size_t start = 0;
    while (start + size_ <= input_.size()) {
        // The spectrum belongs to the row its middle falls in.
        const auto middle = static_cast<double>(consumed_ + start + hop_);
        const auto row = static_cast<std::size_t>(middle / (secondsPerRow_ * sampleRate_));
        if (row != row_ && summed_ > 0)
            emitRow(rows);
        row_ = row;
        for (std::size_t n = 0; n < size_; ++n)
            fft_.input()[n] = input_[start + n] * window_[n];
        analyse();
        start += hop_;
    }
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(start));
    consumed_ += start;
}

void Waterfall::finish(std::vector<WaterfallRow>& rows) {
    if (summed_ > 0)
        emitRow(rows);
}

void Waterfall::analyse() {
    fft_.run();
    const std::complex<float>* out = fft_.output();
    for (int c = 0; c < kColumns; ++c) {
        const auto [first, end] = bins_[static_cast<std::size_t>(c)];
        // The mean, not the peak, of the bins: columns that hold two bins would otherwise
        // show the noise stronger than those that hold one.
        double sum = 0.0;
        for (std::size_t b = first; b < end; ++b) {
            const double re = out[b].real();
            const double im = out[b].imag();
            sum += re * re + im * im;
        }
        power_[static_cast<std::size_t>(c)] += sum / static_cast<double>(end - first);
    }
    ++summed_;
}

void Waterfall::emitRow(std::vector<WaterfallRow>& rows) {
    std::vector<double> db(kColumns);
    for (std::size_t c = 0; c < db.size(); ++c)
        db[c] = 10.0 * std::log10(power_[c] / static_cast<double>(summed_) + kTinyPower);
    std::vector<double> sorted = db;
    std::nth_element(sorted.begin(), sorted.begin() + kColumns / 2, sorted.end());
    const double floor = sorted[kColumns / 2] - kBelowFloorDb;

    WaterfallRow row;
    row.seconds = static_cast<double>(row_) * secondsPerRow_;
    row.levels.resize(kColumns);
    for (std::size_t c = 0; c < db.size(); ++c) {
        const double share = std::clamp((db[c] - floor) / (kRangeDb + kBelowFloorDb), 0.0, 1.0);
        row.levels[c] = static_cast<std::uint8_t>(std::lround(share * 255.0));
    }
    rows.push_back(std::move(row));
    std::fill(power_.begin(), power_.end(), 0.0);
    summed_ = 0;
}

} // namespace orvinta::listening
