// SPDX-License-Identifier: GPL-3.0-or-later
#include "impairments.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace orvinta::keyer {
namespace {

/// Paths of the sum-of-sinusoids model: enough for the gain to look Gaussian.
constexpr int kFadingPaths = 16;
/// The gain moves little in this time even at the fastest fading tried (2 Hz).
constexpr double kFadingStepSeconds = 0.004;

/// A second-order section (the audio EQ cookbook's forms), run sample by sample.
class Biquad {
public:
    static Biquad lowpass(double hz, double q, double rate) { return make(hz, q, rate, 0); }
    static Biquad highpass(double hz, double q, double rate) { return make(hz, q, rate, 1); }
    static Biquad peak(double hz, double q, double gainDb, double rate) {
        const double w = 2.0 * std::numbers::pi * hz / rate;
        const double alpha = std::sin(w) / (2.0 * q);
        const double a = std::pow(10.0, gainDb / 40.0);
        return Biquad({1.0 + alpha * a, -2.0 * std::cos(w), 1.0 - alpha * a},
                      {1.0 + alpha / a, -2.0 * std::cos(w), 1.0 - alpha / a});
    }

    double operator()(double x) {
        const double y = m_b[0] * x + m_b[1] * m_x1 + m_b[2] * m_x2 - m_a[1] * m_y1 - m_a[2] * m_y2;
        m_x2 = m_x1;
        m_x1 = x;
        m_y2 = m_y1;
        m_y1 = y;
        return y;
    }

private:
    Biquad(std::array<double, 3> b, std::array<double, 3> a) {
        for (std::size_t i = 0; i < 3; ++i) {
            m_b[i] = b[i] / a[0];
            m_a[i] = a[i] / a[0];
        }
    }
    static Biquad make(double hz, double q, double rate, int high) {
        const double w = 2.0 * std::numbers::pi * hz / rate;
        const double alpha = std::sin(w) / (2.0 * q);
        const double c = std::cos(w);
        const double edge = high == 1 ? (1.0 + c) / 2.0 : (1.0 - c) / 2.0;
        const double middle = high == 1 ? -(1.0 + c) : 1.0 - c;
        return Biquad({edge, middle, edge}, {1.0 + alpha, -2.0 * c, 1.0 - alpha});
    }

    std::array<double, 3> m_b{};
    std::array<double, 3> m_a{};
    double m_x1 = 0.0, m_x2 = 0.0, m_y1 = 0.0, m_y2 = 0.0;
};

} // namespace

RayleighFading::RayleighFading(double dopplerHz, double seconds, unsigned seed)
    : m_step(kFadingStepSeconds) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> turn(0.0, 2.0 * std::numbers::pi);
    std::vector<double> frequency;
    std::vector<double> phase;
    const double offset = turn(random);
    for (int m = 0; m < kFadingPaths; ++m) {
        // Arrival angles spread evenly round the circle, the whole set turned at random.
        const double angle = (2.0 * std::numbers::pi * m + offset) / kFadingPaths;
        frequency.push_back(2.0 * std::numbers::pi * dopplerHz * std::cos(angle));
        phase.push_back(turn(random));
    }
    const auto count = static_cast<std::size_t>(seconds / m_step) + 2;
    m_points.resize(count);
    const double scale = 1.0 / std::sqrt(static_cast<double>(kFadingPaths));
    for (std::size_t n = 0; n < count; ++n) {
        const double t = static_cast<double>(n) * m_step;
        std::complex<double> sum;
        for (std::size_t m = 0; m < frequency.size(); ++m) {
            sum += std::polar(1.0, frequency[m] * t + phase[m]);
        }
        m_points[n] = scale * sum;
    }
}

std::complex<double> RayleighFading::gain(double seconds) const {
    const double at = std::max(0.0, seconds / m_step);
    const auto n = std::min(static_cast<std::size_t>(at), m_points.size() - 2);
    const double part = std::min(1.0, at - static_cast<double>(n));
    return m_points[n] + part * (m_points[n + 1] - m_points[n]);
}

std::vector<double> speechBandNoise(std::size_t count, double rate, std::mt19937& random) {
    std::normal_distribution<double> gauss(0.0, 1.0);
    // Voice band with the speech spectrum's hump near 500 Hz and its fall above 1 kHz.
    std::array<Biquad, 6> shape{Biquad::highpass(300.0, 0.707, rate),
                                Biquad::highpass(300.0, 0.707, rate),
                                Biquad::lowpass(std::min(3400.0, 0.45 * rate), 0.707, rate),
                                Biquad::lowpass(std::min(3400.0, 0.45 * rate), 0.707, rate),
                                Biquad::peak(500.0, 1.0, 8.0, rate),
                                Biquad::lowpass(1000.0, 0.5, rate)};
    // Syllables: the level follows noise low-passed to about 4 Hz, swinging some 10 dB.
    Biquad syllables = Biquad::lowpass(4.0, 0.707, rate);
    const double syllableScale = std::sqrt(rate / 4.0);
    std::vector<double> noise(count);
    double power = 0.0;
    for (std::size_t n = 0; n < count; ++n) {
        double x = gauss(random);
        for (Biquad& stage : shape) {
            x = stage(x);
        }
        const double level = std::exp(1.2 * syllables(gauss(random)) * syllableScale / 3.0);
        noise[n] = x * level;
        power += noise[n] * noise[n];
    }
    const double scale =
        count > 0 && power > 0.0 ? std::sqrt(static_cast<double>(count) / power) : 1.0;
    for (double& x : noise) {
        x *= scale;
    }
    return noise;
}

} // namespace orvinta::keyer
