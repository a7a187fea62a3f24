// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program's start-up up to the first paint of its main window.
#include "probe.h"
#include "windowkit/application.h"
#include "windows/frmtelemetrie.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    orvinta::prepareApplication();
    orvinta::frmTelemetrie window;
    orvinta::bench::reportFirstPaint(&window);
    window.Form_Load();
    return QApplication::exec();
}
