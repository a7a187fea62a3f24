// SPDX-License-Identifier: GPL-3.0-or-later
#include "plotcli.h"

#include <QApplication>

#include <iostream>

int main(int argc, char* argv[]) {
    // The charts are drawn without a screen: scripts and web servers have none, and a
    // desktop's screen would change nothing in the picture.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvinta-plot"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVINTA_VERSION));
    return orvinta::history::runPlotCli(QCoreApplication::arguments(), std::cout, std::cerr);
}
