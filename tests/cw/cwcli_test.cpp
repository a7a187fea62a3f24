// SPDX-License-Identifier: GPL-3.0-or-later
#include "cw/cli/cwcli.h"

#include "keyer/keyedsignal.h"
#include "tests/support/sampleline.h"
#include "tests/support/testnames.h"
#include "timestamps/isotime.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace orvinta::cw {
namespace {

using keyer::AudioFormat;
using keyer::KeyedRecording;
using keyer::keyFrames;
using keyer::SignalOptions;
using keyer::writeAudio;

using test::kSampleLine;
constexpr const char* kSecondFrame = "E LUSAT HI HI 7O TT4 BNN 6UE DVA 4EA TAT NDB VV6";

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

CliRun run(QStringList arguments) {
    arguments.prepend(QStringLiteral("orvinta-cw"));
    std::ostringstream out;
    std::ostringstream err;
    const int status = runCwCli(arguments, out, err);
    return {status, out.str(), err.str()};
}

/// What a shell command line writes to standard output; empty when it fails.
std::string shellOutput(const std::string& command) {
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return {};
    }
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    return ::pclose(pipe) == 0 ? output : std::string();
}

class CwCliTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }

    static SignalOptions signal(int rate) {
        SignalOptions options;
        options.sampleRate = rate;
        options.wordsPerMinute = 25.0;
        options.toneHz = 1100.0;
        options.snrDb = 0.0;
        options.leadSeconds = 1.5;
        options.gapSeconds = 1.0;
        options.tailSeconds = 0.5;
        return options;
    }

    /// Writes a recording of `frames` at `rate` in `format` and returns its path.
    QString record(const QString& name, int rate, AudioFormat format, int channels = 1,
                   std::vector<std::string> frames = {kSampleLine}) {
        const KeyedRecording recording = keyFrames(frames, signal(rate));
        EXPECT_TRUE(writeAudio(QFile::encodeName(path(name)).toStdString(), recording.samples, rate,
                               format, channels));
        return path(name);
    }

    /// Writes `frames` as float samples, which read back as written, and gives the frames
    /// the decoder hears in them: the frames orvinta-cw hears in the file.
    std::vector<HeardFrame> recordExactly(const QString& name, std::vector<std::string> frames) {
        const KeyedRecording recording = keyFrames(frames, signal(8000));
        EXPECT_TRUE(writeAudio(QFile::encodeName(path(name)).toStdString(), recording.samples, 8000,
                               AudioFormat::WavFloat));
        return keyer::decodeSamples(recording.samples, 8000);
    }

    QTemporaryDir dir;
};

struct FileCase {
    int rate;
    AudioFormat format;
    int channels;
    const char* name;
};

void PrintTo(const FileCase& c, std::ostream* os) {
    *os << c.name << ' ' << c.rate << " Hz " << c.channels << " ch";
}

class CwCliFileTest : public CwCliTest, public ::testing::WithParamInterface<FileCase> {};

TEST_P(CwCliFileTest, DecodesTheRecording) {
    const FileCase c = GetParam();
    const CliRun result = run({record(QString::fromUtf8(c.name), c.rate, c.format, c.channels)});
    EXPECT_EQ(result.status, kCwExitOk) << result.err;
    EXPECT_EQ(result.out, std::string(kSampleLine) + "\n");
    EXPECT_EQ(result.err, "");
}

INSTANTIATE_TEST_SUITE_P(RatesAndFormats, CwCliFileTest,
                         ::testing::Values(FileCase{8000, AudioFormat::Wav16, 1, "a.wav"},
                                           FileCase{11025, AudioFormat::Wav16, 1, "b.wav"},
                                           FileCase{16000, AudioFormat::Flac, 1, "c.flac"},
                                           FileCase{22050, AudioFormat::Vorbis, 1, "d.ogg"},
                                           FileCase{32000, AudioFormat::WavFloat, 1, "e.wav"},
                                           FileCase{44100, AudioFormat::Flac, 2, "f.flac"},
                                           FileCase{48000, AudioFormat::Wav16, 2, "g.wav"},
                                           FileCase{48000, AudioFormat::Vorbis, 2, "h.ogg"},
                                           FileCase{96000, AudioFormat::Flac, 1, "i.flac"},
                                           FileCase{192000, AudioFormat::Wav16, 1, "j.wav"},
                                           FileCase{384000, AudioFormat::WavFloat, 1, "k.wav"}),
                         test::PrintedName());

TEST_F(CwCliTest, WritesOneLinePerFrameOfEveryFile) {
    const QString first =
        record(QStringLiteral("1.wav"), 8000, AudioFormat::Wav16, 1, {kSampleLine, kSecondFrame});
    const QString second = record(QStringLiteral("2.wav"), 8000, AudioFormat::Wav16);
    const CliRun result = run({first, second});
    EXPECT_EQ(result.status, kCwExitOk);
    EXPECT_EQ(result.out,
              std::string(kSampleLine) + "\n" + kSecondFrame + "\n" + kSampleLine + "\n");
}

