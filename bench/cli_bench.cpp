// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

constexpr int kLines = 1000000;

/// orvinta-decode end to end, as a separate process, on a file of one million frames.
void decodeCliMillionLines(benchmark::State& state) {
    QTemporaryDir dir;
    const std::string input = dir.filePath("log.txt").toStdString();
    {
        std::ofstream log(input, std::ios::binary);
        for (int n = 0; n < kLines; ++n) {
            log << "E LUSAT HI HI " << n % 10 << "O AVT ABA AU4 AD4 AA4 ABT TTU AEE\r\n";
        }
    }
    const std::string command = std::string("'") + ORVINTA_DECODE_BINARY + "' '" + input + "' > '" +
                                dir.filePath("rows.txt").toStdString() + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("orvinta-decode failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(decodeCliMillionLines)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
