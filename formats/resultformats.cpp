// SPDX-License-Identifier: GPL-3.0-or-later
#include "resultformats.h"

#include <algorithm>

namespace orvinta {
namespace {

// "\xB0" is the degree sign in Windows-1252; the literal is split so that the
// following "C" is not read as another hex digit.
constexpr std::string_view kDegreesCelsius = " \xB0"
                                             "C";

struct ResultLine {
    std::string_view prefix;
    std::string_view unit;
};

// Prefixes are padded to 20 characters on the first two lines and 19 on the others, so
// that the leading blank of a channel value stands in column 20 and its digits line up
// with block number and status in column 21.
constexpr std::array<ResultLine, kDisplayTextCount> kResultLines{{
    {"E PROM Block:       ", ""},
    {"Status:             ", ""},
    {"+5 V reguliert:    ", " V"},
    {"+10 V Batterie:    ", " V"},
    {"CW-TX-Temperatur:  ", kDegreesCelsius},
    {"CW-TX-Power-Out:   ", " mW"},
    {"Temperatur Box 4:  ", kDegreesCelsius},
    {"+10 V Strom:       ", " mA"},
    {"+Z Solarpennel:    ", " V"},
    {"+8,5 V reguliert:  ", " V"},
}};

// Stored tables start with this exact header, "reguliet" included.
constexpr std::string_view kTableHeader =
    "E PROM Block;Status;+5 V reguliet (V);+10 V Batterie (V);CW-TX-Temperatur (\xB0"
    "C);CW-TX-Power-Out (mW);Temperatur Box 4 (\xB0"
    "C);+10 V Strom (mA);+Z-Solarpanel (V);+8,5 V reguliert (V)";

} // namespace

DisplayTexts displayTexts(const DecodedFrame& frame) {
    DisplayTexts texts;
    texts[0] = frame.block;
    texts[1] = frame.statusText();
    for (std::size_t k = 0; k < frame.channels.size(); ++k) {
        texts[k + 2] = frame.channels[k];
    }
    return texts;
}

std::array<std::string, kDisplayTextCount> resultTextLines(const DisplayTexts& texts) {
    std::array<std::string, kDisplayTextCount> lines;
    for (std::size_t i = 0; i < kDisplayTextCount; ++i) {
        const ResultLine& format = kResultLines[i];
        lines[i].reserve(format.prefix.size() + texts[i].size() + format.unit.size());
        lines[i].append(format.prefix).append(texts[i]).append(format.unit);
    }
    return lines;
}

std::string_view tableHeader() {
    return kTableHeader;
}

void appendTableRow(std::string& out, const DisplayTexts& texts) {
    for (std::size_t i = 0; i < kDisplayTextCount; ++i) {
        if (i > 0) {
            out.push_back(';');
        }
        out.append(texts[i]);
    }
}

TableLayout tableLayoutOf(std::string_view line) {
    constexpr auto kPlainSeparators = static_cast<std::ptrdiff_t>(kDisplayTextCount - 1);
    const std::ptrdiff_t separators = std::count(line.begin(), line.end(), ';');
    if (separators == kPlainSeparators)
        return TableLayout::Plain;
    if (separators == kPlainSeparators + 1)
        return TableLayout::Timed;
    return TableLayout::None;
}

std::string timedTableHeader() {
    std::string header(kTimeColumnTitle);
    header.push_back(';');
    header.append(kTableHeader);
    return header;
}

void appendTimedTableRow(std::string& out, std::string_view time, const DisplayTexts& texts) {
    out.append(time);
    out.push_back(';');
    appendTableRow(out, texts);
}

std::string timeTextLine(std::string_view time) {
    // The value starts in column 21, as block number and status do.
    std::string line(kTimeColumnTitle);
    line.push_back(':');
    line.resize(kResultLines[0].prefix.size(), ' ');
    line.append(time);
    return line;
}

std::string tableRow(const DisplayTexts& texts) {
    std::string row;
    appendTableRow(row, texts);
    return row;
}

} // namespace orvinta
