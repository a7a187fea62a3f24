// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/userfolders.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    // The user's own settings and journal stay out of the tests.
    const QTemporaryDir folders;
    const orvinta::test::UserFolders userFolders(folders.path());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
