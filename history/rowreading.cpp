// SPDX-License-Identifier: GPL-3.0-or-later
#include "rowreading.h"

#include "decoder/counttext.h"
#include "decoder/resulttexts.h"
#include "formats/resultformats.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace orvinta::history {

namespace {

constexpr std::size_t kFieldsWithoutTime = kDisplayTextCount;
constexpr std::size_t kFieldsWithTime = kDisplayTextCount + 1;
/// Block number and status come before the channels.
constexpr std::size_t kFirstChannelField = 2;
/// How much of a field a message quotes: enough to recognise it in the file.
constexpr std::size_t kQuotedBytes = 40;

using Fields = std::array<std::string_view, kFieldsWithTime>;

/// Splits `line` at ";" into `fields`; returns how many fields the line has, which
/// may be more than `fields` holds.
std::size_t splitFields(std::string_view line, Fields& fields) {
    std::size_t count = 0;
    while (true) {
        const std::size_t end = line.find(';');
        if (count < fields.size())
            fields[count] = line.substr(0, end);
        ++count;
        if (end == std::string_view::npos)
            return count;
        line.remove_prefix(end + 1);
    }
}

/// A field to quote in a message: the table is Windows-1252 and messages are UTF-8, so
/// anything beyond ASCII shows as "?".
std::string quoted(std::string_view field) {
    std::string text;
    for (const char c : field.substr(0, kQuotedBytes))
        text.push_back(c >= ' ' && c <= '~' ? c : '?');
    if (field.size() > kQuotedBytes)
        text.append("...");
    return text;
}

bool isHeader(std::string_view line) {
    static const std::string timedHeader = timedTableHeader();
    return line == tableHeader() || line == timedHeader;
}

LineContent readFields(const Fields& fields, std::size_t count) {
    TableRow row;
    std::size_t first = 0;
    if (count == kFieldsWithTime) {
        first = 1;
        if (!fields[0].empty()) {
            const TimeParse time = parseIsoTime(fields[0]);
            if (!time)
                return BadRow{describeTimeError(quoted(fields[0]), time)};
            row.time = time.time;
        }
    }
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        const std::string_view field = fields[first + kFirstChannelField + k];
        const std::optional<double> value = channelValue(field);
        if (!value)
            return BadRow{"Kanal " + std::to_string(k + 1) + ": \"" + quoted(field) +
                          "\" ist weder Zahl noch FEHLER"};
        row.values[k] = *value;
    }
    return row;
}

} // namespace

std::optional<double> channelValue(std::string_view text) {
    if (text == kFehlerText)
        return std::numeric_limits<double>::quiet_NaN();
    // Zero and positive values have a leading blank, as the output window shows them.
    if (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

LineContent readRow(std::string_view line) {
    if (line.empty())
        return EmptyLine{};
    if (isHeader(line))
        return HeaderLine{};
    Fields fields;
    const std::size_t count = splitFields(line, fields);
    if (count != kFieldsWithoutTime && count != kFieldsWithTime)
        return BadRow{countText(static_cast<long long>(count), "Feld", "Felder") +
                      " statt 10 (oder 11 mit der Zeit vorn)"};
    return readFields(fields, count);
}

} // namespace orvinta::history
