// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/textfile.h"

#include "files/filetestsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace orvinta {
namespace {

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void put(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

class TextFileTest : public testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
    QString error;
};

TEST_F(TextFileTest, ContentIsWindows1252WithCrLf) {
    EXPECT_EQ(textFileContent({QStringLiteral("E LUSAT HI HI "), QStringLiteral("3 °C")}),
              QByteArray("E LUSAT HI HI \r\n3 \xB0"
                         "C\r\n"));
    EXPECT_EQ(textFileContent({}), QByteArray());
}

TEST_F(TextFileTest, WriteReplacesTheFile) {
    put(path("t.txt"), "old content that is longer");
    ASSERT_TRUE(writeFileAtomically(path("t.txt"), "new\r\n", &error)) << error.toStdString();
    EXPECT_EQ(contentOf(path("t.txt")), "new\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"t.txt"})
        << "no temporary file is left behind";
}

// Failures that hold for root too: permission bits alone would not stop root.
TEST_F(TextFileTest, WriteFailuresKeepExistingDataAndSayWhy) {
    put(path("plain"), "a file, not a folder");
    EXPECT_FALSE(writeFileAtomically(path("plain/t.txt"), "x", &error));
    EXPECT_FALSE(error.isEmpty());

    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    error.clear();
    EXPECT_FALSE(writeFileAtomically(path("folder"), "x", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(path("folder")).isDir());

    error.clear();
    EXPECT_FALSE(writeFileAtomically(path(QString(300, 'n')), "x", &error));
    EXPECT_FALSE(error.isEmpty());

    EXPECT_EQ(contentOf(path("plain")), "a file, not a folder");
}

TEST_F(TextFileTest, AppendExtendsOrCreates) {
    ASSERT_TRUE(appendToFile(path("table.txt"), "row1\r\n", &error));
    ASSERT_TRUE(appendToFile(path("table.txt"), "row2\r\n", &error));
    EXPECT_EQ(contentOf(path("table.txt")), "row1\r\nrow2\r\n");

    EXPECT_FALSE(appendToFile(path("missing/table.txt"), "row\r\n", &error));
    EXPECT_FALSE(error.isEmpty());
}

// A write that runs out of room must fail, not leave a cut-off file in place of the old.
TEST_F(TextFileTest, WritesThatRunOutOfRoomFailAndKeepTheFormerContent) {
    put(path("t.txt"), "former\r\n");
    put(path("table.txt"), "header\r\nrow1\r\n");
    {
        const test::FileSizeLimit limit(20);
        EXPECT_FALSE(writeFileAtomically(path("t.txt"), QByteArray(100, 'x'), &error));
        EXPECT_FALSE(error.isEmpty());
        error.clear();
        EXPECT_FALSE(appendToFile(path("table.txt"), "a row that does not fit\r\n", &error));
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_EQ(contentOf(path("t.txt")), "former\r\n");
    EXPECT_EQ(contentOf(path("table.txt")), "header\r\nrow1\r\n")
        << "cut back to its former length";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"t.txt", "table.txt"}));
}

TEST_F(TextFileTest, ReadTakesTheWholeFileUpToALimit) {
    put(path("frame.tlm"), "line\r\n");
    QByteArray content;
    ASSERT_TRUE(readFile(path("frame.tlm"), 64, &content, &error));
    EXPECT_EQ(content, "line\r\n");

    put(path("big.txt"), QByteArray(65, 'x'));
    EXPECT_FALSE(readFile(path("big.txt"), 64, &content, &error));
    EXPECT_EQ(content, "line\r\n") << "unchanged on failure";

    error.clear();
    EXPECT_FALSE(readFile(path("gone.txt"), 64, &content, &error));
    EXPECT_FALSE(error.isEmpty());

    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.txt"));
    error.clear();
    EXPECT_FALSE(readFile(path("folder.txt"), 64, &content, &error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
} // namespace orvinta
