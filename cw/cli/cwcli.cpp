// SPDX-License-Identifier: GPL-3.0-or-later
#include "cwcli.h"

#include "cw/audio/audiofile.h"
#include "cw/audio/recordingstart.h"
#include "cw/cwdecoder.h"

#include "commandline/commandline.h"
#include "formats/audioreasons.h"
#include "submission/batchsubmission.h"
#include "submission/sidsfields.h"
#include "submission/submissionsettings.h"
#include "timestamps/isotime.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace orvinta::cw {
namespace {

constexpr std::size_t kBlockFrames = 1 << 14;
/// The width of a time with milliseconds, "2026-12-07T14:05:00.250Z": --text pads the
/// times of whole seconds to it, so that the columns after them line up.
constexpr std::size_t kTimeWidth = 24;

struct Options {
    bool text = false;
    bool time = false;
    bool verbose = false;
    std::optional<UtcTime> start;
    QStringList inputs;
    /// Set with --submit or --submit-pending.
    std::optional<submission::BatchOptions> submission;
};

std::string formatted(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

/// Writes the frames of one file as they are found.
class FramePrinter {
public:
    FramePrinter(const Options& options, const std::string& name,
                 const std::optional<RecordingStart>& start, std::ostream& out, std::ostream& err)
        : m_options(options)
        , m_name(name)
        , m_start(start)
        , m_out(out)
        , m_err(err) {}

    void print(const std::vector<HeardFrame>& frames) {
        for (const HeardFrame& frame : frames) {
            keepForSubmitting(frame);
            if (m_options.time && m_start) {
                m_out << isoTime(frame) << '\t' << frame.text << '\n';
            } else if (m_options.text) {
                m_out << timeText(frame) << "  " << frame.text << "  "
                      << formatted("%6.1f", frame.toneHz) << " Hz  "
                      << formatted("%4.1f", frame.wordsPerMinute) << " WpM  "
                      << formatted("%+5.1f", frame.snrDb) << " dB  Vertrauen "
                      << formatted("%.2f", frame.confidence) << "  unlesbar " << frame.unreadable
                      << '\n';
            } else {
                m_out << frame.text << '\n';
            }
            if (m_options.verbose) {
                m_err << m_name << ": " << formatted("%.2f", frame.seconds) << " s: Ton "
                      << formatted("%.1f", frame.toneHz) << " Hz, Tempo "
                      << formatted("%.1f", frame.wordsPerMinute) << " WpM, SNR "
                      << formatted("%.1f", frame.snrDb) << " dB in 3 kHz, Vertrauen "
                      << formatted("%.2f", frame.confidence) << ", " << frame.unreadable
                      << (frame.unreadable == 1 ? " unlesbares Zeichen\n" : " unlesbare Zeichen\n");
            }
            ++m_count;
        }
    }

    long long count() const { return m_count; }
    /// The frames printed, for submitting them.
    const std::vector<submission::ReadFrame>& read() const { return m_read; }

private:
    void keepForSubmitting(const HeardFrame& frame) {
        if (m_options.submission) {
            m_read.push_back({frame.text, frame.confidence,
                              m_start ? timeAtOffset(m_start->time, frame.seconds) : UtcTime()});
        }
    }

    /// When the frame began in UTC; only with the recording's start known.
    std::string isoTime(const HeardFrame& frame) const {
        return formatIsoTime(timeAtOffset(m_start->time, frame.seconds));
    }

    /// When the frame began: its time of day when the recording's start is known, else
    /// seconds into the file.
    std::string timeText(const HeardFrame& frame) const {
        if (!m_start)
            return formatted("%9.2f", frame.seconds);
        std::string text = isoTime(frame);
        text.resize(std::max(text.size(), kTimeWidth), ' ');
        return text;
    }

    const Options& m_options;
    const std::string& m_name;
    const std::optional<RecordingStart>& m_start;
    std::ostream& m_out;
    std::ostream& m_err;
    long long m_count = 0;
    std::vector<submission::ReadFrame> m_read;
};

/// Names the start time and its source with --verbose; warns when --time has none.
void reportStart(const Options& options, const std::string& name,
                 const std::optional<RecordingStart>& start, std::ostream& err) {
    if (options.verbose) {
        err << name << ": Startzeit ";
        if (start)
            err << formatIsoTime(start->time) << " (" << startSourceName(start->source) << ")\n";
        else
            err << "unbekannt\n";
    }
    if (options.time && !start) {
        err << "orvinta-cw: " << name
            << ": Startzeit unbekannt, die Zeilen bleiben ohne Zeit (--start angeben)\n";
    }
}

/// Decodes one file and submits its frames with `submission`; false with the reason when
/// it cannot be read.
bool decodeFile(const Options& options, const QString& input, std::ostream& out, std::ostream& err,
                submission::BatchSubmission* submission, std::string* reason) {
    const std::string name = input.toStdString();
    const std::string path = QFile::encodeName(input).toStdString();
    const std::unique_ptr<AudioFile> file = AudioFile::open(path, reason);
    if (!file) {
        *reason = germanAudioReason(*reason);
        return false;
    }
    if (!supportedSampleRate(file->sampleRate())) {
        *reason = "Abtastrate " + std::to_string(file->sampleRate()) +
                  " Hz wird nicht unterstützt (8 bis 384 kHz)";
        return false;
    }
    if (options.text && options.inputs.size() > 1) {
        out << name << ":\n";
    }
    const std::optional<RecordingStart> start =
        options.start ? RecordingStart{*options.start, StartSource::Option}
                      : recordingStart(*file, path);
    reportStart(options, name, start, err);
    CwDecoder decoder(file->sampleRate());
    FramePrinter printer(options, name, start, out, err);
    std::vector<float> block;
    while (file->read(kBlockFrames, block)) {
        decoder.push(block.data(), block.size());
        printer.print(decoder.takeFrames());
    }
    if (!file->error().empty()) {
        *reason = germanAudioReason(file->error());
        return false;
    }
    decoder.finish();
    printer.print(decoder.takeFrames());
    if (options.verbose && printer.count() == 0) {
        err << name << ": kein Block gefunden\n";
    }
    if (submission != nullptr)
        submission->submitRecording(name, printer.read(), start.has_value());
    return true;
}

/// The options of submitting the frames.
struct SubmitOptions {
    QCommandLineOption submit{
        QStringLiteral("submit"),
        QStringLiteral("Sendet die sicher gelesenen Blöcke (ohne \"?\", Vertrauen ab 0.99) "
                       "nach der Simple Downlink Share Convention an SatNOGS DB, dazu die noch "
                       "wartenden früherer Läufe. Jeder Block geht nur einmal hinaus. Braucht "
                       "Rufzeichen und Standort und die Startzeit der Aufnahme.")};
    QCommandLineOption pending{
        QStringLiteral("submit-pending"),
        QStringLiteral("Sendet die Blöcke, die von früheren Läufen oder vom Programm noch "
                       "warten; braucht keine DATEI.")};
    QCommandLineOption dryRun{
        QStringLiteral("dry-run"),
        QStringLiteral("Schreibt jede Anfrage, die gesendet würde, statt der Zeilen auf die "
                       "Standardausgabe und sendet nichts.")};
    QCommandLineOption server{
        QStringLiteral("server"),
        QStringLiteral("Sendet an diesen SiDS-Server statt an den eingestellten (sonst "
                       "https://db.satnogs.org/api/telemetry/)."),
        QStringLiteral("URL")};
    QCommandLineOption callsign{QStringLiteral("callsign"),
                                QStringLiteral("Rufzeichen der Station, statt des gespeicherten."),
                                QStringLiteral("RUFZEICHEN")};
    QCommandLineOption locator{
        QStringLiteral("locator"),
        QStringLiteral("Standort als Maidenhead-Locator (JN58TD, dessen Mitte), statt des "
                       "gespeicherten."),
        QStringLiteral("LOCATOR")};
    QCommandLineOption position{
        QStringLiteral("position"),
        QStringLiteral("Standort in Dezimalgrad, Nord und Ost positiv (48.1374,11.5761), statt "
                       "des gespeicherten."),
        QStringLiteral("BREITE,LÄNGE")};
    QCommandLineOption minConfidence{
        QStringLiteral("min-confidence"),
        QStringLiteral("Sendet nur Blöcke mit mindestens diesem Vertrauen (0 bis 1, sonst "
                       "0.99)."),
        QStringLiteral("WERT")};

    QList<QCommandLineOption> all() const {
        return {submit, pending, dryRun, server, callsign, locator, position, minConfidence};
    }
};

/// The station of this run: the saved one, with what the options give in its place. An
/// error text when an option is wrong.
QString resolveStation(const QCommandLineParser& parser, const SubmitOptions& names,
                       const submission::SubmissionSettings& saved,
                       std::optional<submission::Station>& station) {
    std::optional<std::string> callsign = saved.callsign.toStdString();
    if (parser.isSet(names.callsign)) {
        callsign = submission::normalizedCallsign(parser.value(names.callsign).toStdString());
        if (!callsign)
            return QStringLiteral("--callsign: kein Rufzeichen: ") + parser.value(names.callsign);
    }
    std::optional<submission::Position> position = saved.position;
    if (parser.isSet(names.locator) && parser.isSet(names.position))
        return QStringLiteral("--locator und --position schließen einander aus");
    if (parser.isSet(names.locator)) {
        position = submission::positionFromLocator(parser.value(names.locator).toStdString());
        if (!position)
            return QStringLiteral("--locator: kein Maidenhead-Locator: ") +
                   parser.value(names.locator);
    }
    if (parser.isSet(names.position)) {
        position = submission::parsePosition(parser.value(names.position).toStdString());
        if (!position)
            return QStringLiteral("--position: keine Position BREITE,LÄNGE in Dezimalgrad: ") +
                   parser.value(names.position);
    }
    if (!callsign->empty() && position)
        station = submission::Station{*callsign, *position};
    return {};
}

/// Reads the options of submitting; an error text when they are wrong.
QString parseSubmitOptions(const QCommandLineParser& parser, const SubmitOptions& names,
                           Options& options) {
    const bool submit = parser.isSet(names.submit) || parser.isSet(names.pending);
    if (!submit) {
        for (const QCommandLineOption& option : names.all()) {
            if (parser.isSet(option))
                return QStringLiteral("--%1 nur mit --submit oder --submit-pending")
                    .arg(option.names().constFirst());
        }
        return {};
    }
    const submission::SubmissionSettings saved = submission::loadSubmissionSettings();
    submission::BatchOptions batch;
    batch.dryRun = parser.isSet(names.dryRun);
    batch.journalPath = submission::journalFilePath();
    batch.server = parser.isSet(names.server) ? parser.value(names.server) : saved.server;
    if (!submission::SidsClient::usableUrl(batch.server))
        return QStringLiteral("--server: keine http- oder https-Adresse: ") + batch.server;
    batch.minimumConfidence = submission::kDefaultMinimumConfidence;
    if (parser.isSet(names.minConfidence)) {
        bool read = false;
        batch.minimumConfidence = parser.value(names.minConfidence).toDouble(&read);
        if (!read || batch.minimumConfidence < 0.0 || batch.minimumConfidence > 1.0)
            return QStringLiteral("--min-confidence: keine Zahl von 0 bis 1: ") +
                   parser.value(names.minConfidence);
    }
    if (QString error = resolveStation(parser, names, saved, batch.station); !error.isEmpty())
        return error;
    if (!options.inputs.isEmpty() && !batch.station) {
        return QStringLiteral("keine Station zum Senden: Rufzeichen und Standort im Programm "
                              "unter \"Datei\" > \"Station ...\" eintragen oder --callsign und "
                              "--locator oder --position angeben");
    }
    options.submission = std::move(batch);
    return {};
}

/// Parses the command line; on a usage error or --help/--version, returns the exit
/// status to end with.
std::optional<int> parseOptions(const QStringList& arguments, Options& options, std::ostream& out,
                                std::ostream& err) {
    CommandLine commandLine(
        "orvinta-cw",
        QStringLiteral(
            "Hört die CW-Bake von LUSAT-OSCAR 19 in Tonaufnahmen ab (WAV, FLAC, Ogg Vorbis;\n"
            "mono oder stereo, 8 bis 384 kHz) und schreibt jeden gehörten Block als\n"
            "Telemetriezeile, bereit für orvinta-decode. Den Ton (200-3000 Hz), seine\n"
            "Drift und das Tempo (8-30 WpM) findet das Programm selbst, auch neben anderen\n"
            "CW-Stationen. Ein Block wird nur geschrieben, wenn sein Anfang \"E LUSAT HI HI\"\n"
            "sicher gehört wurde. Nicht sicher lesbare Zeichen werden zu \"?\".\n"
            "\n"
            "Startzeit einer Aufnahme: --start, sonst aus den Metadaten (Broadcast-WAV\n"
            "bext, DATE/ICRD; Datum und Uhrzeit, ohne Zeitzone als UTC), sonst aus dem\n"
            "Dateinamen (..._2026-12-07T14-05-00.ogg, ..._20261207_140500.wav).\n"
            "\n"
            "Mit --submit gehen die sicher gelesenen Blöcke an SatNOGS DB (SiDS); ohne\n"
            "--submit wird nichts gesendet.\n"
            "\n"
            "Rückgabewert: 0 alle Dateien gelesen (und alle Blöcke gesendet), 1 ein Block\n"
            "wurde abgelehnt oder wartet noch, 2 Bedienfehler oder eine Datei konnte nicht\n"
            "gelesen werden."),
        out, err);
    QCommandLineParser& parser = commandLine.parser;
    const QCommandLineOption text(
        QStringLiteral("text"),
        QStringLiteral("Schreibt vor jede Zeile die Zeit, zu der der Block beginnt (UTC in "
                       "ISO 8601, wenn die Startzeit der Aufnahme bekannt ist, sonst Sekunden "
                       "ab Dateianfang), und dahinter Ton, Tempo, geschätzten Rauschabstand "
                       "und das Vertrauen (Wahrscheinlichkeit, dass kein geschriebenes "
                       "Zeichen falsch ist) mit der Zahl unlesbarer Zeichen (\"?\"); bei "
                       "mehreren Dateien unter dem Dateinamen."));
    const QCommandLineOption time(
        QStringLiteral("time"),
        QStringLiteral("Schreibt ZEIT<TAB>ZEILE mit der Zeit des Blocks in UTC, für "
                       "\"orvinta-decode --time\". Ohne bekannte Startzeit bleiben die Zeilen "
                       "ohne Zeit, mit einer Warnung."));
    const QCommandLineOption start(
        QStringLiteral("start"),
        QStringLiteral("Die Aufnahme begann zur ZEIT (ISO 8601 mit Zeitzone, z. B. "
                       "2026-12-07T14:05:00Z); gilt vor der Startzeit in den Metadaten und "
                       "im Dateinamen. Nur mit einer DATEI."),
        QStringLiteral("ZEIT"));
    const QCommandLineOption verbose(
        QStringLiteral("verbose"),
        QStringLiteral("Meldet je Block Tonfrequenz, Tempo, geschätzten Rauschabstand, "
                       "Vertrauen und die Zahl unlesbarer Zeichen auf der "
                       "Standardfehlerausgabe."));
    parser.addOptions({text, time, start, verbose});
    const SubmitOptions submit;
    parser.addOptions(submit.all());
    parser.addPositionalArgument(QStringLiteral("DATEI"),
                                 QStringLiteral("Tonaufnahme (WAV, FLAC, Ogg Vorbis)."),
                                 QStringLiteral("DATEI..."));

    if (const std::optional<int> status = commandLine.parse(arguments))
        return status;
    options.text = parser.isSet(text);
    options.time = parser.isSet(time);
    options.verbose = parser.isSet(verbose);
    options.inputs = parser.positionalArguments();
    if (options.inputs.isEmpty() && !parser.isSet(submit.pending)) {
        return commandLine.usageError(QStringLiteral("keine Tonaufnahme angegeben"));
    }
    if (const QString error = parseSubmitOptions(parser, submit, options); !error.isEmpty())
        return commandLine.usageError(error);
    if (options.text && options.time) {
        return commandLine.usageError(QStringLiteral("--text und --time schließen einander aus"));
    }
    if (parser.isSet(start)) {
        // Each recording began at its own time: one time cannot be right for several.
        if (options.inputs.size() > 1) {
            return commandLine.usageError(QStringLiteral("--start gilt nur für eine DATEI"));
        }
        const std::string value = parser.value(start).toStdString();
        const TimeParse parsed = parseIsoTime(value);
        if (!parsed) {
            return commandLine.usageError(QStringLiteral("--start: ") +
                                          QString::fromStdString(describeTimeError(value, parsed)));
        }
        options.start = parsed.time;
    }
    return std::nullopt;
}

} // namespace

int runCwCli(const QStringList& arguments, std::ostream& out, std::ostream& err) {
    Options options;
    if (const std::optional<int> status = parseOptions(arguments, options, out, err)) {
        return *status;
    }
    std::unique_ptr<submission::BatchSubmission> submission;
    if (options.submission) {
        submission = std::make_unique<submission::BatchSubmission>(*options.submission, out, err);
        submission->submitWaiting();
    }
    // A dry run writes the requests on the standard output instead of the lines.
    std::ostream discarded(nullptr);
    std::ostream& lines = options.submission && options.submission->dryRun ? discarded : out;
    bool failed = false;
    for (const QString& input : options.inputs) {
        std::string reason;
        if (!decodeFile(options, input, lines, err, submission.get(), &reason)) {
            err << "orvinta-cw: " << input.toStdString() << ": " << reason << '\n';
            failed = true;
        }
    }
    const bool allSubmitted = !submission || submission->finish();
    out.flush();
    if (failed)
        return kCwExitFailure;
    return allSubmitted ? kCwExitOk : kCwExitNotAllSubmitted;
}

} // namespace orvinta::cw
