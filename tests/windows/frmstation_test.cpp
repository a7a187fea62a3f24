// SPDX-License-Identifier: GPL-3.0-or-later
// The station window as the operator uses it, by its keys: callsign and locator typed and
// saved, a position typed by hand, wrong entries refused, and leaving without saving.
#include "windows/frmstation.h"

#include "submission/submissionsettings.h"
#include "support/eventually.h"
#include "support/fakeplatform.h"
#include "support/keys.h"
#include "support/userfolders.h"
#include "windows/frmtelemetrie.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace orvinta {
namespace {

class StationWindow : public testing::Test {
protected:
    void SetUp() override {
        window = main.station();
        ASSERT_TRUE(test::activate(window));
    }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::AltModifier) {
        QTest::keyClick(window->windowHandle(), key, modifiers);
    }
    /// Moves into a box by its access key and types `text` over what it holds.
    void type(Qt::Key key, const QString& text) {
        press(key);
        QTest::keyClick(window->windowHandle(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(window->windowHandle(), Qt::Key_Delete);
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
    static submission::SubmissionSettings saved() { return submission::loadSubmissionSettings(); }

    QTemporaryDir dir;
    test::UserFolders folders{dir.path()};
    test::FakePlatform platform;
    frmTelemetrie main{0};
    frmStation* window = nullptr;
};

TEST_F(StationWindow, KeepsTheCallsignAndTheCentreOfTheLocator) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Station"));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(window->txtServer->text(), QStringLiteral("https://db.satnogs.org/api/telemetry/"));
    type(Qt::Key_R, QStringLiteral("dl1abc"));
    EXPECT_EQ(QApplication::focusWidget(), window->txtRufzeichen);
    type(Qt::Key_L, QStringLiteral("jn58td"));
    EXPECT_EQ(window->txtBreite->text(), QStringLiteral("48.1458"));
    EXPECT_EQ(window->txtLaenge->text(), QStringLiteral("11.6250"));
    press(Qt::Key_S);
    ASSERT_TRUE(test::eventually([&] { return window->isHidden(); }));
    EXPECT_TRUE(platform.messages.empty());

    EXPECT_EQ(saved().callsign, QStringLiteral("DL1ABC"));
    EXPECT_EQ(saved().locator, QStringLiteral("JN58TD"));
    ASSERT_TRUE(saved().position);
    EXPECT_NEAR(saved().position->latitude, 48.1458, 1e-9);
    EXPECT_NEAR(saved().position->longitude, 11.625, 1e-9);
    EXPECT_FALSE(saved().enabled);

    // Opened again, it shows what was saved.
    window->txtRufzeichen->setText(QStringLiteral("typed, not saved"));
    window->hide();
    ASSERT_TRUE(test::activate(window));
    EXPECT_EQ(window->txtRufzeichen->text(), QStringLiteral("DL1ABC"));
    EXPECT_EQ(window->txtLocator->text(), QStringLiteral("JN58TD"));
}

TEST_F(StationWindow, APositionTypedByHandTakesThePlaceOfTheLocator) {
    type(Qt::Key_R, QStringLiteral("DL1ABC"));
    type(Qt::Key_L, QStringLiteral("JN58TD"));
    type(Qt::Key_B, QStringLiteral("48,1374"));
    EXPECT_EQ(window->txtLocator->text(), QString());
    type(Qt::Key_G, QStringLiteral("-11.5761"));
    press(Qt::Key_S);
    ASSERT_TRUE(test::eventually([&] { return window->isHidden(); }));
    ASSERT_TRUE(saved().position);
    EXPECT_DOUBLE_EQ(saved().position->latitude, 48.1374);
    EXPECT_DOUBLE_EQ(saved().position->longitude, -11.5761);
    EXPECT_EQ(saved().locator, QString());
}

struct WrongEntry {
    const char* name; ///< the object name of its box
    Qt::Key key;
    const char* text;
    const char* message;
};

TEST_F(StationWindow, WrongEntriesAreRefusedAndNothingIsSaved) {
    const WrongEntry entries[] = {
        {"txtRufzeichen", Qt::Key_R, "D1",
         "\"D1\" ist kein Rufzeichen (3 bis 20 Buchstaben, Ziffern und \"/\")."},
        {"txtLocator", Qt::Key_L, "JN5", "\"JN5\" ist kein Maidenhead-Locator (wie JN58TD)."},
        {"txtBreite", Qt::Key_B, "95",
         "Die Breite ist eine Zahl von -90 bis 90 (Grad, Nord positiv)."},
        {"txtLaenge", Qt::Key_G, "11°",
         "Die Länge ist eine Zahl von -180 bis 180 (Grad, Ost positiv)."},
        {"txtServer", Qt::Key_V, "ftp://127.0.0.1/",
         "Der Server ist eine http- oder https-Adresse."},
    };
    for (const WrongEntry& entry : entries) {
        SCOPED_TRACE(entry.name);
        type(Qt::Key_R, QStringLiteral("DL1ABC"));
        type(Qt::Key_B, QStringLiteral("48.1374"));
        type(Qt::Key_G, QStringLiteral("11.5761"));
        type(Qt::Key_V, QStringLiteral("https://db.satnogs.org/api/telemetry/"));
        type(entry.key, QString::fromUtf8(entry.text));
        platform.messages.clear();
        ASSERT_TRUE(test::pressAccessKey(window, Qt::Key_S));
        ASSERT_EQ(platform.messageTexts(QStringLiteral("Station")),
                  QStringList{QString::fromUtf8(entry.message)});
        EXPECT_TRUE(window->isVisible());
        // The box to correct has the focus.
        EXPECT_EQ(window->focusWidget()->objectName(), QString::fromLatin1(entry.name));
    }
    EXPECT_FALSE(QFile::exists(submission::settingsFilePath()));
}

TEST_F(StationWindow, AnEmptyWindowClearsTheStation) {
    submission::SubmissionSettings before;
    before.callsign = QStringLiteral("DL1ABC");
    before.position = submission::Position{48.0, 11.0};
    before.server = QStringLiteral("http://127.0.0.1:9/api/telemetry/");
    before.enabled = true;
    QString error;
    ASSERT_TRUE(submission::saveSubmissionSettings(before, &error));
    window->hide();
    ASSERT_TRUE(test::activate(window));
    type(Qt::Key_R, QString());
    type(Qt::Key_B, QString());
    type(Qt::Key_G, QString());
    press(Qt::Key_S);
    ASSERT_TRUE(test::eventually([&] { return window->isHidden(); }));
    EXPECT_FALSE(saved().station());
    EXPECT_TRUE(saved().enabled) << "the switch of the listening window is its own";
}

TEST_F(StationWindow, ASettingsFileThatCannotBeWrittenIsReportedAndTheWindowStays) {
    // A plain file where the settings' folder belongs: not even root can write there.
    QFile blocker(dir.filePath(QStringLiteral("config/orvinta")));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("config"))));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    type(Qt::Key_R, QStringLiteral("DL1ABC"));
    type(Qt::Key_L, QStringLiteral("JN58TD"));
    ASSERT_TRUE(test::pressAccessKey(window, Qt::Key_S));
    EXPECT_EQ(platform.messageTexts(QStringLiteral("Station")),
              QStringList{QStringLiteral("Die Einstellungen konnten nicht gespeichert werden:\n") +
                          submission::settingsFilePath() + QStringLiteral(": nicht schreibbar")});
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(saved().station());
}

