// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmopen.h"

#include "browselists.h"
#include "browsepaths.h"
#include "filemessages.h"
#include "telemetryload.h"
#include "windowkit/controls.h"
#include "windowkit/platformservices.h"
#include "windowkit/twips.h"

#include <QDir>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace orvinta {

frmOpen::frmOpen(QLineEdit* txtEingabe, const DriveSource& drives, QWidget* parent)
    : QWidget(parent, fixedDialogFlags())
    , m_txtEingabe(txtEingabe)
    , m_drives(drives()) {
    setObjectName(QStringLiteral("frmOpen"));
    setWindowTitle(QStringLiteral("Öffnen"));
    setProgramIcon(this);
    createControls();

    // The lists start at the process's working directory.
    Laufwerk->setDrives(m_drives);
    if (!Dir->setPath(QDir::currentPath()))
        Dir->setPath(QDir::rootPath());
    Dir_Change();

    connect(Laufwerk, &DriveList::driveChanged, this, &frmOpen::Laufwerk_Change);
    connect(Dir, &DirectoryList::pathChanged, this, &frmOpen::Dir_Change);
    connect(Dir, &DirectoryList::openFailed, this, &frmOpen::directoryOpenFailed);
    connect(Datei, &QListWidget::itemSelectionChanged, this, &frmOpen::Datei_Click);
    connect(Datei, &QListWidget::itemClicked, this, &frmOpen::Datei_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmOpen::cmdOK_Click);
    connect(cmdAbbruch, &QPushButton::clicked, this, &frmOpen::cmdAbbruch_Click);
    connect(mnüHinweis, &QAction::triggered, this, &frmOpen::mnüHinweis_Click);
}

frmOpen::DriveSource frmOpen::mountedDriveSource() {
    return mountedDrives;
}

void frmOpen::createControls() {
    menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("menuBar"));
    menuBar->setNativeMenuBar(false);
    mnüHinweis = menuBar->addAction(QStringLiteral("&Hinweis"));
    mnüHinweis->setObjectName(QStringLiteral("mnüHinweis"));

    // The controls sit in the client area below the menu bar.
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(twipsSize(5112, 3852));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar);
    layout->addWidget(client);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    Laufwerk = new DriveList(client);
    placeControl(Laufwerk, "Laufwerk", {480, 240, 2055, 288});
    Dir = new DirectoryList(client);
    placeControl(Dir, "Dir", {480, 960, 2055, 1800});
    Datei = new FileList(client);
    placeControl(Datei, "Datei", {2760, 240, 2055, 2568});

    const QFont font = this->font();
    cmdOK = makeButton(client, "cmdOK", QStringLiteral("&Okay"), {840, 3120, 1215, 375}, font);
    cmdAbbruch =
        makeButton(client, "cmdAbbruch", QStringLiteral("&Abbruch"), {3240, 3120, 1215, 375}, font);

    setTabChain({cmdAbbruch, cmdOK, Datei, Dir, Laufwerk});
    cmdAbbruch->setFocus();
}

void frmOpen::showEvent(QShowEvent* event) {
    // Files may have come or gone while the dialog was hidden; the lists show the
    // folders as they are now and keep their selection.
    Dir->refresh();
    Datei->refresh();
    QWidget::showEvent(event);
}

void frmOpen::Laufwerk_Change() {
    const QString drive = Laufwerk->drive();
    // A drive's current directory is the one the directory list shows while it is on
    // that drive, otherwise the drive's top directory.
    const QString target = driveOf(Dir->path(), m_drives) == drive ? Dir->path() : drive;
    if (Dir->setPath(target))
        return;
    showMessage(this, kDriveUnavailableMessage);
    // Setting the drive back is a drive change of its own: it runs this handler once more
    // for the restored drive, which the directory list is still on.
    Laufwerk->setDrive(driveOf(Dir->path(), m_drives));
}

void frmOpen::Dir_Change() {
    Datei->setPath(Dir->path());
    // Opening a directory can lead onto another file system; the drive list follows
    // without that counting as a drive change.
    const QSignalBlocker quiet(Laufwerk);
    Laufwerk->setDrive(driveOf(Dir->path(), m_drives));
}

void frmOpen::Datei_Click() {
    const QString name = Datei->fileName();
    if (!name.isEmpty())
        Dateipfad = joinPath(Datei->path(), name);
}

void frmOpen::cmdOK_Click() {
    const LoadResult result = loadTelemetryFile(Dateipfad);
    if (!result.loaded) {
        showMessage(this, result.message);
        return;
    }
    if (!m_txtEingabe.isNull())
        m_txtEingabe->setText(result.text);
    hide();
}

void frmOpen::cmdAbbruch_Click() {
    hide();
}

void frmOpen::mnüHinweis_Click() {
    showMessage(this, kHintMessage, kHintTitle);
}

void frmOpen::directoryOpenFailed(const QString& path) {
    showMessage(this, directoryUnavailableMessage(path));
}

} // namespace orvinta
