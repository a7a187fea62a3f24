// SPDX-License-Identifier: GPL-3.0-or-later
// Saves a picture of each window of the program into a folder, for the documentation.
// Run it through scripts/screenshots, which starts it on a virtual X display.

#include "charts/frmverlauf.h"
#include "dialogs/frmabout.h"
#include "dialogs/frmboxeingabe.h"
#include "dialogs/frminfo.h"
#include "dialogs/frmintro.h"
#include "dialogs/frmlo19.h"
#include "files/frmopen.h"
#include "files/frmspeichern.h"
#include "listening/frmempfang.h"
#include "listening/listensession.h"
#include "recording.h"
#include "windowkit/application.h"
#include "windows/frmausgabe.h"
#include "windows/frmstation.h"
#include "windows/frmtelemetrie.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

namespace {

bool save(QWidget* window, const QDir& folder, const QString& name) {
    window->show();
    QApplication::processEvents();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    const bool ok = window->grab().save(path);
    QTextStream(stderr) << (ok ? "saved " : "cannot save ") << path << '\n';
    return ok;
}

/// The station window with a station typed in.
bool saveStation(orvinta::frmTelemetrie& main, const QDir& folder) {
    orvinta::frmStation* window = main.station();
    window->show();
    window->txtRufzeichen->setText(QStringLiteral("DL1ABC"));
    window->txtLocator->setText(QStringLiteral("JN58TD"));
    window->txtLocator_Change();
    return save(window, folder, QStringLiteral("station"));
}

/// The listening window after it decoded a recording of a short pass.
bool saveListening(orvinta::frmTelemetrie& main, const QDir& folder) {
    QTemporaryDir work;
    const QString recording = work.filePath(QStringLiteral("pass_2026-12-07T14-05-00.wav"));
    if (!orvinta::screenshots::writePassRecording(recording))
        return false;
    orvinta::frmEmpfang* window = main.empfang();
    window->show();
    window->txtDatei->setText(recording);
    window->cmdStart->click();
    while (window->session()->isRunning())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return save(window, folder, QStringLiteral("empfang"));
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // The program's own dialog font, as the desktop program sets it.
    orvinta::prepareApplication();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2) {
        QTextStream(stderr) << "usage: orvinta-screenshots FOLDER\n";
        return 2;
    }
    const QDir folder(arguments[1]);
    // Settings of the program's own, not the user's: the pictures show the windows as a
    // new user sees them.
    const QTemporaryDir userFolders;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(userFolders.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(userFolders.filePath(QStringLiteral("data"))));

    using orvinta::frmTelemetrie;
    frmTelemetrie main(500);
    bool ok = true;
    QTimer::singleShot(100,
                       [&] { ok = save(main.intro(), folder, QStringLiteral("intro")) && ok; });
    main.Form_Load();

    main.txtEingabe->setText(QStringLiteral("E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE"));
    main.cmdOK->click();
    ok = save(&main, folder, QStringLiteral("main-window")) && ok;
    ok = save(main.ausgabe(), folder, QStringLiteral("output-window")) && ok;
    ok = save(main.info(), folder, QStringLiteral("info")) && ok;
    ok = save(main.lo19(), folder, QStringLiteral("lo19")) && ok;
    ok = save(main.about(), folder, QStringLiteral("about")) && ok;
    ok = save(main.openDialog(), folder, QStringLiteral("open")) && ok;
    ok = save(main.speichern(), folder, QStringLiteral("speichern")) && ok;
    // A frame half typed into the group boxes.
    main.boxEingabe()->txt1->setText(QStringLiteral("6O"));
    main.boxEingabe()->txt2->setText(QStringLiteral("AVT"));
    main.boxEingabe()->txt3->setText(QStringLiteral("ABA"));
    ok = save(main.boxEingabe(), folder, QStringLiteral("boxeingabe")) && ok;
    // A pass of 36 frames, two of them with a channel that could not be read.
    ok = main.verlauf()->openTable(QStringLiteral(ORVINTA_SAMPLE_PASS)) && ok;
    ok = save(main.verlauf(), folder, QStringLiteral("verlauf")) && ok;
    ok = saveStation(main, folder) && ok;
    ok = saveListening(main, folder) && ok;
    return ok ? 0 : 1;
}
