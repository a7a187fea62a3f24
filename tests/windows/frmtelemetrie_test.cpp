// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/frmtelemetrie.h"

#include "decoder/varmodul.h"
#include "dialogs/frmabout.h"
#include "dialogs/frminfo.h"
#include "dialogs/frmintro.h"
#include "dialogs/frmlo19.h"
#include "support/eventually.h"
#include "support/fakeplatform.h"
#include "support/keys.h"
#include "support/outputvalues.h"
#include "windowkit/twips.h"
#include "windows/frmausgabe.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace orvinta {
namespace {

constexpr int kShortIntroMs = 20;
const QString kSampleFrame = QStringLiteral("E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE");

/// A started program: main window, output window, the splash gone.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<frmTelemetrie>(kShortIntroMs);
        window->Form_Load();
    }

    void typeAndDecode(const QString& line) {
        window->txtEingabe->clear();
        QTest::keyClicks(window->txtEingabe, line);
        QTest::mouseClick(window->cmdOK, Qt::LeftButton);
    }

    QStringList values() { return test::shownValues(window->ausgabe()); }

    test::FakePlatform platform;
    std::unique_ptr<frmTelemetrie> window;
};

TEST_F(MainWindowTest, StartUpShowsBothWindowsAndResetsTheRecordAfterTheSplash) {
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->ausgabe()->isVisible());
    EXPECT_FALSE(window->intro()->isVisible());
    EXPECT_EQ(window->AusgabeStatus, QStringLiteral("an"));
    EXPECT_EQ(window->cmdAusgabe->text(), QStringLiteral("&Ausgabe aus"));
    EXPECT_EQ(window->txtEingabe->text(), QStringLiteral("E LUSAT HI HI "));
    EXPECT_EQ(window->focusWidget(), window->txtEingabe);
    EXPECT_EQ(values(), QStringList(10, QString()));
}

TEST(MainWindowStartUp, ResetsFlagsValuesAndGroupsOnlyOnceTheSplashHasGone) {
    VarModul& record = frameRecord();
    record.Wert(0) = 6;
    record.Wert(3) = 42;
    record.FehlerFlag(2) = 1;
    record.Gruppe(8) = "1?3";
    record.Ergebnis(1) = " 1";

    frmTelemetrie window(kShortIntroMs);
    bool resetBeforeSplashEnded = true;
    bool bothWindowsShownUnderTheSplash = false;
    // Runs at the splash's timer tick, right after the splash has hidden itself.
    QObject::connect(window.intro()->tmrclose, &QTimer::timeout, [&] {
        resetBeforeSplashEnded = record.Wert(3) == 0;
        bothWindowsShownUnderTheSplash = window.isVisible() && window.ausgabe()->isVisible();
    });
    window.Form_Load();

    EXPECT_TRUE(bothWindowsShownUnderTheSplash);
    EXPECT_FALSE(resetBeforeSplashEnded);
    EXPECT_EQ(record.Wert(3), 0.0f);
    EXPECT_EQ(record.FehlerFlag(2), 0);
    EXPECT_EQ(record.Gruppe(8), "");
    EXPECT_EQ(record.Wert(0), 6.0f) << "the block number is not part of the reset";
    EXPECT_EQ(record.Ergebnis(1), " 1") << "the result texts are not part of the reset";
}

TEST_F(MainWindowTest, DecodesTheSampleFrameIntoTheOutputWindow) {
    // The operator types the frame behind the preset prefix.
    window->txtEingabe->end(false);
    QTest::keyClicks(window->txtEingabe, kSampleFrame.mid(14));
    QTest::mouseClick(window->cmdOK, Qt::LeftButton);
    EXPECT_EQ(window->txtEingabe->text(), kSampleFrame);
    EXPECT_EQ(values(), (QStringList{"6", "OK", " 4.892308", " 10.944", " 3.7878",
                                     " 947.282044887781", " 7.832", " 119", " .3", " 8.68"}));
    EXPECT_EQ(window->ausgabe()->lblStatus->palette().color(QPalette::WindowText),
              QColor(0, 192, 0));
    EXPECT_EQ(window->focusWidget(), window->txtEingabe);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(MainWindowTest, ShowsFalseInRedAndFehlerForMalformedGroups) {
    typeAndDecode(QStringLiteral("e lusat hi hi 6x avt aba au4 ad4 aa4 abt ttu aeX"));
    const QStringList texts = values();
    EXPECT_EQ(texts[1], QStringLiteral("FALSE"));
    EXPECT_EQ(texts[9], QStringLiteral("FEHLER"));
    EXPECT_EQ(window->ausgabe()->lblStatus->palette().color(QPalette::WindowText),
              QColor(192, 0, 0));
}

TEST_F(MainWindowTest, EmptyInputReportsFehler1AndLeavesTheOutputAsItWas) {
    typeAndDecode(kSampleFrame);
    const QStringList before = values();

    window->txtEingabe->clear();
    window->cmdOK_Click();

    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, QStringLiteral("Fehler 1: Eingabe fehlt"));
    EXPECT_EQ(platform.messages[0].title, QStringLiteral("Orvinta"));
    EXPECT_EQ(values(), before);
    EXPECT_EQ(window->focusWidget(), window->txtEingabe);
}

