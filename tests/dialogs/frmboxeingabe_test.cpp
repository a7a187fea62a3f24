// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/frmboxeingabe.h"

#include "dialogs/groupline.h"
#include "support/bordercheck.h"
#include "support/fakeplatform.h"
#include "support/keys.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace orvinta {
namespace {

const QString kSampleFrame = QStringLiteral("E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE");
const QStringList kSampleGroups{"6O", "AVT", "ABA", "AU4", "AD4", "AA4", "ABT", "TTU", "AEE"};

GroupTexts groups(const QStringList& texts) {
    GroupTexts result;
    for (std::size_t i = 0; i < result.size(); ++i)
        result[i] = texts.value(static_cast<qsizetype>(i));
    return result;
}

TEST(GroupLine, BuildsThe48CharacterLine) {
    const QString line = groupLine(QStringLiteral("E LUSAT HI HI"), groups(kSampleGroups));
    EXPECT_EQ(line, kSampleFrame);
    EXPECT_EQ(line.size(), 48);
}

TEST(GroupLine, GroupsOfTheWrongLengthBecomeQuestionMarks) {
    struct Case {
        std::size_t box;
        QString text;
        QString used;
    };
    const Case cases[] = {
        {0, "", "??"},
        {0, "6", "??"},
        {0, "6OX", "??"},
        {0, "6O", "6O"},
        {0, "  ", "  "},
        {1, "", "???"},
        {1, "AV", "???"},
        {1, "AVTA", "???"},
        {1, "a b", "a b"},
        {1, "avt", "avt"},
        {8, "AE", "???"},
        {8, "AEE", "AEE"},
        {4, " AD4", "???"},
        {4, "AD4 ", "???"},
        {5, "\u00E4\u00F6\u00FC", "\u00E4\u00F6\u00FC"},
        {5, "\U0001F600", "???"},
        {5, "A\U0001F600B", "A\U0001F600B"},
    };
    for (const Case& c : cases) {
        GroupTexts texts = groups(kSampleGroups);
        texts[c.box] = c.text;
        const GroupTexts checked = checkedGroups(texts);
        EXPECT_EQ(checked[c.box], c.used) << "box " << c.box + 1 << ": " << c.text.toStdString();
        for (std::size_t other = 0; other < checked.size(); ++other) {
            if (other != c.box) {
                EXPECT_EQ(checked[other], texts[other]);
            }
        }
    }
}

TEST(GroupLine, AllBoxesEmptyGiveThePrefixAndQuestionMarks) {
    EXPECT_EQ(groupLine(QStringLiteral("E LUSAT HI HI"), checkedGroups(GroupTexts{})),
              QStringLiteral("E LUSAT HI HI ?? ??? ??? ??? ??? ??? ??? ??? ???"));
}

class GroupDialog : public testing::Test {
protected:
    void SetUp() override {
        txtEingabe.setText(
            QStringLiteral("E LUSAT HI HI 1O AAA AAA AAA AAA AAA AAA AAA AAA extra"));
        dialog = std::make_unique<frmBoxEingabe>(&txtEingabe);
        dialog->show();
    }

    void type(const QStringList& texts) {
        const auto boxes = dialog->boxes();
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            boxes[i]->clear();
            QTest::keyClicks(boxes[i], texts.value(static_cast<qsizetype>(i)));
        }
    }

    QStringList boxTexts() const {
        QStringList texts;
        for (const QLineEdit* box : dialog->boxes())
            texts << box->text();
        return texts;
    }

    test::FakePlatform platform;
    QLineEdit txtEingabe;
    std::unique_ptr<frmBoxEingabe> dialog;
};

TEST_F(GroupDialog, HasItsCaptionsTabOrderAndNoDefaultButton) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("LUSAT OSCAR 19 Telemetrie"));
    EXPECT_EQ(dialog->lblText->text(), QStringLiteral("Eingabe:"));
    EXPECT_EQ(dialog->lbl1->text(), QStringLiteral("E LUSAT HI HI"));
    EXPECT_EQ(dialog->cmdOK->text(), QStringLiteral("OK"));
    EXPECT_EQ(dialog->cmdAbbrechen->text(), QStringLiteral("Abbrechen"));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    EXPECT_FALSE(dialog->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(dialog->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(dialog->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(boxTexts(), QStringList(9, QString()));
    EXPECT_EQ(dialog->focusWidget(), dialog->txt1);

    ASSERT_TRUE(test::activate(dialog.get()));
    EXPECT_EQ(test::focusAfterEachPress(dialog.get(), 11),
              (QStringList{"txt2", "txt3", "txt4", "txt5", "txt6", "txt7", "txt8", "txt9", "cmdOK",
                           "cmdAbbrechen", "txt1"}));

    // Each box overlaps its left neighbour; the boxes take any length.
    const auto boxes = dialog->boxes();
    for (std::size_t i = 1; i < boxes.size(); ++i)
        EXPECT_LT(boxes[i]->x(), boxes[i - 1]->geometry().right() + 1) << i;
    EXPECT_GT(dialog->txt1->maxLength(), 1000);
}

TEST_F(GroupDialog, ThePrefixBoxShowsItsBorderOnAllFourSidesAtEveryScale) {
    for (const qreal scale : {1.0, 1.25, 1.5, 1.75, 2.0})
        EXPECT_EQ(test::sidesWithoutBorder(dialog->lbl1, scale), QStringList()) << scale;
}

TEST_F(GroupDialog, OkWritesTheLineEmptiesTheBoxesAndHides) {
    type(kSampleGroups);
    QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    EXPECT_EQ(txtEingabe.text(), kSampleFrame);
    EXPECT_EQ(boxTexts(), QStringList(9, QString()));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(platform.messages.empty()) << "the dialog reports nothing";
}

TEST_F(GroupDialog, WrongLengthsShowAsQuestionMarksOnlyInTheInputLine) {
    type({"6", "AV", "ABA", "AU44", "", "a b", "abt", "TTU", "AEE"});
    QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    EXPECT_EQ(txtEingabe.text(),
              QStringLiteral("E LUSAT HI HI ?? ??? ABA ??? ??? a b abt TTU AEE"));
    EXPECT_EQ(boxTexts(), QStringList(9, QString()));
}

TEST_F(GroupDialog, OkWithEveryBoxEmpty) {
    QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    EXPECT_EQ(txtEingabe.text(),
              QStringLiteral("E LUSAT HI HI ?? ??? ??? ??? ??? ??? ??? ??? ???"));
}

TEST_F(GroupDialog, AbbrechenKeepsTheBoxesAndTheInputLine) {
    const QString before = txtEingabe.text();
    type({"6O", "AVT", "AB"});
    QTest::mouseClick(dialog->cmdAbbrechen, Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(txtEingabe.text(), before);

    dialog->show();
    EXPECT_EQ(boxTexts().mid(0, 3), (QStringList{"6O", "AVT", "AB"}));
}

TEST_F(GroupDialog, EnterAndEscapePressNoButton) {
    type(kSampleGroups);
    const QString before = txtEingabe.text();
    test::pressEnterAndEscapeOn({dialog->txt9, dialog->cmdOK, dialog->cmdAbbrechen});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(txtEingabe.text(), before);
    EXPECT_EQ(boxTexts(), kSampleGroups);
}

} // namespace
} // namespace orvinta