TEST_F(CwCliTest, TextGivesTheTimeOfEachFrame) {
    const QString file =
        record(QStringLiteral("t.wav"), 8000, AudioFormat::Wav16, 1, {kSampleLine, kSecondFrame});
    const CliRun result = run({QStringLiteral("--text"), file});
    EXPECT_EQ(result.status, kCwExitOk);
    // The first frame starts after 1.5 s; the second after the first, a word gap and 1 s.
    std::istringstream lines(result.out);
    double firstTime = 0.0;
    double secondTime = 0.0;
    std::string firstText;
    std::string secondText;
    lines >> firstTime >> std::ws;
    std::getline(lines, firstText);
    lines >> secondTime >> std::ws;
    std::getline(lines, secondText);
    EXPECT_NEAR(firstTime, 1.5, 0.05);
    EXPECT_EQ(firstText.substr(0, std::string(kSampleLine).size() + 2),
              std::string(kSampleLine) + "  ");
    EXPECT_GT(secondTime, firstTime + 15.0);
    EXPECT_EQ(secondText.substr(0, std::string(kSecondFrame).size()), kSecondFrame);
    // Nine places with two decimals, then two blanks.
    EXPECT_EQ(result.out.substr(0, 8), "     1.5");
    EXPECT_EQ(result.out.substr(9, 2), "  ");
    // After the line: tone, speed, SNR and the confidence in the frame.
    std::istringstream details(firstText.substr(std::string(kSampleLine).size()));
    double tone = 0.0;
    double wpm = 0.0;
    double snr = 0.0;
    double confidence = 0.0;
    std::string hz;
    std::string speed;
    std::string db;
    std::string label;
    std::string unreadLabel;
    int unread = -1;
    details >> tone >> hz >> wpm >> speed >> snr >> db >> label >> confidence >> unreadLabel >>
        unread;
    EXPECT_NEAR(tone, 1100.0, 3.0) << firstText;
    EXPECT_EQ(hz + speed + db + label + unreadLabel, "HzWpMdBVertrauenunlesbar") << firstText;
    EXPECT_EQ(unread, 0) << firstText;
    EXPECT_NEAR(wpm, 25.0, 0.1) << firstText;
    EXPECT_GT(confidence, 0.9) << firstText;
    EXPECT_LE(confidence, 1.0) << firstText;

    const CliRun two = run({QStringLiteral("--text"), file, file});
    const std::string heading = file.toStdString() + ":\n";
    EXPECT_EQ(two.out.substr(0, heading.size()), heading);
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

TEST_F(CwCliTest, TextGivesTheUtcTimeWhenTheStartIsKnown) {
    const std::vector<HeardFrame> frames =
        recordExactly(QStringLiteral("pass.wav"), {kSampleLine, kSecondFrame});
    ASSERT_EQ(frames.size(), 2U);
    const QString file = path(QStringLiteral("pass.wav"));
    const CliRun seconds = run({QStringLiteral("--text"), file});
    const CliRun timed = run({QStringLiteral("--text"), QStringLiteral("--start"),
                              QStringLiteral("2026-12-07T16:05:00+02:00"), file});
    EXPECT_EQ(timed.status, kCwExitOk);
    EXPECT_EQ(timed.err, "");
    const std::vector<std::string> secondsLines = linesOf(seconds.out);
    const std::vector<std::string> timedLines = linesOf(timed.out);
    ASSERT_EQ(secondsLines.size(), 2U);
    ASSERT_EQ(timedLines.size(), 2U);
    const UtcTime start = *parseIsoTime("2026-12-07T14:05:00Z").time;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        char time[16];
        std::snprintf(time, sizeof time, "%9.2f", frames[i].seconds);
        EXPECT_EQ(secondsLines[i].substr(0, 11), std::string(time) + "  ");
        // The time of day, padded to the width of one with milliseconds; then the same.
        std::string timeOfDay = formatIsoTime(timeAtOffset(start, frames[i].seconds));
        timeOfDay.resize(24, ' ');
        EXPECT_EQ(timedLines[i], timeOfDay + secondsLines[i].substr(9));
    }
}

