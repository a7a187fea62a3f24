// SPDX-License-Identifier: GPL-3.0-or-later
#include "guitestrun.h"

#include "userfolders.h"
#include "windowkit/application.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace orvinta::test {

int runGuiTests(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    prepareApplication();
    // The user's own settings stay out of the tests: a station and the switch to submit
    // saved there must never send a test's frames to the community.
    const QTemporaryDir folders;
    const UserFolders userFolders(folders.path());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

} // namespace orvinta::test
