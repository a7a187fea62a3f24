// SPDX-License-Identifier: GPL-3.0-or-later
#include "cwcli.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvinta-cw"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVINTA_VERSION));
    std::ios::sync_with_stdio(false);
    return orvinta::cw::runCwCli(QCoreApplication::arguments(), std::cout, std::cerr);
}