TEST_F(CwCliTest, TimeWritesTimedLinesOrPlainOnesWithAWarning) {
    const std::vector<HeardFrame> frames =
        recordExactly(QStringLiteral("sdr_20261207_140500.wav"), {kSampleLine, kSecondFrame});
    ASSERT_EQ(frames.size(), 2U);
    const UtcTime start = *parseIsoTime("2026-12-07T14:05:00Z").time;
    const CliRun timed =
        run({QStringLiteral("--time"), path(QStringLiteral("sdr_20261207_140500.wav"))});
    EXPECT_EQ(timed.status, kCwExitOk);
    EXPECT_EQ(timed.err, "");
    EXPECT_EQ(timed.out, formatIsoTime(timeAtOffset(start, frames[0].seconds)) + "\t" +
                             kSampleLine + "\n" +
                             formatIsoTime(timeAtOffset(start, frames[1].seconds)) + "\t" +
                             kSecondFrame + "\n");

    const QString unknown = path(QStringLiteral("pass.wav"));
    ASSERT_TRUE(QFile::copy(path(QStringLiteral("sdr_20261207_140500.wav")), unknown));
    const CliRun plain = run({QStringLiteral("--time"), unknown});
    EXPECT_EQ(plain.status, kCwExitOk);
    EXPECT_EQ(plain.out, std::string(kSampleLine) + "\n" + kSecondFrame + "\n");
    EXPECT_EQ(plain.err, "orvinta-cw: " + unknown.toStdString() +
                             ": Startzeit unbekannt, die Zeilen bleiben ohne Zeit (--start "
                             "angeben)\n");
}

TEST_F(CwCliTest, RefusesABadStartTime) {
    const QString file = record(QStringLiteral("s.wav"), 8000, AudioFormat::Wav16);
    const struct {
        const char* start;
        const char* reason;
    } cases[] = {
        {"2026-12-07T14:05:00", "die Zeitzone fehlt"},
        {"2026-13-07T14:05Z", "das Datum gibt es nicht"},
        {"morgen", "das Datum ist nicht JJJJ-MM-TT"},
    };
    for (const auto& c : cases) {
        const CliRun result = run({QStringLiteral("--start"), QString::fromUtf8(c.start), file});
        EXPECT_EQ(result.status, kCwExitFailure) << c.start;
        EXPECT_EQ(result.out, "") << c.start;
        const std::string told =
            "orvinta-cw: --start: ungültige Zeit \"" + std::string(c.start) + "\": " + c.reason;
        EXPECT_EQ(result.err.substr(0, told.size()), told) << result.err;
        EXPECT_NE(result.err.find("--help"), std::string::npos) << result.err;
    }
}

