// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/frmspeichern.h"

#include "decoder/decoder.h"
#include "filetestsupport.h"
#include "support/fakeplatform.h"
#include "support/keys.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace orvinta {
namespace {

using test::contentOf;
using test::expectedFile;
using test::put;

DisplayTexts decoded(std::string_view line) {
    VarModul record;
    return displayTexts(*decode(line, record));
}

const QByteArray kSampleRow =
    "6;OK; 4.892308; 10.944; 3.7878; 947.282044887781; 7.832; 119; .3; 8.68\r\n";

class TableExport : public test::ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        shown = decoded("E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE");
        dialog = std::make_unique<frmSpeichern>([this] { return shown; });
        dialog->show();
    }

    /// Shows the dialog again, as the menu command does, and presses "&Speichern".
    void save() {
        dialog->show();
        QTest::mouseClick(dialog->cmdSpeichern, Qt::LeftButton);
    }

    test::FakePlatform platform;
    DisplayTexts shown;
    std::unique_ptr<frmSpeichern> dialog;
};

TEST_F(TableExport, HasItsTextsPresetsAndTabOrder) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Speichern"));
    EXPECT_EQ(dialog->lblText1->text(), QStringLiteral("Bitte geben sie einen Dateinamen ein:"));
    EXPECT_EQ(
        dialog->lblText2->text(),
        QStringLiteral("Möchten Sie eine neue Tabelle beginnen, oder eine vorhandene verlängern?"));
    EXPECT_EQ(dialog->txtDateiname->text(), QStringLiteral("Telemetrie00"));
    EXPECT_EQ(dialog->optNeueTabelle->text(), QStringLiteral("Eine neue Tabelle beginnen"));
    EXPECT_EQ(dialog->optalteTabelle->text(), QStringLiteral("eine vorhandene Tabelle verlängern"));
    EXPECT_TRUE(dialog->optNeueTabelle->isChecked());
    EXPECT_FALSE(dialog->optalteTabelle->isChecked());
    EXPECT_EQ(dialog->cmdSpeichern->text(), QStringLiteral("&Speichern"));
    EXPECT_EQ(dialog->cmdAbbruch->text(), QStringLiteral("&Abbrechen"));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());

    // Choosing one option clears the other.
    dialog->optalteTabelle->click();
    EXPECT_FALSE(dialog->optNeueTabelle->isChecked());
}

TEST_F(TableExport, TheOptionGroupIsOneTabStopEnteredAtTheChosenOption) {
    ASSERT_TRUE(test::activate(dialog.get()));
    EXPECT_EQ(QApplication::focusWidget(), dialog->optNeueTabelle);
    EXPECT_EQ(test::focusAfterEachPress(dialog.get(), 5),
              (QStringList{"txtDateiname", "cmdSpeichern", "cmdAbbruch", "optNeueTabelle",
                           "txtDateiname"}));
    // An arrow key chooses the other option; the group is then entered there.
    EXPECT_EQ(test::focusAfterEachPress(dialog.get(), 1, Qt::Key_Backtab, Qt::ShiftModifier),
              QStringList{"optNeueTabelle"});
    EXPECT_EQ(test::focusAfterEachPress(dialog.get(), 1, Qt::Key_Down),
              QStringList{"optalteTabelle"});
    EXPECT_TRUE(dialog->optalteTabelle->isChecked());
    EXPECT_EQ(test::focusAfterEachPress(dialog.get(), 4),
              (QStringList{"txtDateiname", "cmdSpeichern", "cmdAbbruch", "optalteTabelle"}));
}

TEST_F(TableExport, TheFirstExportStartsATableAndTheNextExtendsIt) {
    save();
    EXPECT_EQ(contentOf(path("Telemetrie00.txt")), expectedFile("sample-table.txt"));
    EXPECT_FALSE(dialog->isVisible());

    shown = decoded("E LUSAT HI HI 6X AVT AXA AU4 AD4 AA4 ABT TTU AEE");
    dialog->optalteTabelle->click();
    save();
    EXPECT_EQ(contentOf(path("Telemetrie00.txt")), expectedFile("sample-table-extended.txt"));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(platform.messageTexts(), QStringList());
}

