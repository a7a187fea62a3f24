// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/frmopen.h"

#include "files/browselists.h"
#include "files/filemessages.h"
#include "filetestsupport.h"
#include "support/fakeplatform.h"
#include "support/keys.h"

#include <QAction>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace orvinta {
namespace {

using test::put;

const QString kPreset = QStringLiteral("E LUSAT HI HI ");

QStringList itemTexts(const QListWidget* list) {
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text().trimmed();
    return texts;
}

/// The open dialog on a scratch folder that is the working directory:
///   .tlm  bad.Tlm  empty.tlm  frame.tlm  notes  two.txt  sub/inner.TLM  sub2/
class OpenDialog : public test::ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        put(path(".tlm"), "dot\r\n");
        put(path("bad.Tlm"), "bad\r\n");
        put(path("empty.tlm"), "");
        put(path("frame.tlm"), "E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE\r\n");
        put(path("notes"), "notes\r\n");
        put(path("two.txt"), "first\r\nsecond\r\n");
        ASSERT_TRUE(QDir(scratch.path()).mkpath("sub"));
        ASSERT_TRUE(QDir(scratch.path()).mkpath("sub2"));
        put(path("sub/inner.TLM"), "inner\r\n");

        start = QDir::currentPath();
        drives = {QStringLiteral("/"), start, start + QStringLiteral("/gone")};
        txtEingabe.setText(kPreset);
        dialog = std::make_unique<frmOpen>(&txtEingabe, [this] { return drives; });
        dialog->show();
    }

    QListWidgetItem* item(QListWidget* list, const QString& text) {
        for (int row = 0; row < list->count(); ++row) {
            if (list->item(row)->text().trimmed() == text)
                return list->item(row);
        }
        ADD_FAILURE() << "no entry " << text.toStdString();
        return nullptr;
    }

    void clickFile(const QString& name) {
        QListWidget* list = dialog->Datei;
        list->scrollToItem(item(list, name));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(item(list, name)).center());
    }

    void openDirectory(const QString& name) { doubleClick(dialog->Dir, name); }

    /// A double-click as the mouse gives it: press and release, then the second press.
    void doubleClick(QListWidget* list, const QString& name) {
        list->scrollToItem(item(list, name));
        const QPoint centre = list->visualItemRect(item(list, name)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    }

    test::FakePlatform platform;
    QString start;
    QStringList drives;
    QLineEdit txtEingabe;
    std::unique_ptr<frmOpen> dialog;
};

TEST_F(OpenDialog, HasItsCaptionsTabOrderAndNoDefaultButton) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Öffnen"));
    EXPECT_EQ(dialog->cmdOK->text(), QStringLiteral("&Okay"));
    EXPECT_EQ(dialog->cmdAbbruch->text(), QStringLiteral("&Abbruch"));
    EXPECT_EQ(dialog->menuBar->actions(), QList<QAction*>{dialog->mnüHinweis});
    EXPECT_EQ(dialog->mnüHinweis->text(), QStringLiteral("&Hinweis"));
    EXPECT_EQ(dialog->mnüHinweis->menu(), nullptr) << "a command, not a menu";
    EXPECT_EQ(dialog->findChild<QAction*>(QStringLiteral("mnüHinweis")), dialog->mnüHinweis);
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    EXPECT_FALSE(dialog->cmdOK->isDefault() || dialog->cmdOK->autoDefault());
    EXPECT_FALSE(dialog->cmdAbbruch->isDefault() || dialog->cmdAbbruch->autoDefault());

    ASSERT_TRUE(test::activate(dialog.get()));
    EXPECT_EQ(QApplication::focusWidget(), dialog->cmdAbbruch);
    EXPECT_EQ(test::focusAfterEachPress(dialog.get(), 5),
              (QStringList{"cmdOK", "Datei", "Dir", "Laufwerk", "cmdAbbruch"}));
}

