// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmtelemetrie.h"
#include "listening/listensession.h"
#include "windowkit/application.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvinta"));
    // The program ends through its exit commands or by closing the main window, not when
    // the last other window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    orvinta::prepareApplication();

    int code = 0;
    {
        orvinta::frmTelemetrie window;
        window.Form_Load();
        code = QApplication::exec();
    }
    return orvinta::listening::exitCodeUnlessThreadsHang(code);
}