TEST_F(TableExport, ANewTableReplacesAnOldOneEvenTheSecondTime) {
    put(path("Telemetrie00.txt"), expectedFile("sample-table-extended.txt"));
    save();
    save();
    EXPECT_EQ(contentOf(path("Telemetrie00.txt")), expectedFile("sample-table.txt"));
}

TEST_F(TableExport, TheMainWindowsNewTableReplacesWithoutAsking) {
    put(path("Telemetrie00.txt"), expectedFile("sample-table-extended.txt"));
    ASSERT_TRUE(test::activate(dialog.get()));
    ASSERT_TRUE(test::pressAccessKey(dialog.get(), Qt::Key_S));
    EXPECT_TRUE(platform.questions.empty());
    EXPECT_EQ(contentOf(path("Telemetrie00.txt")), expectedFile("sample-table.txt"));
}

/// The table export of frames heard: timed rows, and a question before a table with
/// rows is replaced.
class HeardFramesExport : public test::ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        const TableExportRow row{"2026-12-07T14:05:00Z",
                                 decoded("E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE")};
        dialog = std::make_unique<frmSpeichern>(
            TimedRowSource([row] { return std::vector<TableExportRow>{row}; }),
            frmSpeichern::Replacing::AfterAsking);
        dialog->show();
        ASSERT_TRUE(test::activate(dialog.get()));
    }

    void save() { ASSERT_TRUE(test::pressAccessKey(dialog.get(), Qt::Key_S)); }

    test::FakePlatform platform;
    std::unique_ptr<frmSpeichern> dialog;
    const QByteArray timedTable = "Zeit (UTC);" + expectedFile("sample-table.txt").split('\r')[0] +
                                  "\r\n2026-12-07T14:05:00Z;" + kSampleRow;
};

