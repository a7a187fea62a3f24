// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/telemetryload.h"

#include "decoder/decoder.h"
#include "files/filemessages.h"
#include "files/filesaving.h"
#include "filetestsupport.h"
#include "formats/windows1252.h"

#include <QFile>

#include <gtest/gtest.h>

namespace orvinta {
namespace {

using test::kSampleFrame;
using test::put;

class TelemetryLoad : public test::ScratchFolderTest {
protected:
    /// The input line after loading a file of `content`, or "<refused: message>".
    QString loaded(const QByteArray& content, const QString& name = QStringLiteral("f.tlm")) {
        put(path(name), content);
        const LoadResult result = loadTelemetryFile(path(name));
        return result.loaded ? result.text : QStringLiteral("<refused: %1>").arg(result.message);
    }
};

TEST_F(TelemetryLoad, TakesTheWholeContentWithoutTheLineEndsAtItsVeryEnd) {
    struct Case {
        QByteArray content;
        QString line;
    };
    const Case cases[] = {
        {"E LUSAT HI HI 6O AVT\r\n", "E LUSAT HI HI 6O AVT"},
        {"E LUSAT HI HI 6O AVT", "E LUSAT HI HI 6O AVT"},
        {"E LUSAT HI HI \r\n", "E LUSAT HI HI "},
        {"frame\n", "frame"},
        {"frame\r", "frame"},
        {"frame\r\n\r\n\n\r", "frame"},
        // Line ends inside the text stay, and so do blanks and tabs.
        {"first\r\nsecond\r\n", "first\r\nsecond"},
        {"\r\nframe", "\r\nframe"},
        {"frame \t\r\n", "frame \t"},
        {"frame\r\n ", "frame\r\n "},
        // Windows-1252: byte 0xB0 is the degree sign.
        {"3 \xB0"
         "C\r\n",
         QStringLiteral("3 °C")},
        // The byte 0x80 is the euro sign, not a control character.
        {"\x80"
         "5\r\n",
         QStringLiteral("€5")},
        {"A\x80\x9F\xFF", QStringLiteral("A€Ÿÿ")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(loaded(c.content), c.line) << c.content.toStdString();
}

TEST_F(TelemetryLoad, ACharacterOutsideTheCodePageIsSavedAsOneQuestionMark) {
    // A satellite dish outside the basic plane (two UTF-16 units), a check mark inside it.
    const QString line = QStringLiteral("E \U0001F4E1 \u2713 \u20AC");
    const SaveResult saved = saveInputFile(QStringLiteral("wide"), line);
    ASSERT_TRUE(saved.saved) << saved.message.toStdString();
    QFile file(path(saved.fileName));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("E ? ? \x80\r\n"));
    EXPECT_EQ(loadTelemetryFile(path(saved.fileName)).text, QStringLiteral("E ? ? €"));
}

TEST_F(TelemetryLoad, ASavedInputFileReloadsAsTheSavedLineAndDecodesAlike) {
    for (const QString& name : {QStringLiteral("Telemetrie00"), QStringLiteral("frame.TLM")}) {
        const SaveResult saved = saveInputFile(name, kSampleFrame);
        ASSERT_TRUE(saved.saved) << saved.message.toStdString();

        const LoadResult result = loadTelemetryFile(path(saved.fileName));
        ASSERT_TRUE(result.loaded) << result.message.toStdString();
        EXPECT_EQ(result.text, kSampleFrame);

        VarModul record;
        const QByteArray line = toWindows1252(result.text);
        const auto frame = decode(line.toStdString(), record);
        ASSERT_TRUE(frame.has_value());
        EXPECT_EQ(tableRow(displayTexts(*frame)),
                  "6;OK; 4.892308; 10.944; 3.7878; 947.282044887781; 7.832; 119; .3; 8.68");
    }
}

TEST_F(TelemetryLoad, RefusesWithoutReadingWhenNoFileOrTheWrongEnding) {
    EXPECT_EQ(loadTelemetryFile(QString()).message, kNoFileSelectedMessage);
    for (const char* name : {"frame.Tlm", "frame.TLm", "frame.Txt", "frame", "frame.tlm.bak"}) {
        const QString file = path(QString::fromLatin1(name));
        put(file, "E LUSAT HI HI 6O AVT\r\n");
        const LoadResult result = loadTelemetryFile(file);
        EXPECT_FALSE(result.loaded) << name;
        EXPECT_EQ(result.message, kOnlyTlmAndTxtMessage) << name;
    }
    // The ending is checked before the file is opened.
    EXPECT_EQ(loadTelemetryFile(path("missing.dat")).message, kOnlyTlmAndTxtMessage);
}

TEST_F(TelemetryLoad, AFileWithNothingToLoadIsRefusedAsEmpty) {
    for (const QByteArray& content : {QByteArray(), QByteArray("\r\n"), QByteArray("\n\n")}) {
        put(path("empty.txt"), content);
        const LoadResult result = loadTelemetryFile(path("empty.txt"));
        EXPECT_FALSE(result.loaded);
        EXPECT_TRUE(result.text.isEmpty());
        EXPECT_EQ(result.message, emptyFileMessage(path("empty.txt")));
        EXPECT_TRUE(result.message.contains(path("empty.txt")));
    }
}

TEST_F(TelemetryLoad, UnreadableFilesAreRefusedWithTheNameAndTheReason) {
    ASSERT_TRUE(QDir(scratch.path()).mkdir("folder.tlm"));
    for (const QString& file : {path("missing.tlm"), path("folder.tlm"), path("plain.txt/x.tlm")}) {
        put(path("plain.txt"), "a file, not a folder");
        const LoadResult result = loadTelemetryFile(file);
        EXPECT_FALSE(result.loaded) << file.toStdString();
        const QString start = QStringLiteral("Die Datei %1 kann nicht gelesen werden:\n").arg(file);
        EXPECT_TRUE(result.message.startsWith(start)) << result.message.toStdString();
        EXPECT_GT(result.message.size(), start.size() + 1) << "the system's reason follows";
    }
}

TEST_F(TelemetryLoad, FilesLargerThan64KiBAreRefused) {
    const QByteArray largest = QByteArray(kMaxTelemetryFileSize - 2, 'A') + "\r\n";
    EXPECT_EQ(loaded(largest, QStringLiteral("largest.txt")).size(), kMaxTelemetryFileSize - 2);

    const QString tooLarge = loaded(largest + "B", QStringLiteral("large.txt"));
    EXPECT_TRUE(
        tooLarge.startsWith(QStringLiteral("<refused: Die Datei %1 kann nicht gelesen werden:\n")
                                .arg(path("large.txt"))))
        << tooLarge.left(200).toStdString();
}

} // namespace
} // namespace orvinta