TEST_F(MainWindowTest, BlanksOnlyAreDecodedNotReportedAsEmpty) {
    window->txtEingabe->setText(QStringLiteral("   "));
    window->cmdOK_Click();
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(values()[1], QStringLiteral("FALSE"));
}

TEST_F(MainWindowTest, ToggleHidesAndShowsTheOutputWindowUnchanged) {
    typeAndDecode(kSampleFrame);
    const QStringList decoded = values();

    window->cmdAusgabe->click();
    EXPECT_FALSE(window->ausgabe()->isVisible());
    EXPECT_EQ(window->cmdAusgabe->text(), QStringLiteral("Ausgabe an"));
    EXPECT_EQ(window->AusgabeStatus, QStringLiteral("aus"));

    window->cmdAusgabe->click();
    EXPECT_TRUE(window->ausgabe()->isVisible());
    EXPECT_EQ(window->cmdAusgabe->text(), QStringLiteral("Ausgabe aus"));
    EXPECT_EQ(window->AusgabeStatus, QStringLiteral("an"));
    EXPECT_EQ(values(), decoded);
}

TEST_F(MainWindowTest, DecodingAfterTheOutputWindowWasClosedFillsANewHiddenOne) {
    typeAndDecode(kSampleFrame);
    QPointer<frmAusgabe> first = window->ausgabe();
    first->close();
    EXPECT_TRUE(test::eventually([&] { return first.isNull(); }));
    EXPECT_EQ(window->existingAusgabe(), nullptr);

    typeAndDecode(kSampleFrame);
    frmAusgabe* second = window->existingAusgabe();
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(second->isVisible());
    EXPECT_EQ(second->lblO1->text(), QStringLiteral("6"));

    // The main window was not told: the next press only turns the caption.
    window->cmdAusgabe->click();
    EXPECT_FALSE(second->isVisible());
    EXPECT_EQ(window->cmdAusgabe->text(), QStringLiteral("Ausgabe an"));
    window->cmdAusgabe->click();
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(second->lblO1->text(), QStringLiteral("6"));
}

TEST_F(MainWindowTest, TogglingAClosedOutputWindowCreatesAnEmptyOne) {
    typeAndDecode(kSampleFrame);
    QPointer<frmAusgabe> first = window->ausgabe();
    first->close();
    EXPECT_TRUE(test::eventually([&] { return first.isNull(); }));

    window->cmdAusgabe->click(); // "an" -> hides a newly created window
    window->cmdAusgabe->click(); // shows it, empty
    ASSERT_NE(window->existingAusgabe(), nullptr);
    EXPECT_TRUE(window->existingAusgabe()->isVisible());
    EXPECT_EQ(values(), QStringList(10, QString()));
}

TEST_F(MainWindowTest, EingabeLeerenRestoresThePrefixAndLeavesTheOutputAsItIs) {
    typeAndDecode(kSampleFrame);
    const QStringList decoded = values();
    for (const QString& content : {QString(), kSampleFrame, QStringLiteral("xyz")}) {
        window->txtEingabe->setText(content);
        window->cmdOK->setFocus();
        window->mnuEingabe->trigger();
        EXPECT_EQ(window->txtEingabe->text(), QStringLiteral("E LUSAT HI HI "));
        EXPECT_EQ(window->focusWidget(), window->txtEingabe);
        EXPECT_EQ(values(), decoded);
        EXPECT_TRUE(window->ausgabe()->isVisible());
    }
}

TEST_F(MainWindowTest, AusgabeLeerenEmptiesTheValuesButKeepsColourAndVisibility) {
    typeAndDecode(kSampleFrame);
    window->mnuNeu->trigger();
    EXPECT_EQ(values(), QStringList(10, QString()));
    EXPECT_TRUE(window->ausgabe()->isVisible());
    EXPECT_EQ(window->ausgabe()->lblStatus->palette().color(QPalette::WindowText),
              QColor(0, 192, 0));
}

TEST_F(MainWindowTest, AusgabeLeerenOnAHiddenWindowKeepsItHidden) {
    typeAndDecode(kSampleFrame);
    window->cmdAusgabe->click();
    window->mnuNeu->trigger();
    EXPECT_FALSE(window->ausgabe()->isVisible());
    EXPECT_EQ(window->AusgabeStatus, QStringLiteral("aus"));
    window->cmdAusgabe->click();
    EXPECT_TRUE(window->ausgabe()->isVisible());
    EXPECT_EQ(values(), QStringList(10, QString()));
}

