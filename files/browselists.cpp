// SPDX-License-Identifier: GPL-3.0-or-later
#include "browselists.h"

#include "browsepaths.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>

namespace orvinta {

namespace {

constexpr int kPathRole = Qt::UserRole;
const QString kIndent = QStringLiteral("  ");

} // namespace

DriveList::DriveList(QWidget* parent)
    : QComboBox(parent) {
    connect(this, &QComboBox::currentIndexChanged, this, &DriveList::driveChanged);
}

void DriveList::setDrives(const QStringList& drives) {
    const QSignalBlocker quiet(this);
    clear();
    addItems(drives);
}

QString DriveList::drive() const {
    return currentText();
}

void DriveList::setDrive(const QString& drive) {
    const int index = findText(drive, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        setCurrentIndex(index);
}

DirectoryList::DirectoryList(QWidget* parent)
    : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemDoubleClicked, this, &DirectoryList::open);
}

QString DirectoryList::entryPath(const QListWidgetItem* item) {
    return item->data(kPathRole).toString();
}

bool DirectoryList::setPath(const QString& path) {
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    const QFileInfo info(clean);
    if (!info.isDir() || !info.isReadable())
        return false;
    list(clean);
    if (clean == m_path)
        return true;
    m_path = clean;
    emit pathChanged();
    return true;
}

void DirectoryList::refresh() {
    if (!m_path.isEmpty())
        list(m_path);
}

void DirectoryList::list(const QString& path) {
    const QStringList subdirectories = QDir(path).entryList(
        QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name | QDir::IgnoreCase);

    const QSignalBlocker quiet(this);
    clear();
    QString indent;
    const QStringList chain = pathChain(path);
    for (const QString& directory : chain) {
        const QString name =
            directory == QLatin1String("/") ? directory : QFileInfo(directory).fileName();
        auto* item = new QListWidgetItem(indent + name, this);
        item->setData(kPathRole, directory);
        indent += kIndent;
    }
    setCurrentRow(static_cast<int>(chain.size()) - 1);
    for (const QString& name : subdirectories) {
        auto* item = new QListWidgetItem(indent + name, this);
        item->setData(kPathRole, joinPath(path, name));
    }
}

void DirectoryList::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        currentItem() != nullptr) {
        open(currentItem());
        return;
    }
    QListWidget::keyPressEvent(event);
}

void DirectoryList::open(const QListWidgetItem* item) {
    const QString target = entryPath(item);
    if (setPath(target))
        return;
    refresh();
    emit openFailed(target);
}

FileList::FileList(QWidget* parent)
    : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void FileList::setPath(const QString& path) {
    m_path = path;
    clear();
    // Every ordinary file, names that start with a dot included: ".tlm" is a file name.
    addItems(QDir(path).entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase));
}

void FileList::refresh() {
    const QString selected = fileName();
    const QSignalBlocker quiet(this);
    setPath(m_path);
    if (selected.isEmpty())
        return;
    const QList<QListWidgetItem*> found =
        findItems(selected, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (!found.isEmpty())
        setCurrentItem(found.first());
}

QString FileList::fileName() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

} // namespace orvinta
