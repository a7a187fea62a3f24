// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the program and a bare Qt window alternately and prints the median time from
// process start to the first paint of the main window, and the resident memory then.

#include <QCoreApplication>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Sample {
    double milliseconds = 0;
    double kilobytes = 0;
};

bool run(const QString& program, const QStringList& arguments, Sample* sample) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return false;
    const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 2)
        return false;
    sample->milliseconds = fields[0].toDouble();
    sample->kilobytes = fields[1].toDouble();
    return true;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    struct Probe {
        const char* name;
        QString program;
        QStringList arguments;
        std::vector<double> times;
        std::vector<double> memory;
    };
    std::vector<Probe> probes{
        {"orvinta", QStringLiteral(ORVINTA_PROBE), {}, {}, {}},
        {"bare window", QStringLiteral(BARE_PROBE), {}, {}, {}},
        {"bare window with a label",
         QStringLiteral(BARE_PROBE),
         {QStringLiteral("--label")},
         {},
         {}},
    };
    const int runs = 15;
    // Alternating the probes spreads the machine's other load evenly over them.
    for (int i = 0; i < runs; ++i) {
        for (Probe& probe : probes) {
            Sample sample;
            if (!run(probe.program, probe.arguments, &sample)) {
                std::fprintf(stderr, "%s failed to start or report\n", probe.name);
                return 1;
            }
            probe.times.push_back(sample.milliseconds);
            probe.memory.push_back(sample.kilobytes);
        }
    }
    std::printf("start-up to first paint of the main window (median of %d runs, QPA %s)\n", runs,
                qgetenv("QT_QPA_PLATFORM").constData());
    const double time = median(probes[0].times);
    const double memory = median(probes[0].memory);
    for (const Probe& probe : probes) {
        const double t = median(probe.times);
        const double m = median(probe.memory);
        std::printf("  %-26s %7.1f ms (x%.2f)  %7.0f kB resident (x%.2f)\n", probe.name, t,
                    time / t, m, memory / m);
    }
    return 0;
}
