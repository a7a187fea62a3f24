// SPDX-License-Identifier: GPL-3.0-or-later
#include "decodecli.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvinta-decode"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVINTA_VERSION));
    std::ios::sync_with_stdio(false);
    return orvinta::runDecodeCli(QCoreApplication::arguments(), std::cin, std::cout, std::cerr);
}
