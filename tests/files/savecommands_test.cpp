// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/savecommands.h"

#include "decoder/decoder.h"
#include "filetestsupport.h"
#include "support/fakeplatform.h"

#include <QLineEdit>

#include <gtest/gtest.h>

namespace orvinta {
namespace {

using test::contentOf;
using test::expectedFile;
using test::kSampleFrame;
using test::put;

DisplayTexts sampleTexts() {
    VarModul record;
    return displayTexts(*decode("E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE", record));
}

class SaveCommands : public test::ScratchFolderTest {
protected:
    void expectThePrompt() const {
        ASSERT_EQ(platform.prompts.size(), 1U);
        EXPECT_EQ(platform.prompts[0].text, QStringLiteral("Bitte geben sie einen Dateinamen ein"));
        EXPECT_EQ(platform.prompts[0].title, QStringLiteral("Speichern"));
        EXPECT_EQ(platform.presets, QStringList{"Telemetrie00"});
    }

    void saveInput(const QString& line) {
        txtEingabe.setText(line);
        saveInputCommand(nullptr, &txtEingabe);
    }

    void saveResults(const DisplayTexts& texts) {
        saveResultCommand(nullptr, [&texts] { return texts; });
    }

    test::FakePlatform platform;
    QLineEdit txtEingabe;
};

TEST_F(SaveCommands, InputWithThePresetNameIsSavedAsTelemetrie00Tlm) {
    platform.answers = {QStringLiteral("Telemetrie00")};
    saveInput(kSampleFrame);
    expectThePrompt();
    EXPECT_EQ(platform.messageTexts(), QStringList());
    EXPECT_EQ(contentOf(path("Telemetrie00.tlm")), expectedFile("sample-input.tlm"));
    EXPECT_EQ(entries(), QStringList{"Telemetrie00.tlm"});
}

TEST_F(SaveCommands, InputOfBlanksIsSomethingToSave) {
    platform.answers = {QStringLiteral("blank"), QStringLiteral("preset.TlM")};
    saveInput(QStringLiteral(" "));
    saveInput(QStringLiteral("E LUSAT HI HI "));
    EXPECT_EQ(platform.messageTexts(), QStringList());
    EXPECT_EQ(contentOf(path("blank.tlm")), " \r\n");
    EXPECT_EQ(contentOf(path("preset.TlM.tlm")), "E LUSAT HI HI \r\n");
}

TEST_F(SaveCommands, EmptyInputIsNothingToSaveAndNoNameIsAsked) {
    platform.answers = {QStringLiteral("never")};
    saveInput(QString());
    EXPECT_EQ(platform.messageTexts(), QStringList{"Fehler 4: Nichts zum Speichern vorhandem"});
    EXPECT_TRUE(platform.prompts.empty());
    EXPECT_EQ(entries(), QStringList());
}

TEST_F(SaveCommands, ACancelledPromptIsNoFileName) {
    saveInput(kSampleFrame);
    saveResults(sampleTexts());
    EXPECT_EQ(platform.messageTexts(),
              (QStringList{"Fehler 3: Kein Dateiname", "Fehler 3: Kein Dateiname"}));
    EXPECT_EQ(platform.prompts.size(), 2U);
    EXPECT_EQ(entries(), QStringList());
}

TEST_F(SaveCommands, ResultsAreSavedAsTheTenLineText) {
    put(path("Telemetrie00.txt"), "an earlier file");
    platform.answers = {QStringLiteral("Telemetrie00")};
    saveResults(sampleTexts());
    expectThePrompt();
    EXPECT_EQ(platform.messageTexts(), QStringList());
    EXPECT_EQ(contentOf(path("Telemetrie00.txt")), expectedFile("sample-result.txt"));
}

TEST_F(SaveCommands, ResultsWithoutABlockNumberAreNothingToSave) {
    platform.answers = {QStringLiteral("never")};
    DisplayTexts cleared;
    saveResults(cleared);
    DisplayTexts onlyChannels = sampleTexts();
    onlyChannels[0].clear();
    saveResults(onlyChannels);
    EXPECT_EQ(platform.messageTexts(), (QStringList{"Fehler 4: Nichts zum Speichern vorhandem",
                                                    "Fehler 4: Nichts zum Speichern vorhandem"}));
    EXPECT_TRUE(platform.prompts.empty());
    EXPECT_EQ(entries(), QStringList());
}

TEST_F(SaveCommands, AFailedWriteIsReportedWithTheNameAndNothingIsLeft) {
    put(path("plain.txt"), "a file");
    ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("folder.txt")));
    platform.answers = {QStringLiteral("plain.txt/frame"), QStringLiteral("folder")};
    saveInput(kSampleFrame);
    saveResults(sampleTexts());

    const QStringList texts = platform.messageTexts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[0].startsWith(
        QStringLiteral("Die Datei plain.txt/frame.tlm kann nicht gespeichert werden:\n")))
        << texts[0].toStdString();
    EXPECT_TRUE(texts[1].startsWith(
        QStringLiteral("Die Datei folder.txt kann nicht gespeichert werden:\n")))
        << texts[1].toStdString();
    EXPECT_EQ(entries(), (QStringList{"folder.txt", "plain.txt"}));
    EXPECT_EQ(contentOf(path("plain.txt")), "a file");
}

} // namespace
} // namespace orvinta
