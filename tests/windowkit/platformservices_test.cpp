// SPDX-License-Identifier: GPL-3.0-or-later
// The platform's own dialogs as the program shows them: German, and no icon on a button.
#include "files/filemessages.h"
#include "support/qtprinters.h"
#include "windowkit/application.h"
#include "windowkit/platformservices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
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

/// Longer than any answer by key takes, even under sanitizers.
constexpr int kAnswerTimeoutMs = 10000;

TEST(PlatformDialogs, AQuestionSaysJaAndNeinAndOnlyJaIsYes) {
    const QStringList buttons = buttonsOfModalDialog([] {
        EXPECT_FALSE(platform().askYesNo(nullptr, QStringLiteral("Ersetzen?"), kFileNameTitle))
            << "closing the question is Nein";
    });
    EXPECT_EQ(buttons, (QStringList{"Ja", "Nein"}));

    // The operator answers by the keyboard: Enter takes the default, Alt+J says yes.
    const std::pair<Qt::Key, bool> answers[] = {
        {Qt::Key_Return, false}, {Qt::Key_Escape, false}, {Qt::Key_J, true}, {Qt::Key_N, false}};
    for (const auto& [key, yes] : answers) {
        QTimer::singleShot(0, [key = key] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            // A key that does not answer fails the test instead of leaving the box open.
            QTimer::singleShot(kAnswerTimeoutMs, dialog, [dialog] { dialog->close(); });
            dialog->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
            const bool access = key == Qt::Key_J || key == Qt::Key_N;
            QTest::keyClick(dialog->windowHandle(), key, access ? Qt::AltModifier : Qt::NoModifier);
        });
        EXPECT_EQ(platform().askYesNo(nullptr, QStringLiteral("Ersetzen?"), kFileNameTitle), yes)
            << key;
    }
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

TEST(PlatformDialogs, FailureReasonsStayGermanOnADesktopInAnotherLanguage) {
    // The C library reads LANGUAGE before LC_MESSAGES; an English desktop sets it.
    qputenv("LANGUAGE", "en_GB:en");
    prepareApplication();
    EXPECT_FALSE(qEnvironmentVariableIsSet("LANGUAGE"));
    QTemporaryDir dir;
    QFile directory(dir.path());
    ASSERT_FALSE(directory.open(QIODevice::WriteOnly));
    EXPECT_EQ(directory.errorString(), QStringLiteral("Ist ein Verzeichnis"));
}

} // namespace
} // namespace orvinta
