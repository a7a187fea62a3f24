// SPDX-License-Identifier: GPL-3.0-or-later
#include "decodecli.h"

#include "commandline.h"
#include "linereader.h"
#include "outputsink.h"

#include "decoder/decoder.h"
#include "files/resultformats.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <istream>
#include <ostream>

namespace orvinta {
namespace {

constexpr std::size_t kChunkSize = 1 << 16;
const QString kStandardInput = QStringLiteral("-");

struct Options {
    bool header = false;
    bool text = false;
    bool append = false;
    QString outputPath;
    QStringList inputs;
};

/// Turns every line into output and reports empty lines.
class FrameWriter {
public:
    FrameWriter(const Options& options, OutputSink& sink, std::ostream& err)
        : options_(options)
        , sink_(sink)
        , err_(err)
        , separateFirstFrame_(sink.hadContent()) {
        if (options.header && !options.text && !sink.hadContent()) {
            sink.writeLine(tableHeader());
        }
    }

    void line(const QString& source, std::string_view telemetry, long long lineNumber) {
        const std::optional<DecodedFrame> frame = decode(telemetry, record_);
        if (!frame) {
            err_ << source.toStdString() << ':' << lineNumber << ": " << kEmptyInputMessage << '\n';
            reported_ = true;
            return;
        }
        const DisplayTexts texts = displayTexts(*frame);
        if (!options_.text) {
            row_.clear();
            appendTableRow(row_, texts);
            sink_.writeLine(row_);
            return;
        }
        if (framesWritten_ > 0 || separateFirstFrame_) {
            sink_.writeLine({});
        }
        for (const std::string& textLine : resultTextLines(texts)) {
            sink_.writeLine(textLine);
        }
        ++framesWritten_;
    }

    bool reported() const { return reported_; }

private:
    const Options& options_;
    OutputSink& sink_;
    std::ostream& err_;
    const bool separateFirstFrame_;
    VarModul record_;
    std::string row_;
    long long framesWritten_ = 0;
    bool reported_ = false;
};

/// Reads `source` chunk by chunk through a fresh line reader.
template <typename ReadChunk>
void readLines(const QString& source, ReadChunk&& readChunk, FrameWriter& writer) {
    LineReader reader;
    auto onLine = [&](std::string_view line, long long number) {
        writer.line(source, line, number);
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

/// Parses the command line; on a usage error or --help/--version, returns the exit
/// status to end with.
std::optional<int> parseOptions(const QStringList& arguments, Options& options, std::ostream& out,
                                std::ostream& err) {
    CommandLine commandLine(
        "orvinta-decode",
        QStringLiteral(
            "Dekodiert CW-Telemetriezeilen von LUSAT-OSCAR 19, ein Telemetrieblock je Zeile,\n"
            "aus jeder DATEI oder von der Standardeingabe (auch bei DATEI \"-\").\n"
            "Die Eingabe ist Text in Windows-1252. Jede Zeile wird zu einer Tabellenzeile\n"
            "(zehn Felder, getrennt durch \";\") oder mit --text zum zehnzeiligen Ergebnistext.\n"
            "Die Standardausgabe ist UTF-8; eine Datei mit -o wird Byte für Byte so\n"
            "geschrieben wie vom Desktop-Programm (Windows-1252, CR LF).\n"
            "\n"
            "Rückgabewert: 0 alle Zeilen dekodiert, 1 eine leere Zeile wurde gemeldet,\n"
            "2 Bedienfehler oder eine Datei konnte nicht gelesen oder geschrieben werden."),
        out, err);
    QCommandLineParser& parser = commandLine.parser;
    const QCommandLineOption header(QStringLiteral("header"),
                                    QStringLiteral("Schreibt zuerst die Kopfzeile der Tabelle "
                                                   "(mit --append nur in eine leere Datei)."));
    const QCommandLineOption text(QStringLiteral("text"),
                                  QStringLiteral("Schreibt den zehnzeiligen Ergebnistext je "
                                                 "Block, Blöcke durch eine Leerzeile getrennt."));
    const QCommandLineOption output(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Schreibt in DATEI statt auf die Standardausgabe."),
        QStringLiteral("DATEI"));
    const QCommandLineOption append(
        QStringLiteral("append"),
        QStringLiteral("Verlängert die DATEI von -o, statt sie zu ersetzen."));
    parser.addOptions({header, text, output, append});
    parser.addPositionalArgument(QStringLiteral("DATEI"),
                                 QStringLiteral("Zu dekodierende Telemetriezeilen."),
                                 QStringLiteral("[DATEI...]"));

    if (const std::optional<int> status = commandLine.parse(arguments))
        return status;
    options.header = parser.isSet(header);
    options.text = parser.isSet(text);
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
