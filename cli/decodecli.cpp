// SPDX-License-Identifier: GPL-3.0-or-later
#include "decodecli.h"

#include "commandline/commandline.h"
#include "linereader.h"
#include "outputsink.h"
#include "timedline.h"

#include "decoder/decoder.h"
#include "formats/resultformats.h"
#include "formats/windows1252.h"
#include "timestamps/isotime.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>

namespace orvinta {
namespace {

constexpr std::size_t kChunkSize = 1 << 16;
const QString kStandardInput = QStringLiteral("-");

struct Options {
    bool header = false;
    bool text = false;
    bool time = false;
    bool append = false;
    QString outputPath;
    QStringList inputs;
};

/// Turns every line into output and reports empty lines and bad times.
class FrameWriter {
public:
    FrameWriter(const Options& options, OutputSink& sink, std::ostream& err)
        : m_options(options)
        , m_sink(sink)
        , m_err(err)
        , m_separateFirstFrame(sink.hadContent()) {
        if (options.header && !options.text && !sink.hadContent()) {
            sink.writeLine(options.time ? timedTableHeader() : std::string(tableHeader()));
        }
    }

    void line(const QString& source, const SplitLine& split, long long lineNumber) {
        // A timed line goes through the decoder like the plain line it holds, so that
        // the lines after it decode alike with or without times.
        const std::optional<DecodedFrame> frame = decode(split.telemetry, m_record);
        std::string time;
        if (split.timed && !readTime(source, split.time, lineNumber, &time)) {
            return;
        }
        if (!frame) {
            report(source, lineNumber, kEmptyInputMessage);
            return;
        }
        const DisplayTexts texts = displayTexts(*frame);
        if (!m_options.text) {
            m_row.clear();
            if (m_options.time) {
                appendTimedTableRow(m_row, time, texts);
            } else {
                appendTableRow(m_row, texts);
            }
            m_sink.writeLine(m_row);
            return;
        }
        writeText(time, texts);
    }

    bool reported() const { return m_reported; }

private:
    /// The time of a timed line as the time column writes it; a bad time is reported.
    bool readTime(const QString& source, std::string_view text, long long lineNumber,
                  std::string* time) {
        const TimeParse parsed = parseIsoTime(text);
        if (!parsed) {
            report(source, lineNumber, describeTimeError(windows1252ToUtf8(text), parsed));
            return false;
        }
        *time = formatIsoTime(*parsed.time);
        return true;
    }

    void writeText(std::string_view time, const DisplayTexts& texts) {
        if (m_framesWritten > 0 || m_separateFirstFrame) {
            m_sink.writeLine({});
        }
        if (m_options.time) {
            m_sink.writeLine(timeTextLine(time));
        }
        for (const std::string& textLine : resultTextLines(texts)) {
            m_sink.writeLine(textLine);
        }
        ++m_framesWritten;
    }

    void report(const QString& source, long long lineNumber, std::string_view message) {
        m_err << source.toStdString() << ':' << lineNumber << ": " << message << '\n';
        m_reported = true;
    }

    const Options& m_options;
    OutputSink& m_sink;
    std::ostream& m_err;
    const bool m_separateFirstFrame;
    VarModul m_record;
    std::string m_row;
    long long m_framesWritten = 0;
    bool m_reported = false;
};

/// Reads `source` chunk by chunk through a fresh line reader.
template <typename ReadChunk>
void readLines(const QString& source, ReadChunk&& readChunk, FrameWriter& writer) {
    LineReader reader;
    auto onLine = [&](std::string_view line, long long number) {
        writer.line(source, splitTimedLine(reader.head(), line, reader.length()), number);
    };
    std::array<char, kChunkSize> chunk{};
    for (std::size_t got = readChunk(chunk); got > 0; got = readChunk(chunk)) {
        reader.feed(std::string_view(chunk.data(), got), onLine);
    }
    reader.finish(onLine);
}

/// Decodes one named file; false with the system's reason when it cannot be read.
bool decodeFile(const QString& path, FrameWriter& writer, std::string* reason) {
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (file == nullptr) {
        *reason = std::strerror(errno);
        return false;
    }
    int readError = 0;
    readLines(
        path,
        [&](std::array<char, kChunkSize>& chunk) {
            const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), file);
            if (got == 0 && std::ferror(file) != 0) {
                readError = errno;
            }
            return got;
        },
        writer);
    std::fclose(file);
    if (readError != 0) {
        *reason = std::strerror(readError);
        return false;
    }
    return true;
}

void decodeStream(std::istream& in, FrameWriter& writer) {
    readLines(
        kStandardInput,
        [&](std::array<char, kChunkSize>& chunk) {
            in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            return static_cast<std::size_t>(in.gcount());
        },
        writer);
}

