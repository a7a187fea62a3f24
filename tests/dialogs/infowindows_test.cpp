// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/frmabout.h"
#include "dialogs/frminfo.h"
#include "dialogs/frmintro.h"
#include "dialogs/frmlo19.h"
#include "support/eventually.h"
#include "support/keys.h"
#include "support/qtprinters.h"
#include "windowkit/modal.h"
#include "windowkit/twips.h"
#include "windows/frmtelemetrie.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace orvinta {
namespace {

QPushButton* okButton(QWidget* window) {
    return window->findChild<QPushButton*>(QStringLiteral("cmdOK"));
}

TEST(ShowModal, ReturnsWhenTheWindowHidesItself) {
    frmlo19 window;
    QTimer::singleShot(0, &window, &QWidget::hide);
    showModal(&window);
    EXPECT_FALSE(window.isVisible());
}

TEST(ShowModal, ReturnsWhenTheWindowIsClosedAndDiscarded) {
    auto* window = new frmlo19;
    window->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<frmlo19> guard(window);
    QTimer::singleShot(0, window, &QWidget::close);
    showModal(window);
    EXPECT_TRUE(test::eventually([&] { return guard.isNull(); }));
}

TEST(Splash, HidesItselfAfterItsIntervalAndStopsItsTimer) {
    frmIntro splash(30);
    EXPECT_TRUE(splash.tmrclose->isActive()) << "the timer runs from creation";
    showModal(&splash);
    EXPECT_FALSE(splash.isVisible());
    EXPECT_FALSE(splash.tmrclose->isActive());
    EXPECT_EQ(splash.tmrclose->interval(), 30);
}

TEST(Splash, EachActivationRestartsTheFullInterval) {
    // Kept hidden, so that no activation by the platform restarts the timer meanwhile.
    frmIntro splash(1000);
    QTest::qWait(50);
    const int before = splash.tmrclose->remainingTime();
    ASSERT_LT(before, 1000);
    splash.Form_Activate();
    EXPECT_GT(splash.tmrclose->remainingTime(), before);
}

TEST(Splash, HasNoFrameAndAYellowBackground) {
    frmIntro splash;
    EXPECT_TRUE(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(splash.palette().color(QPalette::Window), QColor(255, 255, 0));
    EXPECT_EQ(splash.tmrclose->interval(), 3000);
}

TEST(InfoWindows, OkHidesTheWindowAndItKeepsItsPosition) {
    frmTelemetrie main(10);
    for (QWidget* window : {static_cast<QWidget*>(main.info()), static_cast<QWidget*>(main.lo19()),
                            static_cast<QWidget*>(main.about())}) {
        window->show();
        window->move(123, 77);
        const QPoint position = window->pos();
        okButton(window)->click();
        EXPECT_FALSE(window->isVisible());
        window->show();
        EXPECT_EQ(window->pos(), position) << window->objectName().toStdString();
        window->hide();
    }
}

TEST(InfoWindows, ClosingThroughTheFrameDiscardsTheWindow) {
    frmTelemetrie main(10);
    QPointer<frmInfo> first = main.info();
    first->show();
    first->close();
    EXPECT_TRUE(test::eventually([&] { return first.isNull(); }));
    EXPECT_NE(main.info(), nullptr);
}

TEST(InfoWindows, EscapeAndEnterLeaveTheWindowOpen) {
    frmTelemetrie main(10);
    for (QWidget* window : {static_cast<QWidget*>(main.info()), static_cast<QWidget*>(main.lo19()),
                            static_cast<QWidget*>(main.about())}) {
        window->show();
        test::pressEnterAndEscapeOn({okButton(window)});
        EXPECT_TRUE(window->isVisible()) << window->objectName().toStdString();
        window->hide();
    }
}

TEST(InfoWindows, OkIsTheOnlyControlThatTakesTheFocus) {
    frmInfo info;
    frmlo19 lo19;
    frmAbout about;
    for (QWidget* window : {static_cast<QWidget*>(&info), static_cast<QWidget*>(&lo19),
                            static_cast<QWidget*>(&about)}) {
        int focusable = 0;
        for (QWidget* child : window->findChildren<QWidget*>())
            focusable += child->focusPolicy() != Qt::NoFocus ? 1 : 0;
        EXPECT_EQ(focusable, 1) << window->objectName().toStdString();
    }
}

TEST(InfoWindows, AltOPressesOkAndHidesTheWindow) {
    frmInfo info;
    frmlo19 lo19;
    frmAbout about;
    for (QWidget* window : {static_cast<QWidget*>(&info), static_cast<QWidget*>(&lo19),
                            static_cast<QWidget*>(&about)}) {
        SCOPED_TRACE(window->objectName().toStdString());
        ASSERT_TRUE(test::activate(window));
        EXPECT_EQ(okButton(window)->text(), QStringLiteral("&OK"));
        EXPECT_EQ(okButton(window)->size(), twipsSize(972, 372));
        ASSERT_TRUE(test::pressAccessKey(window, Qt::Key_O));
        EXPECT_TRUE(test::eventually([&] { return !window->isVisible(); }));
    }
}

TEST(InfoWindows, CarryTheProgramIconAndTheirDesignSize) {
    frmIntro splash(frmIntro::kCloseIntervalMs);
    frmInfo info;
    frmlo19 lo19;
    frmAbout about;
    const struct {
        QWidget* window;
        const char* title;
        QSize twips;
    } cases[] = {{&splash, "Intro", {3588, 4920}},
                 {&info, "Info", {6732, 7296}},
                 {&lo19, "LO-19", {5760, 4980}},
                 {&about, "Über", {4116, 4008}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        EXPECT_EQ(c.window->windowTitle(), QString::fromUtf8(c.title));
        EXPECT_FALSE(c.window->windowIcon().isNull());
        EXPECT_EQ(c.window->minimumSize(), twipsSize(c.twips.width(), c.twips.height()));
        EXPECT_EQ(c.window->maximumSize(), c.window->minimumSize());
    }
}

TEST(FormatWindow, FormulaLinesLineUpInFourColumns) {
    frmInfo info;
    const QFont font = info.formulaLines[0]->font();
    ASSERT_TRUE(QFontInfo(font).fixedPitch());
    const QFontMetrics metrics(font);
    for (int column : {5, 25, 41}) {
        const int expected = metrics.horizontalAdvance(QString(column - 1, QLatin1Char('x')));
        for (QLabel* line : info.formulaLines) {
            EXPECT_EQ(metrics.horizontalAdvance(line->text().left(column - 1)), expected)
                << line->objectName().toStdString();
        }
    }
    for (QLabel* line : info.formulaLines) {
        EXPECT_LE(metrics.horizontalAdvance(line->text()), line->contentsRect().width())
            << "the last column must not be cut off: " << line->text().toStdString();
    }
    EXPECT_EQ(info.formulaLines[0]->objectName(), QStringLiteral("Label8"));
    EXPECT_TRUE(info.formulaLines[0]->text().startsWith(QStringLiteral("-1-")));
    EXPECT_EQ(info.formulaLines[7]->objectName(), QStringLiteral("Label15"));
}

TEST(FormatWindow, TheSourceLineIsOneLineStartingWithQuelle) {
    frmInfo info;
    QLabel* source = info.findChild<QLabel*>(QStringLiteral("Label7"));
    ASSERT_NE(source, nullptr);
    EXPECT_TRUE(source->text().startsWith(QStringLiteral("Quelle: ")));
    EXPECT_LE(source->heightForWidth(source->width()), source->height() + 2);
}

TEST(AboutBox, CentresItsTextsAndShowsTheVersion) {
    frmAbout about;
    EXPECT_EQ(about.lblVersion->text(), QStringLiteral("Version: 6.1"));
    for (QLabel* label : {about.lblText1, about.lblText2, about.lblVersion, about.lbltext4,
                          about.lblText5, about.lblText3})
        EXPECT_TRUE(label->alignment().testFlag(Qt::AlignHCenter));
    EXPECT_TRUE(about.lblText3->text().contains(QStringLiteral("©")));
}

} // namespace
} // namespace orvinta
