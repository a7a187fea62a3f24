// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Paths for the open dialog's drive and directory lists. On this platform the drives are
// the mounted file systems, named by their mount points.

#include <QString>
#include <QStringList>

namespace orvinta {

/// The mount points of the mounted file systems, sorted.
QStringList mountedDrives();

/// The drive in `drives` that holds `path`: the longest mount point that `path` lies in.
/// Empty when none does.
QString driveOf(const QString& path, const QStringList& drives);

/// `directory` and `fileName` joined by "/"; a directory that already ends in "/" (a
/// root) gets no second one.
QString joinPath(const QString& directory, const QString& fileName);

/// The directories from the root down to `path` itself: "/", "/work", "/work/data".
QStringList pathChain(const QString& path);

} // namespace orvinta
