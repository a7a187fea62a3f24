// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The waterfall: the spectrum of the audio from 200 to 3000 Hz over time, as rows of
// levels. Short-time spectra (Hann window, half overlapping) are averaged over the
// stretch of audio each row stands for; each row is then scaled to its own noise floor
// (the median of its columns), so that a keyed tone stands out however loud the audio is.

#include "cw/audio/realfft.h"
#include "cw/audio/tonefinder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvinta::listening {

/// One row of the waterfall.
struct WaterfallRow {
    double seconds = 0.0; ///< where the stretch of audio the row stands for begins
    /// kColumns levels from the lowest frequency up: 0 is at or below the noise floor,
    /// 255 is kRangeDb above it.
    std::vector<std::uint8_t> levels;
};

class Waterfall {
public:
    /// The decoder's band: a tone it can follow shows.
    static constexpr double kLowestHz = cw::kLowestToneHz;
    static constexpr double kHighestHz = cw::kHighestToneHz;
    /// Ten hertz a column keeps two beacon tones apart that the decoder would follow apart.
    static constexpr double kColumnHz = 10.0;
    static constexpr int kColumns = 280;
    /// Levels span this many dB above the noise floor: a strong signal is 30 to 40 dB up.
    static constexpr double kRangeDb = 40.0;

    /// The frequency at the centre of `column`, and the column a frequency falls in.
    static double columnHz(int column);
    static int columnOf(double hz);

    /// Rows stand for `secondsPerRow` of audio each, or for as long as one hop of the
    /// short-time spectra if that is longer.
    Waterfall(int sampleRate, double secondsPerRow);
    ~Waterfall();
    Waterfall(const Waterfall&) = delete;
    Waterfall& operator=(const Waterfall&) = delete;

    double secondsPerRow() const { return m_secondsPerRow; }

    /// Takes mono samples and appends the rows that became complete.
    void push(const float* samples, std::size_t count, std::vector<WaterfallRow>& rows);
    /// Appends the row still being summed at the end of the audio.
    void finish(std::vector<WaterfallRow>& rows);

private:
    void analyse();
    void emitRow(std::vector<WaterfallRow>& rows);

    double m_sampleRate;
    std::size_t m_size;
    std::size_t m_hop;
    double m_secondsPerRow;
    std::vector<float> m_window;
    /// Per column, the first and one past the last spectrum bin it averages.
    std::vector<std::pair<std::size_t, std::size_t>> m_bins;
    cw::RealFft m_fft;
    std::vector<float> m_input;
    std::size_t m_consumed = 0; ///< absolute index of m_input[0]
    std::size_t m_row = 0;      ///< index of the row being summed
    std::size_t m_summed = 0;   ///< spectra in it so far
    std::vector<double> m_power;
};

} // namespace orvinta::listening
