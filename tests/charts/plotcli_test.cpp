// SPDX-License-Identifier: GPL-3.0-or-later
#include "charts/plotcli.h"

#include "charts/historycharts.h"

#include "history/tablesupport.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

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
                         ": 1 Zeile ohne Zeit ist nicht gezeichnet\n");
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

/// The texts of an SVG picture, as a reader of the picture sees them.
QStringList svgTexts(const QString& file) {
    QFile svg(file);
    if (!svg.open(QIODevice::ReadOnly))
        return {};
    QStringList texts;
    QXmlStreamReader xml(&svg);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"text")
            texts << xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
    }
    return texts;
}

/// The texts that Qt Charts had to cut short for want of room.
QStringList cutTexts(const QStringList& texts) {
    QStringList cut;
    for (const QString& text : texts) {
        if (text.contains(QStringLiteral("...")) || text.contains(QChar(0x2026)))
            cut << text;
    }
    return cut;
}

TEST_F(PlotCli, EveryLabelIsWrittenOutAtCommonSizes) {
    const QStringList wanted{"Spannungen (V)",     "Temperaturen (°C)",      "Sendeleistung (mW)",
                             "Strom (mA)",         "Zeit (UTC), 2026-12-07", "1 +5 V reguliert",
                             "8 +8,5 V reguliert", "6 +10 V Strom"};
    for (const char* size : {"1200x1600", "1024x768", "800x600", "800x480", "400x960"}) {
        const PlotRun r = run({path("pass.txt"), "-o", path("pass.svg"), "--size", size});
        ASSERT_EQ(r.status, 0) << size << ": " << r.err;
        const QStringList texts = svgTexts(path("pass.svg"));
        EXPECT_EQ(cutTexts(texts), QStringList()) << size;
        for (const QString& text : wanted)
            EXPECT_TRUE(texts.contains(text)) << size << ": " << text.toStdString();
        EXPECT_FALSE(texts.filter(QRegularExpression(QStringLiteral("^14:02"))).isEmpty())
            << size << ": a mark of the time axis";
    }
}

TEST_F(PlotCli, SizesTooSmallForReadableLabelsAreRefusedWithTheSmallestThatWorks) {
    const struct {
        const char* size;
        const char* smallest;
    } cases[] = {{"799x480", "800x480"},
                 {"800x479", "800x480"},
                 {"399x1600", "400x960"},
                 {"640x400", "800x480"},
                 {"1x1", "800x480"}};
    for (const auto& c : cases) {
        const PlotRun r = run({path("pass.txt"), "-o", path("small.svg"), "--size", c.size});
        EXPECT_EQ(r.status, 2) << c.size;
        EXPECT_EQ(r.err, std::string("orvinta-plot: --size ") + c.size +
                             " ist zu klein für lesbare Beschriftungen; kleinste Größe: " +
                             c.smallest + "\n");
    }
    EXPECT_FALSE(QFile::exists(path("small.svg")));
    // Fewer charts need less room: one chart of one channel fits in the smallest chart.
    const PlotRun one =
        run({path("pass.txt"), "-o", path("one.svg"), "--size", "400x240", "--channels", "6"});
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(cutTexts(svgTexts(path("one.svg"))), QStringList());
}

TEST_F(PlotCli, ChannelsLeftOutAreNotDrawnAtAll) {
    ASSERT_EQ(
        run({path("pass.txt"), "-o", path("two.svg"), "--size", "800x600", "--channels", "1,6"})
            .status,
        0);
    const QStringList texts = svgTexts(path("two.svg"));
    EXPECT_TRUE(texts.contains("Spannungen (V)"));
    EXPECT_TRUE(texts.contains("Strom (mA)"));
    EXPECT_TRUE(texts.contains("1 +5 V reguliert"));
    EXPECT_TRUE(texts.contains("6 +10 V Strom"));
    for (const char* gone : {"Temperaturen (°C)", "Sendeleistung (mW)", "2 +10 V Batterie",
                             "7 +Z-Solarpanel", "4 CW-TX-Power-Out"}) {
        EXPECT_FALSE(texts.contains(gone)) << gone;
    }
    EXPECT_FALSE(texts.join(' ').contains(kNoValuesText));
}

TEST_F(PlotCli, OneRowAndARangeOfOneInstantAreDrawn) {
    put("one.txt", "2026-12-07T14:05:00Z;" + test::kSampleRow + "\r\n");
    const std::vector<QStringList> runs{{path("one.txt"), "-o", path("one.svg")},
                                        {path("pass.txt"), "-o", path("one.svg"), "--from",
                                         "2026-12-07T14:02:00Z", "--to", "2026-12-07T14:02:00Z"}};
    for (const QStringList& arguments : runs) {
        const PlotRun r = run(arguments);
        EXPECT_EQ(r.status, 0) << r.err;
        const QStringList texts = svgTexts(path("one.svg"));
        EXPECT_EQ(cutTexts(texts), QStringList());
        EXPECT_TRUE(texts.contains("Spannungen (V)")) << texts.join('|').toStdString();
        EXPECT_FALSE(texts.join(' ').contains(kNoValuesText)) << texts.join('|').toStdString();
    }
    // A range between two frames holds no value: its charts say so.
    const PlotRun between = run({path("pass.txt"), "-o", path("none.svg"), "--from",
                                 "2026-12-07T14:02:10Z", "--to", "2026-12-07T14:02:50Z"});
    EXPECT_EQ(between.status, 0) << between.err;
    EXPECT_TRUE(svgTexts(path("none.svg")).contains("Spannungen (V): keine Werte"));
}

TEST_F(PlotCli, ARangeBeyondTheTableSaysWhichEndIsWrong) {
    const struct {
        QStringList options;
        std::string message;
    } cases[] = {
        {{"--from", "2026-12-07T16:00Z"},
         "--from 2026-12-07T16:00:00Z liegt hinter dem Ende der Tabelle (2026-12-07T14:04:00Z)"},
        {{"--to", "2026-12-07T13:00Z"},
         "--to 2026-12-07T13:00:00Z liegt vor dem Anfang der Tabelle (2026-12-07T14:00:00Z)"},
        {{"--from", "2026-12-07T14:03:00Z", "--to", "2026-12-07T14:01:00Z"},
         "--to 2026-12-07T14:01:00Z liegt vor --from 2026-12-07T14:03:00Z"},
    };
    for (const auto& c : cases) {
        const PlotRun r = run(QStringList{path("pass.txt"), "-o", path("range.png")} + c.options);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, "orvinta-plot: " + c.message + "\n");
    }
    EXPECT_FALSE(QFile::exists(path("range.png")));
}

TEST_F(PlotCli, SystemReasonsAreGerman) {
    const PlotRun missing = run({path("missing.txt"), "-o", path("pass.png")});
    EXPECT_EQ(missing.err, "orvinta-plot: " + path("missing.txt").toStdString() +
                               ": Datei oder Verzeichnis nicht gefunden\n");
    const PlotRun folder = run({path("pass.txt"), "-o", path("no/folder/pass.png")});
    EXPECT_EQ(folder.status, 2);
    EXPECT_EQ(folder.err.find("No such"), std::string::npos) << folder.err;
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