TEST_F(MainWindowTest, EnterAndEscapePressNoButton) {
    window->txtEingabe->setText(kSampleFrame);
    test::pressEnterAndEscapeOn({window->txtEingabe, window->cmdOK});
    EXPECT_EQ(values(), QStringList(10, QString()));
    EXPECT_TRUE(window->isVisible());
}

/// The main window, active and with the keyboard focus in the input line: keys sent to
/// its platform window take the path a real key press takes (shortcuts first, then the
/// focus widget).
class MainWindowKeysTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        window->txtEingabe->setFocus();
    }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(window->windowHandle(), key, modifiers);
    }

    /// Presses Alt and lets it go again without another key.
    void tapAlt() {
        QTest::keyPress(window->windowHandle(), Qt::Key_Alt, Qt::AltModifier);
        QTest::keyRelease(window->windowHandle(), Qt::Key_Alt, Qt::AltModifier);
    }

    void TearDown() override {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    }
};

TEST_F(MainWindowKeysTest, AltBComputesEveryTimeAndOpensNoMenu) {
    window->txtEingabe->setText(kSampleFrame);
    for (int i = 0; i < 3; ++i) {
        window->mnuNeu->trigger();
        press(Qt::Key_B, Qt::AltModifier);
        EXPECT_TRUE(test::eventually([&] { return values()[0] == QStringLiteral("6"); }))
            << "press " << i + 1 << " did not compute";
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "press " << i + 1;
    }
    EXPECT_EQ(window->focusWidget(), window->txtEingabe);
}

TEST_F(MainWindowKeysTest, BearbeitenOpensWithAltReleasedThenB) {
    tapAlt();
    press(Qt::Key_B);
    EXPECT_TRUE(test::eventually([&] {
        return QApplication::activePopupWidget() == window->mnuBearbeiten;
    })) << "the menu did not open";
    EXPECT_EQ(values()[0], QString()) << "the menu key must not compute";
}

TEST_F(MainWindowKeysTest, F10OpensTheFileMenu) {
    press(Qt::Key_F10);
    EXPECT_TRUE(test::eventually([&] {
        return QApplication::activePopupWidget() == window->mnuDatei;
    })) << "the menu did not open";
}

TEST_F(MainWindowKeysTest, OtherAltKeysReachTheirCommands) {
    press(Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(test::eventually([&] { return window->AusgabeStatus == QStringLiteral("aus"); }))
        << "Alt+A did not toggle the output window";
    press(Qt::Key_H, Qt::AltModifier);
    EXPECT_TRUE(test::eventually([&] {
        return QApplication::activePopupWidget() == window->mnuHilfe;
    })) << "the menu did not open";
}

TEST_F(MainWindowKeysTest, TabVisitsInputComputeToggleEnd) {
    EXPECT_EQ(test::focusAfterEachPress(window.get(), 4),
              (QStringList{"cmdOK", "cmdAusgabe", "cmdEnd", "txtEingabe"}));
}

/// Records the size of every resize a widget goes through.
class ResizeRecorder : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            sizes << static_cast<QResizeEvent*>(event)->size();
        return false;
    }
    QList<QSize> sizes;
};

TEST_F(MainWindowTest, BothWindowsTakeBackTheirSizeAfterAnOutsideResize) {
    for (QWidget* w :
         {static_cast<QWidget*>(window.get()), static_cast<QWidget*>(window->ausgabe())}) {
        SCOPED_TRACE(w->objectName().toStdString());
        EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "the window manager is asked first";
        const QSize designed = w->size();
        ResizeRecorder recorder;
        w->installEventFilter(&recorder);
        // The platform window resized past the constraints, as a window manager that
        // ignores them or `xdotool windowsize` does.
        for (const QSize outside : {designed * 2, designed / 2, QSize(designed.width(), 40)}) {
            w->windowHandle()->resize(outside);
            EXPECT_TRUE(test::eventually([&] { return recorder.sizes.contains(outside); }))
                << "the outside resize never reached the window";
            EXPECT_TRUE(test::eventually([&] { return w->size() == designed; }));
            recorder.sizes.clear();
        }
    }
}

