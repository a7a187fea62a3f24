// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/decoder.h"
#include "formats/resultformats.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace {

using namespace orvinta;

/// Frames as copied off the air: mostly clean, some with a wrong letter or missing blanks.
std::vector<std::string> sampleLines() {
    std::mt19937 random(7);
    const std::string letters = "AUVEBDNT4600X";
    std::uniform_int_distribution<std::size_t> pick(0, letters.size() - 1);
    std::vector<std::string> lines;
    for (int n = 0; n < 1024; ++n) {
        std::string line = "E LUSAT HI HI 6O";
        for (int group = 0; group < 8; ++group) {
            line += ' ';
            for (int c = 0; c < 3; ++c) {
                line += letters[pick(random)];
            }
        }
        lines.push_back(line);
    }
    return lines;
}

void decodeAndTableRow(benchmark::State& state) {
    const std::vector<std::string> lines = sampleLines();
    VarModul record;
    std::string row;
    std::size_t i = 0;
    for (auto _ : state) {
        const std::optional<DecodedFrame> frame = decode(lines[i++ % lines.size()], record);
        row.clear();
        appendTableRow(row, displayTexts(*frame));
        benchmark::DoNotOptimize(row.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(decodeAndTableRow);

void decodeAndResultText(benchmark::State& state) {
    const std::vector<std::string> lines = sampleLines();
    VarModul record;
    std::size_t i = 0;
    for (auto _ : state) {
        const std::optional<DecodedFrame> frame = decode(lines[i++ % lines.size()], record);
        const auto text = resultTextLines(displayTexts(*frame));
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(decodeAndResultText);

} // namespace
