// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/decodecli.h"

#include "clirun.h"
#include "support/sampleline.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace orvinta {
namespace {

using test::CliRun;
using test::fileContent;
using test::kSampleLine;
using test::kSampleLineRow;
using test::run;

constexpr const char* kHeaderUtf8 =
    "E PROM Block;Status;+5 V reguliet (V);+10 V Batterie (V);CW-TX-Temperatur (°C);"
    "CW-TX-Power-Out (mW);Temperatur Box 4 (°C);+10 V Strom (mA);+Z-Solarpanel (V);"
    "+8,5 V reguliert (V)";

std::string testData(const char* name) {
    return fileContent(QString::fromUtf8(ORVINTA_TEST_DATA) + "/" + name);
}

void put(const QString& path, const std::string& content) {
    std::ofstream file(QFile::encodeName(path).toStdString(), std::ios::binary);
    file << content;
}

class DecodeCliTest : public testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(DecodeCliTest, StandardInputToTableRows) {
    const CliRun r = run({}, std::string(kSampleLine) + "\n6X AXT ABA AU4 AD4 AA4 ABT TTU AEE");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string(kSampleLineRow) +
                         "\n6;FALSE;FEHLER; 10.944; 3.7878; 947.282044887781; 7.832; 119; .3; "
                         "8.68\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(DecodeCliTest, CrLfInputDecodesLikeLf) {
    const CliRun r = run({"--header"}, std::string(kSampleLine) + "\r\n" + kSampleLine + "\r\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              std::string(kHeaderUtf8) + "\n" + kSampleLineRow + "\n" + kSampleLineRow + "\n");
}

TEST_F(DecodeCliTest, EmptyLinesAreReportedAndSkipped) {
    put(path("log.txt"), std::string(kSampleLine) + "\n\n" + kSampleLine + "\n\r\n");
    const QString log = path("log.txt");
    const CliRun r = run({log});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, std::string(kSampleLineRow) + "\n" + kSampleLineRow + "\n");
    EXPECT_EQ(r.err, log.toStdString() + ":2: Fehler 1: Eingabe fehlt\n" + log.toStdString() +
                         ":4: Fehler 1: Eingabe fehlt\n");
}

TEST_F(DecodeCliTest, FilesInTurnAndDashForStandardInput) {
    put(path("a.tlm"), "6O AVT ABA AU4 AD4 AA4 ABT TTU AEE");
    put(path("b.tlm"), "3O AVT ABA AU4 AD4 AA4 ABT TTU AEE\n");
    const CliRun r = run({path("a.tlm"), "-", path("b.tlm")}, "\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "-:1: Fehler 1: Eingabe fehlt\n");
    EXPECT_EQ(r.out,
              std::string(kSampleLineRow) + "\n3" + std::string(kSampleLineRow).substr(1) + "\n");
}

TEST_F(DecodeCliTest, MissingFileIsReportedAndTheOthersDecoded) {
    put(path("a.tlm"), kSampleLine);
    const CliRun r = run({path("missing.tlm"), path("a.tlm")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "orvinta-decode: " + path("missing.tlm").toStdString() +
                         ": Datei oder Verzeichnis nicht gefunden\n")
        << "the system's reason in German, as the desktop program gives it";
    EXPECT_EQ(r.out, std::string(kSampleLineRow) + "\n");
}

TEST_F(DecodeCliTest, DirectoryIsReported) {
    const CliRun r = run({dir.path()});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "orvinta-decode: " + dir.path().toStdString() + ": Ist ein Verzeichnis\n");
}

TEST_F(DecodeCliTest, TextFramesSeparatedByAnEmptyLine) {
    const CliRun r = run({"--text"}, std::string(kSampleLine) + "\n" + kSampleLine + "\n");
    EXPECT_EQ(r.status, 0);
    std::string expected = testData("sample-result.txt");
    std::string utf8;
    for (char c : expected) {
        if (c == '\r') {
            continue;
        }
        if (c == '\xB0') {
            utf8 += "°";
        } else {
            utf8 += c;
        }
    }
    EXPECT_EQ(r.out, utf8 + "\n" + utf8);
}

TEST_F(DecodeCliTest, OutputFileIsByteForByteTheDesktopFormat) {
    const CliRun table = run({"--header", "-o", path("t.txt")}, std::string(kSampleLine) + "\n");
    EXPECT_EQ(table.status, 0);
    EXPECT_EQ(table.out, "");
    EXPECT_EQ(fileContent(path("t.txt")), testData("sample-table.txt"));

    const CliRun text = run({"--text", "-o", path("r.txt")}, kSampleLine);
    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(fileContent(path("r.txt")), testData("sample-result.txt"));
}

TEST_F(DecodeCliTest, AppendWritesTheHeaderOnlyIntoANewOrEmptyFile) {
    const QStringList args{"--header", "--append", "-o", path("t.txt")};
    ASSERT_EQ(run(args, kSampleLine).status, 0);
    EXPECT_EQ(fileContent(path("t.txt")), testData("sample-table.txt"));
    ASSERT_EQ(run(args, kSampleLine).status, 0);
    EXPECT_EQ(fileContent(path("t.txt")), testData("sample-table.txt") + kSampleLineRow + "\r\n");

    put(path("empty.txt"), "");
    ASSERT_EQ(run({"--header", "--append", "-o", path("empty.txt")}, kSampleLine).status, 0);
    EXPECT_EQ(fileContent(path("empty.txt")), testData("sample-table.txt"));
}

TEST_F(DecodeCliTest, ReplacingOutputFileKeepsOldContentWhenItCannotBeWritten) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("t.txt"));
    const CliRun r = run({"-o", path("t.txt")}, kSampleLine);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(path("t.txt").toStdString()), std::string::npos) << r.err;

    const CliRun missing = run({"-o", path("no/such/folder.txt")}, kSampleLine);
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("no/such/folder.txt"), std::string::npos) << missing.err;
}

