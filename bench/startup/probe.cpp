// SPDX-License-Identifier: GPL-3.0-or-later
#include "probe.h"

#include "tools/procstatus/residentmemory.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>

#include <cstdio>
#include <ctime>

namespace orvinta::bench {

namespace {

/// Milliseconds since the process started, from the kernel's start time in jiffies.
double millisecondsSinceProcessStart() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // Field 22 (start time) follows the command name in parentheses.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble();
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double ticksPerSecond = 100.0; // USER_HZ on Linux
    return (static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9 -
            startTicks / ticksPerSecond) *
           1000.0;
}

class FirstPaintWatcher : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_reported) {
            m_reported = true;
            std::printf("%.1f %ld\n", millisecondsSinceProcessStart(), residentKilobytes());
            std::fflush(stdout);
            std::_Exit(0);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_reported = false;
};

} // namespace

void reportFirstPaint(QWidget* window) {
    window->installEventFilter(new FirstPaintWatcher(window));
}

} // namespace orvinta::bench
