// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program as its main() runs it, for the live test that ends it while the
// audio server hangs: opens the window "Empfang", chooses the input device named on the
// command line and says "bereit"; on a line from standard input starts listening with
// Alt+S, waits until the window has told what became of it, says what it told and
// "beende" and ends the program with "Beenden", as the operator would.
#include "listening/frmempfang.h"
#include "listening/listensession.h"

#include "support/fakeplatform.h"
#include "windowkit/application.h"
#include "windows/frmtelemetrie.h"

#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include <iostream>
#include <string>

namespace {

/// Runs `step` every few milliseconds until it returns true.
void every(QObject* context, std::function<bool()> step) {
    auto* timer = new QTimer(context);
    QObject::connect(timer, &QTimer::timeout, context, [timer, step] {
        if (step())
            timer->deleteLater();
    });
    timer->start(10);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    orvinta::prepareApplication();
    const QString device = QString::fromLocal8Bit(argv[argc - 1]);
    orvinta::test::FakePlatform platform;
    int code = 0;
    {
        orvinta::frmTelemetrie main(0);
        main.mnuHoeren->trigger();
        orvinta::frmEmpfang* window = main.empfang();
        const auto press = [window](Qt::Key key) {
            QTest::keyClick(window->windowHandle(), key, Qt::AltModifier);
        };
        every(window, [&] {
            if (window->cboGeraet->findText(device, Qt::MatchContains) < 0)
                return false;
            press(Qt::Key_G);
            std::cout << "bereit" << std::endl;
            std::string line;
            std::getline(std::cin, line);
            press(Qt::Key_S);
            every(window, [&] {
                if (platform.messages.empty())
                    return false;
                std::cout << platform.messages.front().text.toStdString() << "\nbeende"
                          << std::endl;
                main.mnuBeenden->trigger();
                return true;
            });
            return true;
        });
        code = QApplication::exec();
    }
    return orvinta::listening::exitCodeUnlessThreadsHang(code);
}
