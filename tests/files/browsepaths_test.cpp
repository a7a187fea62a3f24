// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/browsepaths.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace orvinta {
namespace {

struct JoinCase {
    const char* directory;
    const char* name;
    const char* joined;
};

TEST(BrowsePaths, JoinsWithOneSlashAndNoneAfterARoot) {
    const JoinCase cases[] = {
        {"/work/data", "frame.tlm", "/work/data/frame.tlm"},
        {"/", "frame.tlm", "/frame.tlm"},
        {"/media/usb/", "frame.TLM", "/media/usb/frame.TLM"},
        {"/work", ".tlm", "/work/.tlm"},
    };
    for (const JoinCase& c : cases) {
        EXPECT_EQ(joinPath(QString::fromUtf8(c.directory), QString::fromUtf8(c.name)),
                  QString::fromUtf8(c.joined))
            << c.directory << " + " << c.name;
    }
}

struct DriveCase {
    const char* path;
    const char* drive;
};

TEST(BrowsePaths, TheDriveOfAPathIsTheLongestMountPointItLiesIn) {
    const QStringList drives{"/", "/work", "/work/data", "/media/usb"};
    const DriveCase cases[] = {
        {"/", "/"},
        {"/etc", "/"},
        {"/work", "/work"},
        {"/work/x", "/work"},
        {"/work/data/2024", "/work/data"},
        {"/workshop", "/"},
        {"/work/database", "/work"},
        {"/media/usb", "/media/usb"},
        {"/media", "/"},
    };
    for (const DriveCase& c : cases)
        EXPECT_EQ(driveOf(QString::fromUtf8(c.path), drives), QString::fromUtf8(c.drive)) << c.path;

    EXPECT_EQ(driveOf(QStringLiteral("/etc"), {"/work"}), QString()) << "on no known drive";
}

TEST(BrowsePaths, ThePathChainRunsFromTheRootDown) {
    EXPECT_EQ(pathChain(QStringLiteral("/")), QStringList{"/"});
    EXPECT_EQ(pathChain(QStringLiteral("/work")), (QStringList{"/", "/work"}));
    EXPECT_EQ(pathChain(QStringLiteral("/work/data/2024")),
              (QStringList{"/", "/work", "/work/data", "/work/data/2024"}));
}

TEST(BrowsePaths, MountedDrivesAreDirectoriesAndIncludeTheRoot) {
    const QStringList drives = mountedDrives();
    EXPECT_TRUE(drives.contains(QStringLiteral("/")));
    for (const QString& drive : drives)
        EXPECT_TRUE(QFileInfo(drive).isDir()) << drive.toStdString();
}

} // namespace
} // namespace orvinta