TEST_F(HeardFramesExport, NoKeepsATableWithRowsUntouchedAndTheDialogOpen) {
    put(path("Telemetrie00.txt"), expectedFile("sample-table-extended.txt"));
    platform.yesNoAnswers = {false};
    save();
    ASSERT_EQ(platform.questions.size(), 1U);
    EXPECT_EQ(platform.questions[0].text,
              QStringLiteral("Die Tabelle Telemetrie00.txt enthält schon 2 Zeilen.\n"
                             "Soll eine neue Tabelle sie ersetzen?"));
    EXPECT_EQ(platform.questions[0].title, QStringLiteral("Speichern"));
    EXPECT_EQ(contentOf(path("Telemetrie00.txt")), expectedFile("sample-table-extended.txt"));
    EXPECT_TRUE(dialog->isVisible()) << "open to extend the table instead";

    // Extending asks nothing and keeps the table's columns.
    QTest::keyClick(dialog->optNeueTabelle, Qt::Key_Down);
    save();
    EXPECT_EQ(platform.questions.size(), 1U);
    EXPECT_EQ(contentOf(path("Telemetrie00.txt")),
              expectedFile("sample-table-extended.txt") + kSampleRow);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(HeardFramesExport, YesReplacesAndATableWithoutRowsIsReplacedWithoutAsking) {
    const QByteArray oneRow = expectedFile("sample-table.txt");
    put(path("Telemetrie00.txt"), oneRow);
    platform.yesNoAnswers = {true};
    save();
    ASSERT_EQ(platform.questions.size(), 1U);
    EXPECT_TRUE(platform.questions[0].text.contains(QStringLiteral("enthält schon 1 Zeile.")))
        << platform.questions[0].text.toStdString();
    EXPECT_EQ(contentOf(path("Telemetrie00.txt")), timedTable);

    for (const QByteArray& empty :
         {QByteArray(), expectedFile("sample-table.txt").split('\r')[0]}) {
        put(path("Telemetrie00.txt"), empty);
        dialog->show();
        ASSERT_TRUE(test::activate(dialog.get()));
        save();
        EXPECT_EQ(platform.questions.size(), 1U);
        EXPECT_EQ(contentOf(path("Telemetrie00.txt")), timedTable);
    }
}

TEST_F(TableExport, ExtendingAMissingTableWritesTheRowAlone) {
    dialog->optalteTabelle->click();
    save();
    EXPECT_EQ(contentOf(path("Telemetrie00.txt")), kSampleRow);
}

TEST_F(TableExport, TheExtensionIsCompletedButTheBoxKeepsTheName) {
    struct Case {
        QString typed;
        QString file;
    };
    const Case cases[] = {
        {"a.txt", "a.txt"}, {"b.TXT", "b.TXT"}, {"c.Txt", "c.Txt.txt"}, {"d", "d.txt"}};
    for (const Case& c : cases) {
        dialog->txtDateiname->setText(c.typed);
        save();
        EXPECT_EQ(contentOf(path(c.file)), expectedFile("sample-table.txt"))
            << c.file.toStdString();
        EXPECT_EQ(dialog->txtDateiname->text(), c.typed);
    }
    EXPECT_EQ(entries().size(), 4);
}

TEST_F(TableExport, NothingDecodedIsReportedAndTheDialogStaysOpen) {
    shown = DisplayTexts{};
    save();
    EXPECT_EQ(platform.messageTexts(), QStringList{"Fehler 4: Nichts zum Speichern vorhandem"});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(entries(), QStringList());

    QTest::mouseClick(dialog->cmdAbbruch, Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(TableExport, AnEmptyNameIsReportedAndClosesTheDialog) {
    dialog->txtDateiname->clear();
    save();
    EXPECT_EQ(platform.messageTexts(), QStringList{"Fehler 3: Kein Dateiname"});
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(entries(), QStringList());
}

TEST_F(TableExport, AFailedWriteIsReportedAndTheDialogStaysOpenForAnotherName) {
    ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("folder.txt")));
    put(path("plain.txt"), expectedFile("sample-table.txt"));
    const struct {
        QString name;
        bool extend;
    } cases[] = {
        {"folder", false}, {"folder", true}, {"plain.txt/t", false}, {"plain.txt/t", true}};
    for (const auto& c : cases) {
        (c.extend ? dialog->optalteTabelle : dialog->optNeueTabelle)->click();
        dialog->txtDateiname->setText(c.name);
        save();
        ASSERT_FALSE(platform.messages.empty());
        EXPECT_TRUE(platform.messages.back().text.startsWith(
            QStringLiteral("Die Datei %1.txt kann nicht gespeichert werden:\n").arg(c.name)))
            << platform.messages.back().text.toStdString();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->txtDateiname->text(), c.name);
    }
    EXPECT_EQ(platform.messages.size(), 4U);
    EXPECT_EQ(entries(), (QStringList{"folder.txt", "plain.txt"}));
    EXPECT_EQ(contentOf(path("plain.txt")), expectedFile("sample-table.txt"));
}

TEST_F(TableExport, EnterAndEscapePressNoButton) {
    test::pressEnterAndEscapeOn({dialog->txtDateiname, dialog->cmdSpeichern, dialog->cmdAbbruch});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(entries(), QStringList());
}

TEST_F(TableExport, TheNextShowingKeepsNameAndOption) {
    dialog->txtDateiname->setText(QStringLiteral("Messreihe"));
    dialog->optalteTabelle->click();
    QTest::mouseClick(dialog->cmdAbbruch, Qt::LeftButton);
    dialog->show();
    EXPECT_EQ(dialog->txtDateiname->text(), QStringLiteral("Messreihe"));
    EXPECT_TRUE(dialog->optalteTabelle->isChecked());
    EXPECT_EQ(entries(), QStringList());
}

} // namespace
} // namespace orvinta
