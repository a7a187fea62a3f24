// SPDX-License-Identifier: GPL-3.0-or-later
// The file commands and the group-wise input as the operator reaches them: through the
// main window's menus.
#include "dialogs/frmboxeingabe.h"
#include "files/browselists.h"
#include "files/frmopen.h"
#include "files/frmspeichern.h"
#include "filetestsupport.h"
#include "support/eventually.h"
#include "support/fakeplatform.h"
#include "support/outputvalues.h"
#include "windows/frmausgabe.h"
#include "windows/frmtelemetrie.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace orvinta {
namespace {

using test::contentOf;
using test::expectedFile;
using test::kSampleFrame;

const QStringList kSampleValues{
    "6",      "OK",   " 4.892308", " 10.944", " 3.7878", " 947.282044887781",
    " 7.832", " 119", " .3",       " 8.68"};

class FileMenu : public test::ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        window = std::make_unique<frmTelemetrie>(10);
        window->Form_Load();
    }

    QStringList values() { return test::shownValues(window->ausgabe()); }

    /// Chooses `item` and runs `act` inside the modal window that `dialog` gives. True when
    /// that window was shown as the application's modal window.
    bool whileShown(QAction* item, const std::function<QWidget*()>& dialog,
                    const std::function<void()>& act) {
        bool modal = false;
        QTimer::singleShot(0, [&] {
            QWidget* shown = dialog();
            modal = shown->isVisible() && QApplication::activeModalWidget() == shown;
            act();
        });
        item->trigger();
        return modal;
    }

    void loadThroughTheOpenDialog(const QString& name) {
        frmOpen* dialog = window->openDialog();
        const QList<QListWidgetItem*> found = dialog->Datei->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        dialog->Datei->setCurrentItem(found.first());
        dialog->cmdOK->click();
    }

    test::FakePlatform platform;
    std::unique_ptr<frmTelemetrie> window;
};

TEST_F(FileMenu, ASavedFrameReloadsAndDecodesToTheSameResults) {
    window->txtEingabe->setText(kSampleFrame);
    platform.answers = {QStringLiteral("Telemetrie00")};
    window->mnuEingabeSpeichern->trigger();
    EXPECT_EQ(contentOf(path("Telemetrie00.tlm")), expectedFile("sample-input.tlm"));

    window->mnuEingabe->trigger();
    ASSERT_EQ(window->txtEingabe->text(), QStringLiteral("E LUSAT HI HI "));

    EXPECT_TRUE(whileShown(
        window->mnuOpen, [this] { return window->openDialog(); },
        [this] { loadThroughTheOpenDialog(QStringLiteral("Telemetrie00.tlm")); }));
    EXPECT_FALSE(window->openDialog()->isVisible());
    EXPECT_EQ(window->txtEingabe->text(), kSampleFrame) << "exactly the saved line";
    EXPECT_EQ(values(), QStringList(10, QString())) << "loading does not decode";

    window->cmdOK->click();
    EXPECT_EQ(values(), kSampleValues);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(FileMenu, TheShownResultsAreSavedAsTextAndAsTable) {
    window->txtEingabe->setText(kSampleFrame);
    window->cmdOK->click();

    platform.answers = {QStringLiteral("Telemetrie00")};
    window->mnuSpeichern->trigger();
    EXPECT_EQ(contentOf(path("Telemetrie00.txt")), expectedFile("sample-result.txt"));

    EXPECT_TRUE(whileShown(
        window->mnuSpeichernText, [this] { return window->speichern(); },
        [this] {
            window->speichern()->txtDateiname->setText(QStringLiteral("Tabelle"));
            window->speichern()->cmdSpeichern->click();
        }));
    EXPECT_FALSE(window->speichern()->isVisible());
    EXPECT_EQ(contentOf(path("Tabelle.txt")), expectedFile("sample-table.txt"));
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(FileMenu, AfterAusgabeLeerenThereIsNothingToSave) {
    window->txtEingabe->setText(kSampleFrame);
    window->cmdOK->click();
    window->mnuNeu->trigger();

    window->mnuSpeichern->trigger();
    whileShown(
        window->mnuSpeichernText, [this] { return window->speichern(); },
        [this] {
            window->speichern()->cmdSpeichern->click();
            window->speichern()->cmdAbbruch->click();
        });
    ASSERT_EQ(platform.messages.size(), 2U);
    EXPECT_EQ(platform.messages[0].text,
              QStringLiteral("Fehler 4: Nichts zum Speichern vorhandem"));
    EXPECT_EQ(platform.messages[1].text,
              QStringLiteral("Fehler 4: Nichts zum Speichern vorhandem"));
    EXPECT_TRUE(platform.prompts.empty());
    EXPECT_EQ(entries(), QStringList());
}

TEST_F(FileMenu, TheGroupDialogFillsTheInputLineWithoutDecoding) {
    EXPECT_TRUE(whileShown(
        window->mnubEingabe, [this] { return window->boxEingabe(); },
        [this] {
            const QStringList groups{"6O", "AVT", "ABA", "AU4", "AD4", "AA4", "ABT", "TTU", "AEE"};
            const auto boxes = window->boxEingabe()->boxes();
            for (std::size_t i = 0; i < boxes.size(); ++i)
                QTest::keyClicks(boxes[i], groups[static_cast<qsizetype>(i)]);
            window->boxEingabe()->cmdOK->click();
        }));
    EXPECT_EQ(window->txtEingabe->text(), kSampleFrame);
    EXPECT_FALSE(window->boxEingabe()->isVisible());
    EXPECT_EQ(values(), QStringList(10, QString()));
}

TEST_F(FileMenu, DialogsClosedThroughTheirFrameComeBackAsNew) {
    window->openDialog()->Dateipfad = QStringLiteral("/somewhere/frame.tlm");
    window->speichern()->txtDateiname->setText(QStringLiteral("Messreihe"));
    window->boxEingabe()->txt1->setText(QStringLiteral("6O"));
    for (QWidget* dialog :
         {static_cast<QWidget*>(window->openDialog()), static_cast<QWidget*>(window->speichern()),
          static_cast<QWidget*>(window->boxEingabe())}) {
        QPointer<QWidget> guard(dialog);
        dialog->show();
        dialog->close();
        EXPECT_TRUE(test::eventually([&] { return guard.isNull(); }));
    }
    EXPECT_TRUE(window->openDialog()->Dateipfad.isEmpty());
    EXPECT_EQ(window->speichern()->txtDateiname->text(), QStringLiteral("Telemetrie00"));
    EXPECT_TRUE(window->boxEingabe()->txt1->text().isEmpty());
    EXPECT_EQ(window->txtEingabe->text(), QStringLiteral("E LUSAT HI HI "));
}

} // namespace
} // namespace orvinta