TEST_F(CwCliTest, VerboseReportsToneSpeedAndSnr) {
    const CliRun result = run(
        {QStringLiteral("--verbose"), record(QStringLiteral("v.wav"), 8000, AudioFormat::Wav16)});
    EXPECT_EQ(result.status, kCwExitOk);
    EXPECT_EQ(result.out, std::string(kSampleLine) + "\n");
    const std::size_t tone = result.err.find("Ton ");
    ASSERT_NE(tone, std::string::npos) << result.err;
    EXPECT_NEAR(std::stod(result.err.substr(tone + 4)), 1100.0, 3.0) << result.err;
    EXPECT_NE(result.err.find("Tempo 25.0 WpM"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("SNR "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("Vertrauen 1.00, 0 unlesbare Zeichen"), std::string::npos)
        << result.err;
}

TEST_F(CwCliTest, ReportsARecordingWithoutFrames) {
    std::vector<float> silence(8000 * 5, 0.0f);
    ASSERT_TRUE(writeAudio(QFile::encodeName(path(QStringLiteral("quiet.wav"))).toStdString(),
                           silence, 8000, AudioFormat::Wav16));
    const CliRun result = run({QStringLiteral("--verbose"), path(QStringLiteral("quiet.wav"))});
    EXPECT_EQ(result.status, kCwExitOk);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("kein Block gefunden"), std::string::npos);
}

TEST_F(CwCliTest, NamesFilesThatCannotBeReadAndGoesOn) {
    const QString good = record(QStringLiteral("good.wav"), 8000, AudioFormat::Wav16);
    {
        std::ofstream garbage(QFile::encodeName(path(QStringLiteral("garbage.wav"))).toStdString(),
                              std::ios::binary);
        for (int i = 0; i < 5000; ++i) {
            garbage.put(static_cast<char>((i * 37 + 11) % 251));
        }
        std::ofstream empty(QFile::encodeName(path(QStringLiteral("empty.wav"))).toStdString());
        std::ofstream text(QFile::encodeName(path(QStringLiteral("frame.txt"))).toStdString());
        text << kSampleLine << '\n';
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.wav")));
    const QString slow = record(QStringLiteral("slow.wav"), 4000, AudioFormat::Wav16);
    for (const QString& bad :
         {path(QStringLiteral("missing.wav")), path(QStringLiteral("garbage.wav")),
          path(QStringLiteral("empty.wav")), path(QStringLiteral("frame.txt")),
          path(QStringLiteral("folder.wav")), slow}) {
        const CliRun result = run({bad, good});
        EXPECT_EQ(result.status, kCwExitFailure) << bad.toStdString();
        EXPECT_EQ(result.out, std::string(kSampleLine) + "\n") << bad.toStdString();
        const std::string prefix = "orvinta-cw: " + bad.toStdString() + ": ";
        EXPECT_EQ(result.err.substr(0, prefix.size()), prefix) << result.err;
        EXPECT_GT(result.err.size(), prefix.size() + 3) << "reason missing: " << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    // The reasons are German, the system's and the audio library's alike.
    const std::pair<const char*, const char*> reasons[] = {
        {"missing.wav", "Datei oder Verzeichnis nicht gefunden"},
        {"folder.wav", "Ist ein Verzeichnis"},
        {"garbage.wav", "Format nicht erkannt"},
        {"frame.txt", "Format nicht erkannt"}};
    for (const auto& [name, reason] : reasons) {
        const QString file = path(QString::fromLatin1(name));
        EXPECT_EQ(run({file}).err,
                  "orvinta-cw: " + file.toStdString() + ": " + std::string(reason) + "\n");
    }
    EXPECT_NE(run({slow}).err.find("4000 Hz wird nicht unterstützt"), std::string::npos);
}

TEST_F(CwCliTest, RejectsWrongUsage) {
    const CliRun none = run({});
    EXPECT_EQ(none.status, kCwExitFailure);
    EXPECT_NE(none.err.find("keine Tonaufnahme"), std::string::npos);
    const CliRun unknown = run({QStringLiteral("--bogus"), QStringLiteral("x.wav")});
    EXPECT_EQ(unknown.status, kCwExitFailure);
    EXPECT_NE(unknown.err.find("--help"), std::string::npos);
    // One start time cannot be right for several recordings.
    const CliRun several = run({QStringLiteral("--start"), QStringLiteral("2026-12-07T14:05Z"),
                                QStringLiteral("a.wav"), QStringLiteral("b.wav")});
    EXPECT_EQ(several.status, kCwExitFailure);
    EXPECT_NE(several.err.find("--start gilt nur für eine DATEI"), std::string::npos);
    const CliRun both =
        run({QStringLiteral("--text"), QStringLiteral("--time"), QStringLiteral("a.wav")});
    EXPECT_EQ(both.status, kCwExitFailure);
    EXPECT_NE(both.err.find("--text und --time"), std::string::npos);
}

TEST_F(CwCliTest, ShowsHelpAndVersion) {
    const CliRun help = run({QStringLiteral("--help")});
    EXPECT_EQ(help.status, kCwExitOk);
    EXPECT_NE(help.out.find("--text"), std::string::npos);
    EXPECT_NE(help.out.find("--verbose"), std::string::npos);
    EXPECT_NE(help.out.find("--start <ZEIT>"), std::string::npos);
    EXPECT_NE(help.out.find("--time"), std::string::npos);
    EXPECT_NE(help.out.find("DATEI"), std::string::npos);
    const CliRun version = run({QStringLiteral("--version")});
    EXPECT_EQ(version.status, kCwExitOk);
    EXPECT_EQ(version.out, "orvinta-cw 6.1.0\n");
}

TEST_F(CwCliTest, FeedsTheCommandLineDecoder) {
    // The program's output is what orvinta-decode takes: a table row per frame.
    const QString file = record(QStringLiteral("pipe.flac"), 44100, AudioFormat::Flac);
    const std::string command = std::string(ORVINTA_CW_BINARY) + " '" +
                                QFile::encodeName(file).toStdString() + "' | " +
                                ORVINTA_DECODE_BINARY;
    const std::string output = shellOutput(command);
    EXPECT_EQ(output, "6;OK; 4.892308; 10.944; 3.7878; 947.282044887781; 7.832; 119; .3; 8.68\n");
}

TEST_F(CwCliTest, FeedsTheDecodersTimeColumn) {
    const std::vector<HeardFrame> frames =
        recordExactly(QStringLiteral("pass_2026-12-07T14-05-00.wav"), {kSampleLine});
    ASSERT_EQ(frames.size(), 1U);
    const std::string command =
        std::string(ORVINTA_CW_BINARY) + " --time '" +
        QFile::encodeName(path(QStringLiteral("pass_2026-12-07T14-05-00.wav"))).toStdString() +
        "' | " + ORVINTA_DECODE_BINARY + " --time --header";
    const std::string output = shellOutput(command);
    const std::string time =
        formatIsoTime(timeAtOffset(*parseIsoTime("2026-12-07T14:05:00Z").time, frames[0].seconds));
    EXPECT_EQ(output.substr(0, 11), "Zeit (UTC);") << output;
    EXPECT_EQ(output.substr(output.find('\n') + 1),
              time + ";6;OK; 4.892308; 10.944; 3.7878; 947.282044887781; 7.832; 119; .3; 8.68\n");
}

} // namespace
} // namespace orvinta::cw
