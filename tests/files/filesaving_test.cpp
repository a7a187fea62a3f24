// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/filesaving.h"

#include "decoder/decoder.h"
#include "files/filemessages.h"
#include "filetestsupport.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

namespace orvinta {
namespace {

using test::contentOf;
using test::expectedFile;
using test::FileSizeLimit;
using test::kSampleFrame;
using test::put;

DisplayTexts decoded(std::string_view line) {
    VarModul record;
    return displayTexts(*decode(line, record));
}

DisplayTexts sampleTexts() {
    return decoded("E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE");
}

/// Status FALSE, channel 2 flagged.
DisplayTexts faultyTexts() {
    return decoded("E LUSAT HI HI 6X AVT AXA AU4 AD4 AA4 ABT TTU AEE");
}

using FileSaving = test::ScratchFolderTest;

TEST_F(FileSaving, TheInputFileIsTheLineWithCrLf) {
    const SaveResult result = saveInputFile(QStringLiteral("Telemetrie00"), kSampleFrame);
    ASSERT_TRUE(result.saved) << result.message.toStdString();
    EXPECT_EQ(result.fileName, QStringLiteral("Telemetrie00.tlm"));
    EXPECT_TRUE(result.message.isEmpty());
    EXPECT_EQ(contentOf(path("Telemetrie00.tlm")), expectedFile("sample-input.tlm"));

    // The preset alone, trailing blank included; a line that holds line ends keeps them.
    ASSERT_TRUE(saveInputFile(QStringLiteral("preset"), QStringLiteral("E LUSAT HI HI ")).saved);
    EXPECT_EQ(contentOf(path("preset.tlm")), "E LUSAT HI HI \r\n");
    ASSERT_TRUE(saveInputFile(QStringLiteral("two.TLM"), QStringLiteral("a\r\nb")).saved);
    EXPECT_EQ(contentOf(path("two.TLM")), "a\r\nb\r\n");
    ASSERT_TRUE(saveInputFile(QStringLiteral("grad.tlm"), QStringLiteral("3 °C")).saved);
    EXPECT_EQ(contentOf(path("grad.tlm")), "3 \xB0"
                                           "C\r\n");
}

TEST_F(FileSaving, TheResultFileIsTenLinesAsStored) {
    const SaveResult result = saveResultFile(QStringLiteral("Telemetrie00"), sampleTexts());
    ASSERT_TRUE(result.saved) << result.message.toStdString();
    EXPECT_EQ(result.fileName, QStringLiteral("Telemetrie00.txt"));
    EXPECT_EQ(contentOf(path("Telemetrie00.txt")), expectedFile("sample-result.txt"));
    EXPECT_FALSE(contentOf(path("Telemetrie00.txt")).startsWith("\xEF\xBB\xBF"));
}

TEST_F(FileSaving, SavingReplacesAnEarlierFileWhole) {
    put(path("Telemetrie00.txt"), QByteArray(5000, 'x'));
    ASSERT_TRUE(saveResultFile(QStringLiteral("Telemetrie00.txt"), sampleTexts()).saved);
    EXPECT_EQ(contentOf(path("Telemetrie00.txt")), expectedFile("sample-result.txt"));

    put(path("Telemetrie00.tlm"), QByteArray(5000, 'x'));
    ASSERT_TRUE(saveInputFile(QStringLiteral("Telemetrie00"), kSampleFrame).saved);
    EXPECT_EQ(contentOf(path("Telemetrie00.tlm")), expectedFile("sample-input.tlm"));
    EXPECT_EQ(entries(), (QStringList{"Telemetrie00.tlm", "Telemetrie00.txt"}));
}

TEST_F(FileSaving, NewFilesGetTheUsualPermissions) {
    ASSERT_TRUE(saveInputFile(QStringLiteral("frame"), kSampleFrame).saved);
    const QFileInfo info(path("frame.tlm"));
    EXPECT_TRUE(info.permissions().testFlag(QFileDevice::ReadOther))
        << "a saved file is not private to its writer";
}

TEST_F(FileSaving, ANewTableIsTheHeaderAndOneRow) {
    const SaveResult result =
        exportTableRow(QStringLiteral("Telemetrie00"), TableMode::NewTable, sampleTexts());
    ASSERT_TRUE(result.saved) << result.message.toStdString();
    EXPECT_EQ(result.fileName, QStringLiteral("Telemetrie00.txt"));
    EXPECT_EQ(contentOf(path("Telemetrie00.txt")), expectedFile("sample-table.txt"));

    const QByteArray header = expectedFile("sample-table.txt").split('\r').first();
    EXPECT_EQ(header.size(), 177);
}

TEST_F(FileSaving, ExtendingAddsTheRowOnly) {
    ASSERT_TRUE(exportTableRow(QStringLiteral("t"), TableMode::NewTable, sampleTexts()).saved);
    ASSERT_TRUE(
        exportTableRow(QStringLiteral("t.txt"), TableMode::ExtendTable, faultyTexts()).saved);
    EXPECT_EQ(contentOf(path("t.txt")), expectedFile("sample-table-extended.txt"));
}

TEST_F(FileSaving, ExtendingAMissingTableCreatesItWithoutHeader) {
    const SaveResult result =
        exportTableRow(QStringLiteral("neu.TXT"), TableMode::ExtendTable, sampleTexts());
    ASSERT_TRUE(result.saved) << result.message.toStdString();
    EXPECT_EQ(contentOf(path("neu.TXT")),
              "6;OK; 4.892308; 10.944; 3.7878; 947.282044887781; 7.832; 119; .3; 8.68\r\n");
}

TEST_F(FileSaving, ANewTableDiscardsTheOldRows) {
    put(path("t.txt"), expectedFile("sample-table-extended.txt"));
    ASSERT_TRUE(exportTableRow(QStringLiteral("t.txt"), TableMode::NewTable, sampleTexts()).saved);
    EXPECT_EQ(contentOf(path("t.txt")), expectedFile("sample-table.txt"));
}

// The rows of frames heard, as "In &Tabelle ..." of "Empfang" hands them over.
const std::string kSampleRowText =
    "6;OK; 4.892308; 10.944; 3.7878; 947.282044887781; 7.832; 119; .3; 8.68";
const std::string kFaultyRowText =
    "6;FALSE; 4.892308;FEHLER; 3.7878; 947.282044887781; 7.832; 119; .3; 8.68";

TEST_F(FileSaving, FramesWithTimesMakeATimedTableAndTablesKeepTheirColumns) {
    const std::string plainHeader(tableHeader());
    const std::string timedHeader = timedTableHeader();
    const std::vector<TableExportRow> timed{{"2026-12-07T14:05:00Z", sampleTexts()},
                                            {"", faultyTexts()}};
    const std::vector<TableExportRow> untimed{{"", sampleTexts()}};
    const std::string plainRow = kSampleRowText + "\r\n";
    const std::string timedRows =
        "2026-12-07T14:05:00Z;" + kSampleRowText + "\r\n;" + kFaultyRowText + "\r\n";
    struct Case {
        const char* name;
        std::string before; ///< the file's content; "-" for no file
        TableMode mode;
        std::vector<TableExportRow> rows;
        std::string after;
    };
    const std::vector<Case> cases{
        {"new, timed", "-", TableMode::NewTable, timed, timedHeader + "\r\n" + timedRows},
        {"new, untimed", "-", TableMode::NewTable, untimed, plainHeader + "\r\n" + plainRow},
        {"new over a plain table", plainHeader + "\r\n" + plainRow, TableMode::NewTable, timed,
         timedHeader + "\r\n" + timedRows},
        {"extend a timed table", timedHeader + "\r\n" + timedRows, TableMode::ExtendTable, timed,
         timedHeader + "\r\n" + timedRows + timedRows},
        {"extend a timed table by a frame without time", timedHeader + "\r\n",
         TableMode::ExtendTable, untimed, timedHeader + "\r\n;" + plainRow},
        {"extend a plain table by timed frames", plainHeader + "\r\n", TableMode::ExtendTable,
         timed, plainHeader + "\r\n" + plainRow + kFaultyRowText + "\r\n"},
        {"extend a headerless timed table", "2026-12-07T13:00:00Z;" + kSampleRowText + "\r\n",
         TableMode::ExtendTable, untimed,
         "2026-12-07T13:00:00Z;" + kSampleRowText + "\r\n;" + plainRow},
        {"extend a missing table", "-", TableMode::ExtendTable, timed, timedRows},
        {"extend an empty file", "", TableMode::ExtendTable, timed, timedRows},
    };
    for (const Case& c : cases) {
        const QString name = path("t.txt");
        QFile::remove(name);
        if (c.before != "-")
            put(name, QByteArray::fromStdString(c.before));
        const SaveResult result = exportTableRows(name, c.mode, c.rows);
        EXPECT_TRUE(result.saved) << c.name << ": " << result.message.toStdString();
        EXPECT_EQ(contentOf(name).toStdString(), c.after) << c.name;
    }
}

TEST_F(FileSaving, CountsTheRowsOfATable) {
    const std::string row = kSampleRowText + "\r\n";
    const struct {
        std::string content;
        qsizetype rows;
    } cases[] = {
        {"", 0},
        {std::string(tableHeader()) + "\r\n", 0},
        {timedTableHeader() + "\r\n\r\n", 0},
        {std::string(tableHeader()) + "\r\n" + row + row, 2},
        {row, 1},
        {row + "\r\n" + std::string(tableHeader()) + "\n" + row, 2},
        {row.substr(0, row.size() - 2), 1},
    };
    for (const auto& c : cases) {
        put(path("count.txt"), QByteArray::fromStdString(c.content));
        EXPECT_EQ(tableRowCount(path("count.txt")), c.rows) << c.content;
    }
    EXPECT_EQ(tableRowCount(path("missing.txt")), 0);
    EXPECT_EQ(tableLayoutOfFile(path("missing.txt")), TableLayout::None);
}

TEST_F(FileSaving, NamesWithoutADirectoryReferToTheWorkingDirectory) {
    ASSERT_TRUE(QDir(scratch.path()).mkdir("sub"));
    ASSERT_TRUE(saveInputFile(QStringLiteral("sub/frame"), kSampleFrame).saved);
    EXPECT_EQ(contentOf(path("sub/frame.tlm")), expectedFile("sample-input.tlm"));
    EXPECT_TRUE(hasResults(sampleTexts()));
    EXPECT_FALSE(hasResults(DisplayTexts{}));
}

/// One save command as the failure tests drive it.
struct Command {
    const char* name;
    std::function<SaveResult(const QString&)> save;
};

const Command kCommands[] = {
    {"input", [](const QString& name) { return saveInputFile(name, kSampleFrame); }},
    {"result", [](const QString& name) { return saveResultFile(name, sampleTexts()); }},
    {"new table",
     [](const QString& name) { return exportTableRow(name, TableMode::NewTable, sampleTexts()); }},
    {"extend table",
     [](const QString& name) {
         return exportTableRow(name, TableMode::ExtendTable, sampleTexts());
     }},
};

void expectFailureMessage(const SaveResult& result, const QString& fileName) {
    EXPECT_FALSE(result.saved);
    const QString start =
        QStringLiteral("Die Datei %1 kann nicht gespeichert werden:\n").arg(fileName);
    EXPECT_TRUE(result.message.startsWith(start)) << result.message.toStdString();
    EXPECT_GT(result.message.size(), start.size() + 1) << "the system's reason follows";
    EXPECT_FALSE(result.message.contains(QLatin1String("Unknown error")))
        << result.message.toStdString();
}

TEST_F(FileSaving, NamesTheFileSystemRefusesFailWithTheNameAndTheReason) {
    put(path("plain.txt"), "a file, not a folder");
    ASSERT_TRUE(QDir(scratch.path()).mkdir("folder.txt"));
    ASSERT_TRUE(QDir(scratch.path()).mkdir("folder.tlm"));
    const QStringList before = entries();

    for (const Command& command : kCommands) {
        SCOPED_TRACE(command.name);
        const bool input = QString::fromLatin1(command.name) == QLatin1String("input");
        const QString extension = input ? QStringLiteral(".tlm") : QStringLiteral(".txt");
        const QString names[] = {
            path("plain.txt/frame") + extension,              // a path under a regular file
            path("folder") + extension,                       // a folder where the file should be
            path("missing/frame") + extension,                // a folder that does not exist
            path(QString(300, QLatin1Char('n'))) + extension, // longer than a name may be
        };
        for (const QString& name : names) {
            SCOPED_TRACE(name.toStdString());
            expectFailureMessage(command.save(name), name);
        }
    }
    EXPECT_EQ(entries(), before) << "nothing created, nothing left behind";
    EXPECT_EQ(contentOf(path("plain.txt")), "a file, not a folder");
}

TEST_F(FileSaving, AWriteThatRunsOutOfSpaceLeavesTheFormerFileUntouched) {
    const QByteArray former = "the former content\r\n";
    for (const Command& command : kCommands) {
        SCOPED_TRACE(command.name);
        const bool input = QString::fromLatin1(command.name) == QLatin1String("input");
        const QString name = path(input ? QStringLiteral("full.TLM") : QStringLiteral("full.TXT"));
        put(name, former);
        SaveResult result;
        {
            // Room for the former content and a few bytes more, not for a whole file.
            const FileSizeLimit limit(static_cast<rlim_t>(former.size()) + 10);
            result = command.save(name);
        }
        expectFailureMessage(result, name);
        EXPECT_EQ(contentOf(name), former);
        EXPECT_EQ(entries(), QStringList{QFileInfo(name).fileName()})
            << "no half-written file is left";
        QFile::remove(name);
    }
}

TEST_F(FileSaving, AFailedExtensionLeavesTheTableAsItWas) {
    put(path("t.txt"), expectedFile("sample-table.txt"));
    const qint64 formerSize = expectedFile("sample-table.txt").size();
    SaveResult result;
    {
        // The row starts to be written, then the space runs out in its middle.
        const FileSizeLimit limit(static_cast<rlim_t>(formerSize) + 20);
        result = exportTableRow(path("t.txt"), TableMode::ExtendTable, faultyTexts());
    }
    expectFailureMessage(result, path("t.txt"));
    EXPECT_EQ(contentOf(path("t.txt")), expectedFile("sample-table.txt"));
}

TEST_F(FileSaving, ExtendingATableOnAFullDeviceReportsTheFailure) {
    // The table name leads to a device on which every write fails for lack of space.
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), path("full.txt")));
    const SaveResult result =
        exportTableRow(path("full.txt"), TableMode::ExtendTable, sampleTexts());
    expectFailureMessage(result, path("full.txt"));
}

} // namespace
} // namespace orvinta