TEST_F(DecodeCliTest, AnUnreadableFileOutweighsAnEmptyLine) {
    put(path("log.txt"), std::string(kSampleLine) + "\n\n");
    const CliRun r = run({path("missing.tlm"), path("log.txt")});
    EXPECT_EQ(r.status, 2) << "a file that could not be read is the graver failure";
    EXPECT_EQ(r.out, std::string(kSampleLineRow) + "\n");
    EXPECT_NE(r.err.find(path("missing.tlm").toStdString() + ": "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(":2: Fehler 1: Eingabe fehlt"), std::string::npos) << r.err;
}

TEST_F(DecodeCliTest, TextAppendedToAResultFileIsSeparatedByAnEmptyLine) {
    put(path("r.txt"), testData("sample-result.txt"));
    const CliRun r = run({"--text", "--append", "-o", path("r.txt")}, kSampleLine);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(fileContent(path("r.txt")),
              testData("sample-result.txt") + "\r\n" + testData("sample-result.txt"));
}

TEST_F(DecodeCliTest, AWriteThatFailsOnAFullDiskIsStatus2) {
    for (const QStringList& args : {QStringList{"--append", "-o", "/dev/full"},
                                    QStringList{"--text", "--append", "-o", "/dev/full"}}) {
        const CliRun r = run(args, kSampleLine);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_NE(r.err.find("/dev/full: "), std::string::npos) << r.err;
    }
}

TEST_F(DecodeCliTest, UsageErrors) {
    for (const QStringList& args : {QStringList{"--bogus"}, QStringList{"--append"},
                                    QStringList{"--text", "--header"}, QStringList{"-o"}}) {
        const CliRun r = run(args, kSampleLine);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("--help"), std::string::npos);
    }
}

TEST_F(DecodeCliTest, HelpAndVersion) {
    const CliRun help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--append"), std::string::npos);
    EXPECT_NE(help.out.find("--text"), std::string::npos);

    const CliRun version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "orvinta-decode 6.1.0\n");
}

/// Runs the real program through the shell; its exit status.
int runShell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(DecodeCliBinary, StandardOutputOnAFullDiskIsStatus2) {
    QTemporaryDir dir;
    const std::string errors = dir.filePath("stderr").toStdString();
    EXPECT_EQ(runShell(std::string("echo '") + kSampleLine + "' | '" + ORVINTA_DECODE_BINARY +
                       "' >/dev/full 2>'" + errors + "'"),
              2);
    EXPECT_EQ(
        fileContent(QString::fromStdString(errors)).rfind("orvinta-decode: Standardausgabe: ", 0),
        0U)
        << fileContent(QString::fromStdString(errors));
}

TEST(DecodeCliBinary, GivesTheSystemsReasonInGermanWhateverTheDesktopsLanguage) {
    // A desktop in another language sets LANGUAGE, which the C library reads first.
    QTemporaryDir dir;
    const std::string missing = dir.filePath("fehlt.tlm").toStdString();
    const std::string errors = dir.filePath("stderr").toStdString();
    for (const char* language : {"LANGUAGE=en_GB:en LC_ALL=en_GB.UTF-8", "LANG=C"}) {
        EXPECT_EQ(runShell(std::string("env ") + language + " '" + ORVINTA_DECODE_BINARY + "' '" +
                           missing + "' 2>'" + errors + "'"),
                  2);
        EXPECT_EQ(fileContent(QString::fromStdString(errors)),
                  "orvinta-decode: " + missing + ": Datei oder Verzeichnis nicht gefunden\n")
            << language;
    }
}

TEST(DecodeCliBinary, DecodesThroughAPipe) {
    QTemporaryDir dir;
    const std::string errors = dir.filePath("stderr").toStdString();
    const std::string command = std::string("printf '%s\\r\\n\\n' '") + kSampleLine + "' | '" +
                                ORVINTA_DECODE_BINARY + "' --header 2>'" + errors + "'";
    std::FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[512];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, n);
    }
    const int status = pclose(pipe);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(out, std::string(kHeaderUtf8) + "\n" + kSampleLineRow + "\n");
    EXPECT_EQ(fileContent(QString::fromStdString(errors)), "-:2: Fehler 1: Eingabe fehlt\n");
}

} // namespace
} // namespace orvinta
