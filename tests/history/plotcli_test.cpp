// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/plotcli.h"

#include "tablesupport.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace orvinta::history {
namespace {

struct PlotRun {
    int status;
    std::string out;
    std::string err;
};

class PlotCli : public testing::Test {
protected:
    void SetUp() override { put("pass.txt", test::knownPass()); }

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    void put(const char* name, const std::string& content) const {
        std::ofstream(QFile::encodeName(path(name)).toStdString(), std::ios::binary) << content;
    }

    PlotRun run(QStringList arguments) const {
        arguments.prepend(QStringLiteral("orvinta-plot"));
        std::ostringstream out;
        std::ostringstream err;
        const int status = runPlotCli(arguments, out, err);
        return {status, out.str(), err.str()};
    }

    QTemporaryDir dir;
};

TEST_F(PlotCli, DrawsATableIntoAPictureOfTheAskedSize) {
    const PlotRun r =
        run({path("pass.txt"), "-o", path("pass.png"), "--size", "640x480", "--from",
             "2026-12-07T14:01:00Z", "--to", "2026-12-07T14:03:00Z", "--channels", "1,6"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(QImage(path("pass.png")).size(), QSize(640, 480));

    EXPECT_EQ(run({path("pass.txt"), "-o", path("pass.svg")}).status, 0);
    EXPECT_TRUE(QFile(path("pass.svg")).size() > 0);
}

TEST_F(PlotCli, MalformedRowsAreReportedWithTheirLineAndTheRestDrawn) {
    put("bad.txt",
        test::knownPass() + "2026-12-07T14:09:00Z;6;OK;kaputt\r\n;" + test::kSampleRow + "\r\n");
    const PlotRun r = run({path("bad.txt"), "-o", path("bad.png")});
    EXPECT_EQ(r.status, 1);
    const std::string name = path("bad.txt").toStdString();
    EXPECT_EQ(r.err, name + ":7: 4 Felder statt 10 (oder 11 mit der Zeit vorn)\n" + name +
                         ": 1 Zeilen ohne Zeit sind nicht gezeichnet\n");
    EXPECT_EQ(QImage(path("bad.png")).size(), QSize(1200, 1600));
}

TEST_F(PlotCli, WrongUseAndUnreadableFilesEndWithStatus2) {
    const std::vector<QStringList> wrong{
        {path("pass.txt")},
        {path("pass.txt"), "-o", path("pass.gif")},
        {"-o", path("pass.png")},
        {path("pass.txt"), path("pass.txt"), "-o", path("pass.png")},
        {path("pass.txt"), "-o", path("pass.png"), "--size", "0x100"},
        {path("pass.txt"), "-o", path("pass.png"), "--channels", "1,9"},
        {path("pass.txt"), "-o", path("pass.png"), "--from", "17"},
        {path("pass.txt"), "-o", path("pass.png"), "--from", "2026-12-07T14:03:00Z", "--to",
         "2026-12-07T14:01:00Z"},
        {path("missing.txt"), "-o", path("pass.png")},
        {path("pass.txt"), "-o", path("no/folder/pass.png")}};
    for (const QStringList& arguments : wrong) {
        const PlotRun r = run(arguments);
        EXPECT_EQ(r.status, 2) << arguments.join(' ').toStdString();
        EXPECT_NE(r.err.find("orvinta-plot: "), std::string::npos) << r.err;
    }
    EXPECT_FALSE(QFile::exists(path("pass.png")));
    const PlotRun missing = run({path("missing.txt"), "-o", path("pass.png")});
    EXPECT_EQ(missing.err, "orvinta-plot: " + path("missing.txt").toStdString() + ": " +
                               std::strerror(ENOENT) + "\n");
}

TEST_F(PlotCli, HelpNamesEveryOptionInGerman) {
    const PlotRun r = run({"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* option : {"--output", "--size", "--from", "--to", "--channels"})
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
    EXPECT_NE(r.out.find("Zeichnet die acht Kanäle"), std::string::npos);
}

TEST_F(PlotCli, TheProgramDrawsWithoutADisplayOfItsOwnAccord) {
    // No platform is named and there is no display: the program must choose offscreen.
    const std::string command = "env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY '" +
                                std::string(ORVINTA_PLOT_BINARY) + "' '" +
                                path("pass.txt").toStdString() + "' -o '" +
                                path("binary.png").toStdString() + "' 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(QImage(path("binary.png")).size(), QSize(1200, 1600));
}

} // namespace
} // namespace orvinta::history
