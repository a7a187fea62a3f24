// SPDX-License-Identifier: GPL-3.0-or-later
#include "channelconversion.h"

#include "numbertext.h"
#include "resulttexts.h"
#include "varmodul.h"

#include <cassert>
#include <cmath>
#include <vector>

namespace orvinta {
namespace {

/// A valid channel's raw value is a three-digit whole number.
constexpr int kRawValues = 1000;

/// Channels 2 to 8, each formula computed in the order written.
double doubleFormula(int channel, double x) {
    switch (channel) {
    case 2:
        return x * 0.064; // +10 V battery, V
    case 3:
        return (134.7 - x) * 0.354; // CW transmitter temperature, °C
    case 4:
        return std::pow(x + 10.9, 2.0) / 40.1; // CW transmitter power, mW
    case 5:
        return (136.0 - x) * 0.356; // temperature of box 4, °C
    case 6:
        return x * 0.7; // +10 V current, mA
    case 7:
        return x * 0.15; // +Z solar panel, V
    case 8:
        return x * 0.056; // +8.5 V regulated, V
    default:
        assert(false && "channel out of range");
        return NAN;
    }
}

std::string computeChannelText(int channel, float rawValue) {
    if (channel == 1) {
        // +5 V regulated, V: 636 / X in single precision. X = 0 has no value.
        if (rawValue == 0.0F) {
            return std::string(kFehlerText);
        }
        const float volts = 636.0F / rawValue;
        return std::isfinite(volts) ? numberText(volts) : std::string(kFehlerText);
    }
    const double value = doubleFormula(channel, static_cast<double>(rawValue));
    return std::isfinite(value) ? numberText(value) : std::string(kFehlerText);
}

/// The texts of all 1000 raw values of every channel, computed once: decoding a frame
/// then costs a look-up per channel instead of a formatting.
const std::string& tableEntry(int channel, int rawValue) {
    static const std::vector<std::string> table = [] {
        std::vector<std::string> texts;
        texts.reserve(static_cast<std::size_t>(kChannelCount) * kRawValues);
        for (int k = 1; k <= kChannelCount; ++k) {
            for (int x = 0; x < kRawValues; ++x) {
                texts.push_back(computeChannelText(k, static_cast<float>(x)));
            }
        }
        return texts;
    }();
    const auto row = static_cast<std::size_t>(channel - 1);
    return table[row * static_cast<std::size_t>(kRawValues) + static_cast<std::size_t>(rawValue)];
}

} // namespace

const std::string& channelText(int channel, int rawValue) {
    assert(channel >= 1 && channel <= kChannelCount);
    assert(rawValue >= 0 && rawValue < kRawValues);
    return tableEntry(channel, rawValue);
}

} // namespace orvinta
