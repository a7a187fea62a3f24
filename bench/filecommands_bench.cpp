// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the file commands on large tables: loading, saving, starting a new table over
// an existing one, and extending tables of growing size (which must not grow with them).
#include "decoder/decoder.h"
#include "files/filesaving.h"
#include "files/telemetryload.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace orvinta;

constexpr int kTableRows = 100000;
const QString kSampleFrame = QStringLiteral("E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE");

DisplayTexts sampleTexts() {
    VarModul record;
    return displayTexts(*decode("E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE", record));
}

/// Writes a table of `rows` rows to `path` and returns its size in bytes.
qint64 writeTable(const QString& path, qint64 rows) {
    const DisplayTexts texts = sampleTexts();
    const QByteArray row = tableContent(texts, false);
    QByteArray content = tableContent(texts, true);
    content.reserve(content.size() + rows * row.size());
    for (qint64 n = 1; n < rows; ++n)
        content += row;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return -1;
    return content.size();
}

void check(benchmark::State& state, bool ok, const QString& message) {
    if (!ok)
        state.SkipWithError(message.toStdString().c_str());
}

/// "&Okay" on a telemetry file of one frame.
void loadFrameFile(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("frame.tlm"));
    check(state, saveInputFile(path, kSampleFrame).saved, QStringLiteral("cannot save"));
    for (auto _ : state) {
        const LoadResult result = loadTelemetryFile(path);
        benchmark::DoNotOptimize(result.text.data());
    }
}
BENCHMARK(loadFrameFile)->Unit(benchmark::kMicrosecond)->UseRealTime();

/// "&Okay" on a table of 100 000 rows saved as .txt: refused as larger than 64 KiB
/// after reading no more than that.
void loadTableFile(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("table.txt"));
    state.counters["bytes"] = static_cast<double>(writeTable(path, kTableRows));
    for (auto _ : state) {
        const LoadResult result = loadTelemetryFile(path);
        check(state, !result.loaded, QStringLiteral("a table is no telemetry file"));
    }
}
BENCHMARK(loadTableFile)->Unit(benchmark::kMicrosecond)->UseRealTime();

/// Times `save` replacing a file named `name` the size of a table of 100 000 rows.
template <typename Save> void replaceTable(benchmark::State& state, const char* name, Save save) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(name));
    for (auto _ : state) {
        state.PauseTiming();
        writeTable(path, kTableRows);
        state.ResumeTiming();
        const SaveResult result = save(path);
        check(state, result.saved, result.message);
    }
}

/// "E&ingabe Speichern".
void saveInputOverTable(benchmark::State& state) {
    replaceTable(state, "Telemetrie00.tlm",
                 [](const QString& path) { return saveInputFile(path, kSampleFrame); });
}
BENCHMARK(saveInputOverTable)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);

/// "Ausgabe &Speichern (Text)".
void saveResultOverTable(benchmark::State& state) {
    const DisplayTexts texts = sampleTexts();
    replaceTable(state, "Telemetrie00.txt",
                 [&](const QString& path) { return saveResultFile(path, texts); });
}
BENCHMARK(saveResultOverTable)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);

/// The table export with "Eine neue Tabelle beginnen".
void exportNewTableOverTable(benchmark::State& state) {
    const DisplayTexts texts = sampleTexts();
    replaceTable(state, "Telemetrie00.txt", [&](const QString& path) {
        return exportTableRow(path, TableMode::NewTable, texts);
    });
}
BENCHMARK(exportNewTableOverTable)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);

/// The table export with "eine vorhandene Tabelle verlängern" on a table of
/// state.range(0) rows; the table is cut back to that size between the exports.
void extendTable(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Telemetrie00.txt"));
    const qint64 size = writeTable(path, state.range(0));
    const DisplayTexts texts = sampleTexts();
    for (auto _ : state) {
        const SaveResult result = exportTableRow(path, TableMode::ExtendTable, texts);
        check(state, result.saved, result.message);
        state.PauseTiming();
        QFile::resize(path, size);
        state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(state.range(0));
}
BENCHMARK(extendTable)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

} // namespace
