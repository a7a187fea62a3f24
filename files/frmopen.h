// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

class QAction;
class QLineEdit;
class QMenuBar;
class QPushButton;

namespace orvinta {

class DirectoryList;
class DriveList;
class FileList;

/// The open dialog: the operator picks a telemetry file in three linked lists, and
/// "&Okay" puts its content into the main window's input line. Browsing never changes the
/// process's working directory.
class frmOpen : public QWidget {
    Q_OBJECT

public:
    /// Gives the drives of the drive list; tests pass their own.
    using DriveSource = std::function<QStringList()>;

    /// `txtEingabe` is the main window's input line, which "&Okay" replaces.
    explicit frmOpen(QLineEdit* txtEingabe, const DriveSource& drives = mountedDriveSource(),
                     QWidget* parent = nullptr);

    static DriveSource mountedDriveSource();

    QMenuBar* menuBar;
    QAction* mnüHinweis;
    DriveList* Laufwerk;
    DirectoryList* Dir;
    FileList* Datei;
    QPushButton* cmdOK;
    QPushButton* cmdAbbruch;

    /// The full path of the file last selected in the file list; empty until then.
    QString Dateipfad;

    // moc reads no identifiers with umlauts, so this handler is not declared a slot;
    // connect() takes it by pointer all the same.
    void mnüHinweis_Click();

public slots:
    void Laufwerk_Change();
    void Dir_Change();
    void Datei_Click();
    void cmdOK_Click();
    void cmdAbbruch_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void directoryOpenFailed(const QString& path);

    QPointer<QLineEdit> m_txtEingabe;
    QStringList m_drives;
};

} // namespace orvinta