TEST_F(OpenDialog, StartsAtTheWorkingDirectoryWithEveryFile) {
    EXPECT_EQ(dialog->Laufwerk->drive(), start);
    EXPECT_EQ(dialog->Laufwerk->count(), 3);
    EXPECT_EQ(dialog->Dir->path(), start);
    EXPECT_EQ(dialog->Datei->path(), start);
    EXPECT_EQ(itemTexts(dialog->Datei),
              (QStringList{".tlm", "bad.Tlm", "empty.tlm", "frame.tlm", "notes", "two.txt"}));

    // The directory list shows the path from the root down, then the subdirectories.
    const QStringList entries = itemTexts(dialog->Dir);
    const QStringList chain = start.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    ASSERT_EQ(entries.size(), chain.size() + 3);
    EXPECT_EQ(entries.first(), QStringLiteral("/"));
    EXPECT_EQ(entries.mid(1, chain.size()), chain);
    EXPECT_EQ(entries.mid(chain.size() + 1), (QStringList{"sub", "sub2"}));
    EXPECT_EQ(dialog->Dir->currentRow(), chain.size()) << "the current directory is marked";
    EXPECT_TRUE(dialog->Dateipfad.isEmpty());
}

TEST_F(OpenDialog, OkayWithoutAFileSaysNoneIsSelected) {
    dialog->cmdOK->click();
    ASSERT_EQ(platform.messages.size(), 1U);
    EXPECT_EQ(platform.messages[0].text, QStringLiteral("Keine Datei ausgewählt"));
    EXPECT_EQ(platform.messages[0].title, QStringLiteral("Orvinta"));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(txtEingabe.text(), kPreset);
}

TEST_F(OpenDialog, OkayRefusesNamesWithOtherEndings) {
    for (const QString& name : {QStringLiteral("bad.Tlm"), QStringLiteral("notes")}) {
        clickFile(name);
        EXPECT_EQ(dialog->Dateipfad, start + QLatin1Char('/') + name);
        dialog->cmdOK->click();
        EXPECT_EQ(platform.messages.back().text,
                  QStringLiteral("Orvinta kann nur tlm- und txt-Dateien lesen"));
        EXPECT_TRUE(dialog->isVisible());
    }
    EXPECT_EQ(platform.messages.size(), 2U);
    EXPECT_EQ(txtEingabe.text(), kPreset);
}

