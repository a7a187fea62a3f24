// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <complex>
#include <cstddef>
#include <string>
#include <vector>

namespace orvinta::cw {

/// The fixed start of every frame.
inline constexpr const char* kFramePrefix = "E LUSAT HI HI ";

/// Running sums of complex baseband samples: sums[i] is the sum of the first i samples.
/// The energy of a unit from sample a to b is |sums[b] - sums[a]|^2.
using CumulativeBaseband = std::vector<std::complex<double>>;

/// The keyed layout of a frame in units, counted from the start of a word gap before
/// the prefix: that gap, "E LUSAT HI HI", a word gap, then the payload slots.
class FrameLayout {
public:
    static const FrameLayout& instance();

    /// Key state of the units from the gap before the prefix to the payload's start.
    const std::vector<bool>& prefixUnits() const { return prefixUnits_; }
    /// Unit at which the payload's first character starts.
    int payloadStart() const { return static_cast<int>(prefixUnits_.size()); }
    /// Units from the payload's start to the latest possible end of the payload.
    int longestPayload() const { return longestPayload_; }
    /// Units from the payload's start to the earliest possible end of the payload.
    int shortestPayload() const { return shortestPayload_; }
    /// Units of a whole frame at its longest, the leading gap included.
    int longestFrame() const { return payloadStart() + longestPayload_; }

private:
    FrameLayout();
    std::vector<bool> prefixUnits_;
    int longestPayload_ = 0;
    int shortestPayload_ = 0;
};

/// A frame read from the baseband.
struct FrameReading {
    std::string text; ///< telemetry line, "?" for unreadable characters
    std::size_t unreadable = 0;
    double firstUnitSample = 0.0; ///< baseband index where the "E" of the prefix starts
    double endSample = 0.0;       ///< baseband index just after the last key-down unit
    double unitSamples = 0.0;
    double snrDb = 0.0; ///< signal-to-noise ratio in 3 kHz, estimated from the frame
    double match = 0.0; ///< correlation of the unit energies with the frame as read
};

/// Reads the payload of a frame whose leading gap starts at baseband index `start`
/// with units `unitSamples` long and which ends at the latest `units` units after
/// `start` (where the next frame begins, or the longest frame plus a word gap); the
/// unit length is trusted to within the fraction `unitTolerance`: unit energies (coherent within a
/// unit), likelihood ratios on/off from levels learnt on the prefix and then followed through the
/// frame, and the most likely keyed sequence of allowed characters. A character whose best
/// alternative comes within `minimumMargin` (natural log of the likelihood ratio) is
/// given as "?". When the first reading matches its frame less than `giveUpBelow`, it is
/// returned at once, with its match only.
FrameReading readFrame(const CumulativeBaseband& sums, double rate, double start,
                       double unitSamples, int units, double unitTolerance, double minimumMargin,
                       double giveUpBelow = 0.0);

/// Natural log of the modified Bessel function I0.
double logBesselI0(double x);

} // namespace orvinta::cw