/// Why rows of this run cannot extend the table at `path`: its first line has the
/// other number of columns. Empty when they can, or when the file is missing, empty or
/// no table at all (a result text).
std::string appendLayoutClash(const QString& path, bool timed) {
    constexpr std::streamsize kLookedAt = 4096;
    std::ifstream file(QFile::encodeName(path).toStdString(), std::ios::binary);
    std::string first(static_cast<std::size_t>(kLookedAt), '\0');
    file.get(first.data(), kLookedAt, '\n');
    first.resize(static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
    const TableLayout layout = tableLayoutOf(first);
    if (timed && layout == TableLayout::Plain)
        return "die Tabelle hat keine Spalte \"Zeit (UTC)\": ohne --time verlängern";
    if (!timed && layout == TableLayout::Timed)
        return "die Tabelle hat die Spalte \"Zeit (UTC)\": mit --time verlängern";
    return {};
}

const QString kDescription = QStringLiteral(
    "Dekodiert CW-Telemetriezeilen von LUSAT-OSCAR 19, ein Telemetrieblock je Zeile,\n"
    "aus jeder DATEI oder von der Standardeingabe (auch bei DATEI \"-\").\n"
    "Die Eingabe ist Text in Windows-1252. Jede Zeile wird zu einer Tabellenzeile\n"
    "(zehn Felder, getrennt durch \";\") oder mit --text zum zehnzeiligen Ergebnistext.\n"
    "Eine Zeile ZEIT<TAB>ZEILE trägt die Zeit ihres Blocks, ZEIT in ISO 8601 mit\n"
    "Zeitzone (2026-12-07T14:05:00Z, 2026-12-07T16:05:00+02:00); eine ungültige Zeit\n"
    "wird gemeldet und die Zeile übersprungen.\n"
    "Die Standardausgabe ist UTF-8; eine Datei mit -o wird Byte für Byte so\n"
    "geschrieben wie vom Desktop-Programm (Windows-1252, CR LF).\n"
    "\n"
    "Rückgabewert: 0 alle Zeilen dekodiert, 1 eine leere Zeile oder eine ungültige\n"
    "Zeit wurde gemeldet, 2 Bedienfehler oder eine Datei konnte nicht gelesen oder\n"
    "geschrieben werden.");

/// Parses the command line; on a usage error or --help/--version, returns the exit
/// status to end with.
std::optional<int> parseOptions(const QStringList& arguments, Options& options, std::ostream& out,
                                std::ostream& err) {
    CommandLine commandLine("orvinta-decode", kDescription, out, err);
    QCommandLineParser& parser = commandLine.parser;
    const QCommandLineOption header(QStringLiteral("header"),
                                    QStringLiteral("Schreibt zuerst die Kopfzeile der Tabelle "
                                                   "(mit --append nur in eine leere Datei)."));
    const QCommandLineOption text(QStringLiteral("text"),
                                  QStringLiteral("Schreibt den zehnzeiligen Ergebnistext je "
                                                 "Block, Blöcke durch eine Leerzeile getrennt."));
    const QCommandLineOption time(
        QStringLiteral("time"),
        QStringLiteral(
            "Setzt die Spalte \"Zeit (UTC)\" vor jede Tabellenzeile (mit --text die "
            "Zeile \"Zeit (UTC):\" vor jeden Ergebnistext); leer bei Zeilen ohne Zeit."));
    const QCommandLineOption output(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Schreibt in DATEI statt auf die Standardausgabe."),
        QStringLiteral("DATEI"));
    const QCommandLineOption append(
        QStringLiteral("append"),
        QStringLiteral("Verlängert die DATEI von -o, statt sie zu ersetzen."));
    parser.addOptions({header, text, time, output, append});
    parser.addPositionalArgument(QStringLiteral("DATEI"),
                                 QStringLiteral("Zu dekodierende Telemetriezeilen."),
                                 QStringLiteral("[DATEI...]"));

    if (const std::optional<int> status = commandLine.parse(arguments))
        return status;
    options.header = parser.isSet(header);
    options.text = parser.isSet(text);
    options.time = parser.isSet(time);
    options.append = parser.isSet(append);
    options.outputPath = parser.value(output);
    options.inputs = parser.positionalArguments();
    if (options.header && options.text) {
        return commandLine.usageError(
            QStringLiteral("--header gehört zu Tabellenzeilen, nicht zu --text"));
    }
    if (options.append && options.outputPath.isEmpty()) {
        return commandLine.usageError(QStringLiteral("--append braucht -o DATEI"));
    }
    if (parser.isSet(output) && options.outputPath.isEmpty()) {
        return commandLine.usageError(QStringLiteral("-o braucht einen Dateinamen"));
    }
    if (options.inputs.isEmpty()) {
        options.inputs.append(kStandardInput);
    }
    return std::nullopt;
}

} // namespace

int runDecodeCli(const QStringList& arguments, std::istream& in, std::ostream& out,
                 std::ostream& err) {
    Options options;
    if (const std::optional<int> status = parseOptions(arguments, options, out, err)) {
        return *status;
    }

    std::unique_ptr<OutputSink> sink;
    std::string reason;
    if (options.append && !options.text &&
        !(reason = appendLayoutClash(options.outputPath, options.time)).empty()) {
        err << "orvinta-decode: " << options.outputPath.toStdString() << ": " << reason << '\n';
        return kExitFailure;
    }
    if (options.outputPath.isEmpty()) {
        sink = std::make_unique<StreamSink>(out);
    } else if (!(sink = FileSink::open(options.outputPath, options.append, &reason))) {
        err << "orvinta-decode: " << options.outputPath.toStdString() << ": " << reason << '\n';
        return kExitFailure;
    }

    FrameWriter writer(options, *sink, err);
    bool inputFailed = false;
    for (const QString& input : options.inputs) {
        if (input == kStandardInput) {
            decodeStream(in, writer);
        } else if (!decodeFile(input, writer, &reason)) {
            err << "orvinta-decode: " << input.toStdString() << ": " << reason << '\n';
            inputFailed = true;
        }
    }

    if (!sink->finish(&reason)) {
        const QString target =
            options.outputPath.isEmpty() ? QStringLiteral("Standardausgabe") : options.outputPath;
        err << "orvinta-decode: " << target.toStdString() << ": " << reason << '\n';
        return kExitFailure;
    }
    if (inputFailed) {
        return kExitFailure;
    }
    return writer.reported() ? kExitLineReported : kExitOk;
}

} // namespace orvinta
