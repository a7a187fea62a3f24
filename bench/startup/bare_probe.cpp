// SPDX-License-Identifier: GPL-3.0-or-later
// A bare Qt main window built the same way, as the yardstick for the program's start-up.
// With "--label" the window shows one line of text, so that it loads a font as every
// window with text must.
#include "probe.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setFixedSize(513, 328);
    if (QApplication::arguments().contains(QStringLiteral("--label")))
        window.setCentralWidget(new QLabel(QStringLiteral("LUSAT OSCAR 19"), &window));
    orvinta::bench::reportFirstPaint(&window);
    window.show();
    return QApplication::exec();
}
