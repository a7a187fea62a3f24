// SPDX-License-Identifier: GPL-3.0-or-later
#include "sidsfields.h"

#include <cmath>
#include <cstdio>

namespace orvinta::submission {

namespace {

/// Four decimals of a degree are about 11 m: finer than any station needs to tell.
std::string degreesText(double degrees, char positive, char negative) {
    // Rounded first, so that -0.00001 does not come out as "0.0000W".
    const double rounded = std::round(degrees * 1e4) / 1e4;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.4f%c", std::fabs(rounded),
                  rounded < 0.0 ? negative : positive);
    return buffer;
}

bool keptInForm(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
           (byte >= '0' && byte <= '9') || byte == '*' || byte == '-' || byte == '.' || byte == '_';
}

} // namespace

std::vector<Field> sidsFields(std::string_view line, UtcTime received, const Station& station,
                              std::string_view version) {
    return {
        {"noradID", std::string(kLusatNoradId)},
        {"source", station.callsign},
        {"timestamp", sidsTimestamp(received)},
        {"frame", hexBytes(line)},
        {"locator", "longLat"},
        {"longitude", longitudeText(station.position.longitude)},
        {"latitude", latitudeText(station.position.latitude)},
        {"version", std::string(version)},
    };
}

std::string formEncoded(const std::vector<Field>& fields) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string body;
    const auto append = [&body](std::string_view text) {
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            if (keptInForm(byte)) {
                body += c;
            } else if (c == ' ') {
                body += '+';
            } else {
                body += '%';
                body += kHex[byte >> 4];
                body += kHex[byte & 0x0F];
            }
        }
    };
    for (const Field& field : fields) {
        if (!body.empty())
            body += '&';
        append(field.first);
        body += '=';
        append(field.second);
    }
    return body;
}

std::string hexBytes(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(2 * bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kHex[byte >> 4];
        hex += kHex[byte & 0x0F];
    }
    return hex;
}

std::string sidsTimestamp(UtcTime time) {
    std::string text = formatIsoTime(time);
    // formatIsoTime leaves out ".000" on a whole second; the convention always has it.
    if (text.size() >= 5 && text[text.size() - 5] != '.')
        text.insert(text.size() - 1, ".000");
    return text;
}

std::string longitudeText(double degrees) {
    return degreesText(degrees, 'E', 'W');
}

std::string latitudeText(double degrees) {
    return degreesText(degrees, 'N', 'S');
}

bool submittable(std::string_view line, double confidence, double minimumConfidence) {
    return line.find('?') == std::string_view::npos && confidence >= minimumConfidence;
}

} // namespace orvinta::submission
