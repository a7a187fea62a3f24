// SPDX-License-Identifier: GPL-3.0-or-later
#include "station.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace orvinta::submission {

namespace {

constexpr std::size_t kShortestCallsign = 3;
/// Longer than any callsign with its prefix and suffix ("VP2E/DL1ABC/MM" has 14).
constexpr std::size_t kLongestCallsign = 20;

/// One pair of a locator: how many cells it divides the one above into, and the first
/// character of the pair. Longitude cells are twice as wide as latitude cells.
struct LocatorPair {
    int cells;
    char first;
};
/// Field (18 x 18 letters), square (10 x 10 digits), subsquare (24 x 24 letters),
/// extended square (10 x 10 digits).
constexpr std::array<LocatorPair, 4> kLocatorPairs{{{18, 'A'}, {10, '0'}, {24, 'A'}, {10, '0'}}};
constexpr double kLongitudeSpan = 360.0;
constexpr double kLatitudeSpan = 180.0;

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())) != 0)
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())) != 0)
        text.remove_suffix(1);
    return text;
}

std::optional<double> parseNumber(std::string_view text) {
    text = trimmed(text);
    if (text.empty())
        return std::nullopt;
    // from_chars takes no plus sign.
    if (text.front() == '+')
        text.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

std::optional<std::string> normalizedCallsign(std::string_view text) {
    text = trimmed(text);
    if (text.size() < kShortestCallsign || text.size() > kLongestCallsign)
        return std::nullopt;
    std::string callsign;
    bool letter = false;
    bool digit = false;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80)
            return std::nullopt;
        letter = letter || std::isalpha(byte) != 0;
        digit = digit || std::isdigit(byte) != 0;
        if (std::isalnum(byte) == 0 && c != '/')
            return std::nullopt;
        callsign += static_cast<char>(std::toupper(byte));
    }
    if (!letter || !digit)
        return std::nullopt;
    return callsign;
}

bool validPosition(const Position& position) {
    return position.latitude >= -90.0 && position.latitude <= 90.0 &&
           position.longitude >= -180.0 && position.longitude <= 180.0;
}

std::optional<Position> positionFromLocator(std::string_view text) {
    text = trimmed(text);
    if (text.empty() || text.size() % 2 != 0 || text.size() > 2 * kLocatorPairs.size())
        return std::nullopt;
    double longitude = -kLongitudeSpan / 2.0;
    double latitude = -kLatitudeSpan / 2.0;
    double width = kLongitudeSpan;
    double height = kLatitudeSpan;
    for (std::size_t pair = 0; 2 * pair < text.size(); ++pair) {
        const LocatorPair& kind = kLocatorPairs[pair];
        width /= kind.cells;
        height /= kind.cells;
        const int x = std::toupper(static_cast<unsigned char>(text[2 * pair])) - kind.first;
        const int y = std::toupper(static_cast<unsigned char>(text[2 * pair + 1])) - kind.first;
        if (x < 0 || x >= kind.cells || y < 0 || y >= kind.cells)
            return std::nullopt;
        longitude += x * width;
        latitude += y * height;
    }
    return Position{latitude + height / 2.0, longitude + width / 2.0};
}

std::optional<Position> parsePosition(std::string_view text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    const std::optional<double> latitude = parseNumber(text.substr(0, comma));
    const std::optional<double> longitude = parseNumber(text.substr(comma + 1));
    if (!latitude || !longitude)
        return std::nullopt;
    const Position position{*latitude, *longitude};
    if (!validPosition(position))
        return std::nullopt;
    return position;
}

std::optional<double> parseDegrees(std::string_view text) {
    std::string pointed(text);
    std::replace(pointed.begin(), pointed.end(), ',', '.');
    return parseNumber(pointed);
}

} // namespace orvinta::submission
