// SPDX-License-Identifier: GPL-3.0-or-later
// How long a table of 100 000 rows takes to open and plot: reading it, opening it in the
// history window until the window has painted, and writing its charts as a picture.
// Prints the median of several runs. Runs offscreen unless a platform is named.

#include "charts/chartexport.h"
#include "charts/frmverlauf.h"
#include "formats/resultformats.h"
#include "history/historyframes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using namespace orvinta;

constexpr int kRows = 100'000;
constexpr int kRuns = 7;
/// A frame every 25 seconds, as the beacon sends them: 100 000 rows are some 29 days.
constexpr auto kFrameInterval = std::chrono::seconds(25);

/// A telemetry group of three cut-number characters for a raw value 0..999.
std::string group(int value) {
    static const char* const kCutNumbers = "TAUV4E6BDN";
    return {kCutNumbers[value / 100], kCutNumbers[value / 10 % 10], kCutNumbers[value % 10]};
}

/// The frame of row `i`: every channel wanders slowly, as over passes and seasons.
std::string frameLine(int i) {
    std::string line = "E LUSAT HI HI 6O";
    for (int k = 0; k < 8; ++k) {
        const double phase = i / (300.0 + 70.0 * k);
        line += ' ' + group(100 + k * 10 + static_cast<int>(60 * (1 + std::sin(phase))));
    }
    return line;
}

QByteArray tableBytes() {
    const UtcTime start = parseIsoTime("2026-12-07T14:05:00Z").time.value();
    std::string content = timedTableHeader() + "\r\n";
    for (int i = 0; i < kRows; ++i) {
        const std::optional<history::HistoryFrame> frame =
            history::frameFromLine(std::nullopt, frameLine(i));
        appendTimedTableRow(content, formatIsoTime(start + i * kFrameInterval), frame->texts);
        content += "\r\n";
    }
    return QByteArray::fromStdString(content);
}

double medianMs(const std::function<void()>& step) {
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        step();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("table.txt"));
    const QByteArray bytes = tableBytes();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }

    history::HistoryTable table;
    const double read = medianMs([&] {
        std::string error;
        history::loadTable(QFile::encodeName(path).toStdString(), &table, &error);
    });
    frmVerlauf window;
    window.show();
    const double opened = medianMs([&] {
        window.openTable(path);
        window.grab(); // paints the window with its four charts
    });
    const double png = medianMs([&] {
        QString error;
        history::writePicture(dir.filePath(QStringLiteral("table.png")), history::kPictureSize,
                              table, history::fullView(table), &error);
    });
    std::printf("Tabelle mit %d Zeilen (%.1f MB), Median aus %d Läufen:\n", kRows,
                static_cast<double>(bytes.size()) / 1e6, kRuns);
    std::printf("  lesen und zerlegen:                   %7.1f ms\n", read);
    std::printf("  im Verlauf öffnen und zeichnen:       %7.1f ms\n", opened);
    std::printf("  als PNG 1200x1600 schreiben:          %7.1f ms\n", png);
    return window.table().size() == static_cast<std::size_t>(kRows) ? 0 : 1;
}