TEST_F(StationWindow, CancelLeavesTheSavedStation) {
    type(Qt::Key_R, QStringLiteral("DL1ABC"));
    press(Qt::Key_A);
    ASSERT_TRUE(test::eventually([&] { return window->isHidden(); }));
    EXPECT_FALSE(QFile::exists(submission::settingsFilePath()));
}

TEST_F(StationWindow, TabVisitsTheBoxesThenTheButtons) {
    window->txtRufzeichen->setFocus();
    EXPECT_EQ(test::focusAfterEachPress(window, 7),
              QStringList({"txtLocator", "txtBreite", "txtLaenge", "txtServer", "cmdSpeichern",
                           "cmdAbbrechen", "txtRufzeichen"}));
}

TEST_F(StationWindow, TheMenuEntryOpensItAndWaitsForIt) {
    window->hide();
    bool answered = false;
    auto* poll = new QTimer(window);
    QObject::connect(poll, &QTimer::timeout, window, [&, poll] {
        if (!window->isVisible())
            return;
        poll->stop();
        QTest::keyClick(window->windowHandle(), Qt::Key_A, Qt::AltModifier);
        answered = true;
    });
    poll->start(10);
    main.mnuStation->trigger();
    EXPECT_TRUE(answered);
    EXPECT_TRUE(window->isHidden());
    EXPECT_EQ(main.mnuStation->text(), QStringLiteral("Statio&n ..."));
}

} // namespace
} // namespace orvinta
