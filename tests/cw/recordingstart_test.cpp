// SPDX-License-Identifier: GPL-3.0-or-later
// Where orvinta-cw takes a recording's start time from: --start, else the metadata the
// recorder wrote (Broadcast-WAV origination before the date tag), else the file name.
// Recordings are written with their metadata through libsndfile; --verbose names the
// time found and its source.
#include "cw/cli/cwcli.h"

#include "keyer/keyedsignal.h"
#include "tests/support/testnames.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace orvinta::cw {
namespace {

using keyer::AudioFormat;

struct StartCase {
    const char* fileName;
    AudioFormat format;
    DateTags tags;
    const char* option; ///< --start, none when null
    const char* found;  ///< what --verbose says after "Startzeit "
};

void PrintTo(const StartCase& c, std::ostream* os) {
    *os << c.fileName << ' ' << c.found;
}

class RecordingStartTest : public ::testing::TestWithParam<StartCase> {
protected:
    QTemporaryDir dir;
};

TEST_P(RecordingStartTest, TakesOptionThenMetadataThenFileName) {
    const StartCase& c = GetParam();
    const QString path = dir.filePath(QString::fromUtf8(c.fileName));
    // A second of silence: no frame, so only the start time is told.
    ASSERT_TRUE(keyer::writeAudio(QFile::encodeName(path).toStdString(),
                                  std::vector<float>(8000, 0.0f), 8000, c.format, 1, c.tags));
    QStringList arguments{QStringLiteral("orvinta-cw"), QStringLiteral("--verbose")};
    if (c.option != nullptr)
        arguments << QStringLiteral("--start") << QString::fromUtf8(c.option);
    arguments << path;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runCwCli(arguments, out, err), kCwExitOk);
    const std::string name = path.toStdString();
    EXPECT_EQ(err.str(), name + ": Startzeit " + c.found + "\n" + name + ": kein Block gefunden\n");
    EXPECT_EQ(out.str(), "");
}

const DateTags kNoTags;
const DateTags kBroadcast{"2026-12-07", "16:10:30", "2026-12-07T15:00:00Z"};

INSTANTIATE_TEST_SUITE_P(
    Sources, RecordingStartTest,
    ::testing::Values(StartCase{"pass_2026-12-07T14-05-00.wav", AudioFormat::Wav16, kNoTags,
                                nullptr, "2026-12-07T14:05:00Z (Dateiname)"},
                      StartCase{"gqrx_20261207_140500_145800000.flac", AudioFormat::Flac, kNoTags,
                                nullptr, "2026-12-07T14:05:00Z (Dateiname)"},
                      StartCase{"pass_2026-12-07T14-05-00.wav",
                                AudioFormat::Wav16,
                                {"", "", "2026-12-07T15:00:00Z"},
                                nullptr,
                                "2026-12-07T15:00:00Z (Metadaten)"},
                      // The origination fields come before the date tag.
                      StartCase{"pass_2026-12-07T14-05-00.wav", AudioFormat::Wav16, kBroadcast,
                                nullptr, "2026-12-07T16:10:30Z (Metadaten)"},
                      StartCase{"bwf.wav",
                                AudioFormat::WavFloat,
                                {"2026:12:07", "16.10.30", ""},
                                nullptr,
                                "2026-12-07T16:10:30Z (Metadaten)"},
                      // Without a zone a recorder's time is UTC; with one it is honoured.
                      StartCase{"a.flac",
                                AudioFormat::Flac,
                                {"", "", "2026-12-07 14:07:12"},
                                nullptr,
                                "2026-12-07T14:07:12Z (Metadaten)"},
                      StartCase{"b.flac",
                                AudioFormat::Flac,
                                {"", "", "2026-12-07T16:05:00+02:00"},
                                nullptr,
                                "2026-12-07T14:05:00Z (Metadaten)"},
                      StartCase{"c.ogg",
                                AudioFormat::Vorbis,
                                {"", "", "2026-12-07T14:05:00.250"},
                                nullptr,
                                "2026-12-07T14:05:00.250Z (Metadaten)"},
                      // A date alone, or origination fields without a time, is no start time.
                      StartCase{"rec_20261207T140500Z.flac",
                                AudioFormat::Flac,
                                {"", "", "2026-12-07"},
                                nullptr,
                                "2026-12-07T14:05:00Z (Dateiname)"},
                      StartCase{"d.wav",
                                AudioFormat::Wav16,
                                {"2026-12-07", "", "2026-12-07T15:00:00"},
                                nullptr,
                                "2026-12-07T15:00:00Z (Metadaten)"},
                      StartCase{"pass_2026-12-07T14-05-00.wav", AudioFormat::Wav16, kBroadcast,
                                "2026-12-07T14:30:00+01:00", "2026-12-07T13:30:00Z (Option)"},
                      StartCase{
                          "e.flac", AudioFormat::Flac, {"", "", "2026"}, nullptr, "unbekannt"},
                      StartCase{"aufnahme.wav", AudioFormat::Wav16, kNoTags, nullptr, "unbekannt"}),
    test::PrintedName());

} // namespace
} // namespace orvinta::cw
