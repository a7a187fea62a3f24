// SPDX-License-Identifier: GPL-3.0-or-later
#include "browsepaths.h"

#include <QFileInfo>
#include <QStorageInfo>

namespace orvinta {

namespace {

bool liesIn(const QString& path, const QString& drive) {
    if (drive.endsWith(QLatin1Char('/')))
        return path.startsWith(drive);
    return path == drive || (path.startsWith(drive) && path.at(drive.size()) == QLatin1Char('/'));
}

} // namespace

QStringList mountedDrives() {
    QStringList drives;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        // Some systems mount single files (such as /etc/hosts) over others: not a drive.
        if (volume.isValid() && QFileInfo(root).isDir())
            drives.append(root);
    }
    drives.sort();
    drives.removeDuplicates();
    return drives;
}

QString driveOf(const QString& path, const QStringList& drives) {
    QString best;
    for (const QString& drive : drives) {
        if (liesIn(path, drive) && drive.size() > best.size())
            best = drive;
    }
    return best;
}

QString joinPath(const QString& directory, const QString& fileName) {
    if (directory.endsWith(QLatin1Char('/')))
        return directory + fileName;
    return directory + QLatin1Char('/') + fileName;
}

QStringList pathChain(const QString& path) {
    QStringList chain;
    QString current = path;
    while (!current.isEmpty()) {
        chain.prepend(current);
        if (current == QLatin1String("/"))
            break;
        const qsizetype slash = current.lastIndexOf(QLatin1Char('/'));
        current = slash <= 0 ? QStringLiteral("/") : current.left(slash);
    }
    return chain;
}

} // namespace orvinta