TEST_F(MainWindowTest, BeendenHidesEveryWindowWithoutAQuestion) {
    typeAndDecode(kSampleFrame);
    window->info();
    window->cmdEnd->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->ausgabe()->isVisible());
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(MainWindowTest, HelpMenuItemsShowTheirWindowModalUntilHidden) {
    struct Case {
        QAction* item;
        std::function<QWidget*()> window;
    };
    const std::vector<Case> cases{
        {window->mnuAbout, [this] { return static_cast<QWidget*>(window->about()); }},
        {window->mnuInfo, [this] { return static_cast<QWidget*>(window->info()); }},
        {window->mnulo19, [this] { return static_cast<QWidget*>(window->lo19()); }},
    };
    for (const Case& c : cases) {
        bool wasModal = false;
        QTimer::singleShot(0, [&] {
            QWidget* shown = c.window();
            wasModal = shown->isVisible() && QApplication::activeModalWidget() == shown;
            shown->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        });
        c.item->trigger();
        EXPECT_TRUE(wasModal) << c.item->objectName().toStdString();
        EXPECT_FALSE(c.window()->isVisible());
    }
}

TEST_F(MainWindowTest, IntroZeigenShowsTheSplashAgainUntilItsTimerHidesIt) {
    bool shown = false;
    QTimer::singleShot(0, [&] { shown = window->intro()->isVisible(); });
    window->mnuIntro->trigger();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(window->intro()->isVisible());
    EXPECT_FALSE(window->intro()->tmrclose->isActive());
}

} // namespace
} // namespace orvinta

namespace orvinta {
namespace {

struct ControlRow {
    const char* name;
    const char* text;
    QRect twips;
    double points;
    bool bold;
    bool underline;
};

TEST(MainWindowLayout, ControlsHaveTheirCaptionsPlacesAndFonts) {
    const ControlRow rows[] = {
        {"lblText4", "LUSAT OSCAR 19", {1200, 240, 3612, 492}, 18, true, false},
        {"lblText2", "Orvinta", {1440, 720, 3012, 492}, 13.8, true, false},
        {"lblVersion", "CW Download 437.125 MHz", {1560, 1200, 2652, 252}, 9.6, false, false},
        {"lbltext1", "Eingabe:", {240, 2040, 3492, 252}, 9.6, true, true},
        {"txtEingabe", "E LUSAT HI HI ", {240, 2520, 5652, 348}, 9.6, false, false},
        {"cmdAusgabe", "&Ausgabe aus", {240, 3120, 1452, 372}, 9.6, true, false},
        {"cmdOK", "&Berechnen", {2280, 3120, 1572, 372}, 9.6, true, false},
        {"cmdEnd", "B&eenden", {4440, 3120, 1452, 372}, 9.6, true, false},
    };
    frmTelemetrie window(kShortIntroMs);
    for (const ControlRow& row : rows) {
        SCOPED_TRACE(row.name);
        auto* control = window.findChild<QWidget*>(QString::fromLatin1(row.name));
        ASSERT_NE(control, nullptr);
        const QString text = control->property("text").toString();
        EXPECT_EQ(text, QString::fromUtf8(row.text));
        EXPECT_EQ(control->geometry(),
                  twipsRect(row.twips.x(), row.twips.y(), row.twips.width(), row.twips.height()));
        EXPECT_DOUBLE_EQ(control->font().pointSizeF(), row.points);
        EXPECT_EQ(control->font().bold(), row.bold);
        EXPECT_EQ(control->font().underline(), row.underline);
    }
    EXPECT_EQ(window.windowTitle(), QStringLiteral("LUSAT OSCAR 19 Orvinta"));
}

TEST(MainWindowLayout, MenusHoldTheirItemsInOrder) {
    frmTelemetrie window(kShortIntroMs);
    const auto captions = [](QMenu* menu) {
        QStringList texts;
        for (QAction* action : menu->actions())
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return texts;
    };
    EXPECT_EQ(captions(window.mnuDatei),
              (QStringList{"&Öffnen", "Ausgabe &Speichern (Text)", "Ausgabe Speichern (&Tabbelle)",
                           "E&ingabe Speichern", "&Hören ...", "&Verlauf ...", "Statio&n ...", "-",
                           "&Beenden"}));
    EXPECT_EQ(captions(window.mnuBearbeiten),
              (QStringList{"&Eingabe leeren", "&Ausgabe leeren", "&Eingabe"}));
    EXPECT_EQ(captions(window.mnuHilfe), (QStringList{"&Über", "&Info", "Intro &zeigen", "LO-19"}));
    for (QAction* action : window.findChildren<QAction*>())
        EXPECT_TRUE(action->shortcut().isEmpty()) << action->text().toStdString();
}

TEST(MainWindowLayout, MinimisingAndRestoringKeepsTheSizeWithoutAMessage) {
    test::FakePlatform platform;
    frmTelemetrie window(kShortIntroMs);
    window.show();
    const QSize size = window.size();
    window.showMinimized();
    window.showNormal();
    EXPECT_EQ(window.size(), size);
    EXPECT_TRUE(platform.messages.empty());
}

} // namespace
} // namespace orvinta
