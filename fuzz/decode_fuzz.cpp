// SPDX-License-Identifier: GPL-3.0-or-later
// Decodes an arbitrary line and checks what every decoding must give: the 34-character
// frame window, a one-digit block, "OK" or "FALSE", and for each channel either
// "FEHLER" or a number text, in agreement with the error flags and raw values.

#include "fuzzcheck.h"

#include "cli/linereader.h"
#include "decoder/channelconversion.h"
#include "decoder/decoder.h"
#include "decoder/frameparser.h"
#include "decoder/windows1252case.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace orvinta {
namespace {

using fuzz::require;

constexpr std::string_view kSample = "E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE";
constexpr int kSingleDigits = 7;
constexpr int kDoubleDigits = 15;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool allDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), isDigit);
}

/// Whether `text` is a channel's number text: a blank (zero and positive values) or
/// "-" (negative ones), then digits with at most one point and an optional exponent
/// "E+NN" or "E-NN". A point has digits after it, the last of which is not 0; below 1
/// no "0" stands before the point, and zero is " 0" alone. At most `maxDigits`
/// significant digits.
bool isNumberText(std::string_view text, int maxDigits) {
    if (text.size() < 2 || (text[0] != ' ' && text[0] != '-')) {
        return false;
    }
    std::string_view number = text.substr(1);
    if (const std::size_t e = number.find('E'); e != std::string_view::npos) {
        const std::string_view exponent = number.substr(e + 1);
        if (exponent.size() < 3 || (exponent[0] != '+' && exponent[0] != '-') ||
            !allDigits(exponent.substr(1))) {
            return false;
        }
        number = number.substr(0, e);
    }
    const std::size_t point = number.find('.');
    const std::string_view integer = number.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : number.substr(point + 1);
    if (!allDigits(integer) || !allDigits(fraction)) {
        return false; // also a second point
    }
    if (point != std::string_view::npos && (fraction.empty() || fraction.back() == '0')) {
        return false;
    }
    if (integer.empty() && fraction.empty()) {
        return false;
    }
    if (!integer.empty() && integer[0] == '0' && text != " 0") {
        return false;
    }
    // Significant digits: without the leading zeros of a fraction below 1 and, for a
    // whole number, without the zeros that only fill up to the point.
    std::string digits = std::string(integer) + std::string(fraction);
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
    if (fraction.empty()) {
        digits.erase(std::min(digits.find_last_not_of('0') + 1, digits.size()));
    }
    return static_cast<int>(digits.size()) <= maxDigits;
}

void checkResetRecord(const VarModul& record) {
    for (int k = 1; k <= kChannelCount; ++k) {
        require(record.FehlerFlag(k) == 0, "an empty line clears the error flags");
        require(record.Wert(k) == 0.0F, "an empty line clears the raw values");
        require(record.Gruppe(k).empty(), "an empty line clears the groups");
    }
}

void checkFrame(std::string_view line, const DecodedFrame& frame, const VarModul& record) {
    const std::string& window = record.Eingabe;
    require(window.size() == kFrameWindowLength, "the frame window has 34 characters");
    require(std::all_of(window.begin(), window.end(),
                        [](char c) { return toUpperWindows1252(c) == c; }),
            "the frame window is upper case");
    require(window.back() == toUpperWindows1252(line.back()),
            "the frame window ends with the line's last character");
    for (int k = 1; k <= kChannelCount; ++k) {
        require(window[static_cast<std::size_t>(4 * k - 2)] == ' ',
                "a blank stands before every group");
    }

    require(frame.block.size() == 1 && isDigit(frame.block[0]), "the block is one digit");
    require(frame.statusText() == "OK" || frame.statusText() == "FALSE",
            "the status is OK or FALSE");
    require(frame.statusOk == (window[1] == 'O'), "the status is OK exactly for an O");

    for (int k = 1; k <= kChannelCount; ++k) {
        const std::string& text = frame.channels[static_cast<std::size_t>(k - 1)];
        const std::string& group = record.Gruppe(k);
        const std::uint8_t flag = record.FehlerFlag(k);
        const float raw = record.Wert(k);
        require(text == record.Ergebnis(k), "the frame shows the record's result texts");
        require(group.size() == 3, "a group has three characters");
        require(flag == 0 || flag == 1, "an error flag is 0 or 1");
        require((flag == 1) == !allDigits(group), "the flag is set exactly for a non-digit");
        if (flag == 1) {
            require(text == "FEHLER", "a flagged channel shows FEHLER");
            continue;
        }
        require(raw == static_cast<float>(std::stoi(group)), "the raw value is the group's number");
        require(text == channelText(k, static_cast<int>(raw)),
                "the text is the channel's conversion of the raw value");
        if (text == "FEHLER") {
            require(k == 1 && raw == 0.0F, "only channel 1 at raw value 0 has no value");
        } else {
            require(isNumberText(text, k == 1 ? kSingleDigits : kDoubleDigits),
                    "a channel text is FEHLER or a number text");
        }
    }
}

} // namespace
} // namespace orvinta

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orvinta;
    using fuzz::require;
    const std::string_view line = fuzz::bytesOf(data, size);

    VarModul record;
    const std::optional<DecodedFrame> frame = decode(line, record);
    if (line.empty()) {
        require(!frame, "an empty line gives no frame");
        checkResetRecord(record);
        return 0;
    }
    require(frame.has_value(), "a non-empty line gives a frame");
    checkFrame(line, *frame, record);

    // The command-line decoder reuses one record for every line of a log.
    VarModul reused;
    decode(kSample, reused);
    require(decode(line, reused) == frame && reused == record,
            "decoding does not depend on the frame decoded before");

    // The command-line decoder keeps only the end of a long line.
    if (line.size() > LineReader::kKeptBytes) {
        VarModul tailRecord;
        const std::string_view tail = line.substr(line.size() - LineReader::kKeptBytes);
        require(decode(tail, tailRecord) == frame && tailRecord == record,
                "the end of a line kept by the line reader decodes like the whole line");
    }
    return 0;
}
