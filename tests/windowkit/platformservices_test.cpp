// SPDX-License-Identifier: GPL-3.0-or-later
// The platform's own dialogs as the program shows them: German, and no icon on a button.
#include "files/filemessages.h"
#include "support/qtprinters.h"
#include "windowkit/platformservices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QStyle>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace orvinta {
namespace {

/// The texts of the buttons of the modal dialog that `show` opens, read while it is open;
/// the dialog is then closed. Fails the test for any button that carries an icon.
QStringList buttonsOfModalDialog(const std::function<void()>& show) {
    QStringList texts;
    QTimer::singleShot(0, [&texts] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        // Desktop themes ask for stock icons on dialog buttons; the offscreen platform of
        // the tests does not, so the style's answer is what keeps them off elsewhere.
        EXPECT_EQ(dialog->style()->styleHint(QStyle::SH_DialogButtonBox_ButtonsHaveIcons, nullptr,
                                             dialog),
                  0);
        for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
            texts << button->text().remove(u'&');
            EXPECT_TRUE(button->icon().isNull()) << button->text().toStdString();
        }
        dialog->close();
    });
    show();
    return texts;
}

TEST(PlatformDialogs, TheFileNamePromptSaysOkAndAbbrechen) {
    const QStringList buttons = buttonsOfModalDialog([] {
        EXPECT_EQ(platform().askText(nullptr, kFileNamePrompt, kFileNameTitle, kFileNamePreset),
                  QString())
            << "closing the prompt is Cancel";
    });
    EXPECT_EQ(buttons, (QStringList{"OK", "Abbrechen"}));
}

TEST(PlatformDialogs, AMessageBoxHasOneOkButtonWithoutIcon) {
    const QStringList buttons =
        buttonsOfModalDialog([] { showMessage(nullptr, kNoFileNameMessage); });
    EXPECT_EQ(buttons, QStringList{"OK"});
}

TEST(PlatformDialogs, FailureReasonsComeOutInGerman) {
    QTemporaryDir dir;
    // A reason Qt words itself, and one that comes from the C library.
    QFile missing(dir.filePath(QStringLiteral("fehlt.tlm")));
    ASSERT_FALSE(missing.open(QIODevice::ReadOnly));
    QFile directory(dir.path());
    ASSERT_FALSE(directory.open(QIODevice::WriteOnly));
    for (QFile* file : {&missing, &directory}) {
        const QString message = readFailedMessage(file->fileName(), file->errorString());
        SCOPED_TRACE(message.toStdString());
        EXPECT_FALSE(message.contains(QStringLiteral("No such file")));
        EXPECT_FALSE(message.contains(QStringLiteral("Is a directory")));
    }
    EXPECT_TRUE(readFailedMessage(missing.fileName(), missing.errorString())
                    .endsWith(QStringLiteral("konnte nicht gefunden werden.")));
    EXPECT_TRUE(writeFailedMessage(directory.fileName(), directory.errorString())
                    .endsWith(QStringLiteral("Ist ein Verzeichnis.")));
}

} // namespace
} // namespace orvinta
