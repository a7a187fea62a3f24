// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The three linked lists of the open dialog: drives, directories and files.

#include <QComboBox>
#include <QListWidget>
#include <QString>
#include <QStringList>

namespace orvinta {

/// The drive list: one entry for each mounted file system, named by its mount point.
class DriveList : public QComboBox {
    Q_OBJECT

public:
    explicit DriveList(QWidget* parent = nullptr);

    void setDrives(const QStringList& drives);
    QString drive() const;
    /// Selects `drive`; an unknown drive changes nothing. Emits driveChanged() when the
    /// selection moves.
    void setDrive(const QString& drive);

signals:
    void driveChanged();
};

/// The directory list: the directories from the root down to the current one, then the
/// current directory's subdirectories, indented. Double-click or Enter opens one.
class DirectoryList : public QListWidget {
    Q_OBJECT

public:
    explicit DirectoryList(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    /// Shows the directory `path`. False, with nothing changed, when it cannot be opened.
    /// Emits pathChanged() when the path is another than before.
    bool setPath(const QString& path);
    /// Lists the current directory anew.
    void refresh();
    /// The directory an entry stands for.
    static QString entryPath(const QListWidgetItem* item);

signals:
    void pathChanged();
    /// An entry could not be opened, for example because it was removed meanwhile.
    void openFailed(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void open(const QListWidgetItem* item);
    void list(const QString& path);

    QString m_path;
};

/// The file list: every ordinary file of one directory, whatever its name.
class FileList : public QListWidget {
    Q_OBJECT

public:
    explicit FileList(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    void setPath(const QString& path);
    /// Lists the directory anew; the selected file stays selected while it exists.
    void refresh();
    /// The selected file's name, empty when none is selected.
    QString fileName() const;

private:
    QString m_path;
};

} // namespace orvinta