TEST_F(OpenDialog, OkayPutsTheFileIntoTheInputLineAndHides) {
    struct Case {
        QString file;
        QString line;
    };
    const Case cases[] = {
        {"frame.tlm", "E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE"},
        {"two.txt", "first\r\nsecond"},
        {".tlm", "dot"},
    };
    for (const Case& c : cases) {
        dialog->show();
        txtEingabe.setText(QStringLiteral("something the operator typed"));
        clickFile(c.file);
        dialog->cmdOK->click();
        EXPECT_EQ(txtEingabe.text(), c.line) << c.file.toStdString();
        EXPECT_FALSE(dialog->isVisible());
    }
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(OpenDialog, AnEmptyOrVanishedFileLeavesTheInputLineAndTheDialogOpen) {
    clickFile(QStringLiteral("empty.tlm"));
    dialog->cmdOK->click();
    EXPECT_EQ(platform.messages.back().text, emptyFileMessage(path("empty.tlm")));

    clickFile(QStringLiteral("frame.tlm"));
    ASSERT_TRUE(QFile::remove(path("frame.tlm")));
    dialog->cmdOK->click();
    EXPECT_TRUE(platform.messages.back().text.startsWith(
        QStringLiteral("Die Datei %1 kann nicht gelesen werden:\n").arg(path("frame.tlm"))));

    EXPECT_EQ(platform.messages.size(), 2U);
    EXPECT_EQ(txtEingabe.text(), kPreset);
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(OpenDialog, DoubleClickingAFileOnlySelectsIt) {
    doubleClick(dialog->Datei, QStringLiteral("frame.tlm"));
    EXPECT_EQ(dialog->Dateipfad, path("frame.tlm"));
    EXPECT_EQ(txtEingabe.text(), kPreset);
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(OpenDialog, OkayLoadsTheFileLastClickedEvenInAnotherDirectory) {
    clickFile(QStringLiteral("frame.tlm"));
    openDirectory(QStringLiteral("sub"));
    EXPECT_EQ(dialog->Dir->path(), path("sub"));
    EXPECT_EQ(dialog->Datei->path(), path("sub"));
    EXPECT_EQ(itemTexts(dialog->Datei), QStringList{"inner.TLM"});
    EXPECT_EQ(QDir::currentPath(), start) << "browsing leaves the working directory alone";

    dialog->cmdOK->click();
    EXPECT_EQ(txtEingabe.text(),
              QStringLiteral("E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE"));
}

TEST_F(OpenDialog, OpeningADirectoryOfThePathGoesBackUp) {
    openDirectory(QStringLiteral("sub"));
    openDirectory(QFileInfo(start).fileName());
    EXPECT_EQ(dialog->Dir->path(), start);
    EXPECT_EQ(itemTexts(dialog->Datei).size(), 6);
    EXPECT_EQ(dialog->Laufwerk->drive(), start);

    openDirectory(QStringLiteral("/"));
    EXPECT_EQ(dialog->Dir->path(), QStringLiteral("/"));
    EXPECT_EQ(dialog->Laufwerk->drive(), QStringLiteral("/")) << "the drive list follows";
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(OpenDialog, ADirectoryRemovedAfterListingIsReported) {
    ASSERT_TRUE(QDir(path("sub2")).removeRecursively());
    openDirectory(QStringLiteral("sub2"));
    ASSERT_EQ(platform.messages.size(), 1U);
    EXPECT_EQ(platform.messages[0].text, directoryUnavailableMessage(path("sub2")));
    EXPECT_EQ(dialog->Dir->path(), start);
    EXPECT_FALSE(itemTexts(dialog->Dir).contains(QStringLiteral("sub2"))) << "listed anew";
}

TEST_F(OpenDialog, ChoosingADriveShowsItsTopDirectory) {
    openDirectory(QStringLiteral("sub"));
    dialog->Laufwerk->setDrive(QStringLiteral("/"));
    EXPECT_EQ(dialog->Dir->path(), QStringLiteral("/"));
    EXPECT_EQ(dialog->Datei->path(), QStringLiteral("/"));

    dialog->Laufwerk->setDrive(start);
    EXPECT_EQ(dialog->Dir->path(), start);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(OpenDialog, ADriveThatCannotBeOpenedSaysSoAndTheDriveListReturns) {
    openDirectory(QStringLiteral("sub"));
    dialog->Laufwerk->setDrive(start + QStringLiteral("/gone"));

    ASSERT_EQ(platform.messages.size(), 1U);
    EXPECT_EQ(platform.messages[0].text, QStringLiteral("Laufwerk nich verfügbar!"));
    EXPECT_EQ(platform.messages[0].title, QStringLiteral("Orvinta"));
    EXPECT_EQ(dialog->Laufwerk->drive(), start);
    EXPECT_EQ(dialog->Dir->path(), path("sub")) << "the directory list stays where it was";
    EXPECT_EQ(dialog->Datei->path(), path("sub"));
}

TEST_F(OpenDialog, HinweisTellsWhichFilesToLoad) {
    dialog->mnüHinweis->trigger();
    ASSERT_EQ(platform.messages.size(), 1U);
    EXPECT_EQ(platform.messages[0].text,
              QStringLiteral("--- BITTE NUR TLM- UND TXT-DATEIEN LADEN ---"));
    EXPECT_EQ(platform.messages[0].title, QStringLiteral("Hinweis"));
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(OpenDialog, AbbruchHidesAndLoadsNothing) {
    clickFile(QStringLiteral("frame.tlm"));
    dialog->cmdAbbruch->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(txtEingabe.text(), kPreset);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(OpenDialog, EnterAndEscapePressNoButton) {
    clickFile(QStringLiteral("frame.tlm"));
    test::pressEnterAndEscapeOn({dialog->cmdOK, dialog->cmdAbbruch, dialog->Datei});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(txtEingabe.text(), kPreset);
}

TEST_F(OpenDialog, TheNextShowingKeepsThePlaceAndListsNewFiles) {
    openDirectory(QStringLiteral("sub"));
    clickFile(QStringLiteral("inner.TLM"));
    dialog->hide();
    put(path("sub/later.tlm"), "later\r\n");

    dialog->show();
    EXPECT_EQ(dialog->Dir->path(), path("sub"));
    EXPECT_EQ(itemTexts(dialog->Datei), (QStringList{"inner.TLM", "later.tlm"}));
    EXPECT_EQ(dialog->Datei->fileName(), QStringLiteral("inner.TLM"));
    EXPECT_EQ(dialog->Dateipfad, path("sub/inner.TLM"));
}

} // namespace
} // namespace orvinta
