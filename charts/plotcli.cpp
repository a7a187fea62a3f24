// SPDX-License-Identifier: GPL-3.0-or-later
#include "plotcli.h"

#include "chartexport.h"
#include "history/rangetext.h"

#include "commandline/commandline.h"
#include "decoder/counttext.h"

#include <QCommandLineParser>
#include <QFile>
#include <QRegularExpression>

#include <ostream>

namespace orvinta::history {

namespace {

constexpr int kExitRowsReported = 1;
constexpr int kExitFailure = 2;
/// Pictures beyond this edge length would take gigabytes of memory to draw.
constexpr int kMaxEdge = 20000;

struct Options {
    QString table;
    QString output;
    QSize size = kPictureSize;
    QString from;
    QString to;
    QString channels;
};

const QString kDescription = QStringLiteral(
    "Zeichnet die acht Kanäle einer Tabelle von Orvinta über der Zeit, ein Diagramm je\n"
    "Einheit (V, °C, mW, mA), und schreibt sie als PNG- oder SVG-Bild, je nach Endung\n"
    "der DATEI. Die TABELLE ist das Semikolon-Format des Desktop-Programms und von\n"
    "orvinta-decode, mit oder ohne die Spalte \"Zeit (UTC)\"; ohne Zeiten ist die\n"
    "x-Achse die Zeilennummer. FEHLER-Werte werden ausgelassen. Eine Zeile, die sich\n"
    "nicht lesen lässt, wird mit ihrer Nummer gemeldet und übergangen.\n"
    "Braucht keinen Bildschirm.\n"
    "\n"
    "Rückgabewert: 0 alle Zeilen gelesen, 1 Zeilen wurden gemeldet und ausgelassen,\n"
    "2 Bedienfehler oder eine Datei konnte nicht gelesen oder geschrieben werden.");

std::string sizeText(QSize size) {
    return std::to_string(size.width()) + "x" + std::to_string(size.height());
}

/// Reads the size "WIDTHxHEIGHT"; false when it is not one.
bool readSize(const QString& text, QSize* size) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})[xX](\\d{1,5})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    const QSize read(match.captured(1).toInt(), match.captured(2).toInt());
    if (read.width() < 1 || read.height() < 1 || read.width() > kMaxEdge ||
        read.height() > kMaxEdge)
        return false;
    *size = read;
    return true;
}

/// Reads the channel list "1,2,7" into `shown`; false when it names no channel or
/// something that is not one.
bool readChannels(const QString& text, std::array<bool, kChannelCount>* shown) {
    std::array<bool, kChannelCount> chosen{};
    bool any = false;
    for (const QString& item : text.split(QLatin1Char(','))) {
        bool number = false;
        const int channel = item.trimmed().toInt(&number);
        if (!number || channel < 1 || channel > static_cast<int>(kChannelCount))
            return false;
        chosen[static_cast<std::size_t>(channel - 1)] = true;
        any = true;
    }
    *shown = chosen;
    return any;
}

/// Parses the command line; on a usage error or --help/--version, returns the exit
/// status to end with.
std::optional<int> parseOptions(const QStringList& arguments, Options& options, std::ostream& out,
                                std::ostream& err) {
    CommandLine commandLine("orvinta-plot", kDescription, out, err);
    QCommandLineParser& parser = commandLine.parser;
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Schreibt das Bild in DATEI (.png oder .svg)."),
                                    QStringLiteral("DATEI"));
    const QCommandLineOption size(QStringLiteral("size"),
                                  QStringLiteral("Größe des Bildes in Pixeln, Vorgabe 1200x1600; "
                                                 "mindestens 800x480 (Diagramme zwei "
                                                 "nebeneinander) oder 400x960 (untereinander)."),
                                  QStringLiteral("BREITExHÖHE"));
    const QCommandLineOption from(
        QStringLiteral("from"),
        QStringLiteral("Zeigt die Werte ab ANFANG: eine Zeit in ISO 8601 mit Zeitzone "
                       "(2026-12-07T14:05:00Z) oder, ohne Zeiten, eine Zeilennummer."),
        QStringLiteral("ANFANG"));
    const QCommandLineOption to(QStringLiteral("to"),
                                QStringLiteral("Zeigt die Werte bis ENDE, wie bei --from."),
                                QStringLiteral("ENDE"));
    const QCommandLineOption channels(
        QStringLiteral("channels"),
        QStringLiteral("Zeichnet nur die Kanäle der LISTE, z. B. 1,2,7; Vorgabe alle acht."),
        QStringLiteral("LISTE"));
    parser.addOptions({output, size, from, to, channels});
    parser.addPositionalArgument(QStringLiteral("TABELLE"),
                                 QStringLiteral("Die Tabelle, deren Werte gezeichnet werden."));

    if (const std::optional<int> status = commandLine.parse(arguments))
        return status;
    const QStringList tables = parser.positionalArguments();
    if (tables.size() != 1)
        return commandLine.usageError(QStringLiteral("genau eine TABELLE angeben"));
    options.table = tables.front();
    options.output = parser.value(output);
    if (options.output.isEmpty())
        return commandLine.usageError(QStringLiteral("-o DATEI fehlt"));
    if (!pictureFormatOf(options.output))
        return commandLine.usageError(QStringLiteral("-o DATEI muss auf .png oder .svg enden"));
    if (parser.isSet(size) && !readSize(parser.value(size), &options.size))
        return commandLine.usageError(QStringLiteral("--size braucht BREITExHÖHE, z. B. 800x600"));
    options.from = parser.value(from);
    options.to = parser.value(to);
    options.channels = parser.value(channels);
    return std::nullopt;
}

/// What is wrong with a range that ends before it begins: the two ends given, or the
/// one given against the end of the table it lies beyond.
std::string rangeClash(const Options& options, const HistoryTable& table, const PlotState& state) {
    const auto text = [&](double x) { return rangeEndText(table.axis, x); };
    if (options.to.isEmpty()) {
        return "--from " + text(state.range.from) + " liegt hinter dem Ende der Tabelle (" +
               text(state.range.to) + ")";
    }
    if (options.from.isEmpty()) {
        return "--to " + text(state.range.to) + " liegt vor dem Anfang der Tabelle (" +
               text(state.range.from) + ")";
    }
    return "--to " + text(state.range.to) + " liegt vor --from " + text(state.range.from);
}

/// Applies --from, --to and --channels to `state`; false with the message when one of
/// them does not fit the table.
bool applyView(const Options& options, const HistoryTable& table, PlotState* state,
               std::string* message) {
    const auto readEnd = [&](const QString& text, const char* option, double* end) {
        if (text.isEmpty())
            return true;
        std::string reason;
        const std::optional<double> value = readRangeEnd(table.axis, text.toStdString(), &reason);
        if (value)
            *end = *value;
        else
            *message = std::string(option) + ": " + reason;
        return value.has_value();
    };
    if (!readEnd(options.from, "--from", &state->range.from) ||
        !readEnd(options.to, "--to", &state->range.to))
        return false;
    if (state->range.to < state->range.from) {
        *message = rangeClash(options, table, *state);
        return false;
    }
    if (!options.channels.isEmpty() && !readChannels(options.channels, &state->shown)) {
        *message = "--channels braucht Kanalnummern von 1 bis 8, z. B. 1,2,7";
        return false;
    }
    return true;
}

/// Tells the rows that were left out, and why.
void reportRows(const QString& name, const HistoryTable& table, std::ostream& err) {
    const std::string source = name.toStdString();
    for (const RowProblem& problem : table.problems)
        err << source << ':' << problem.line << ": " << problem.reason << '\n';
    if (table.rowsWithoutTime > 0) {
        err << source << ": "
            << countText(static_cast<long long>(table.rowsWithoutTime), "Zeile", "Zeilen")
            << " ohne Zeit " << (table.rowsWithoutTime == 1 ? "ist" : "sind")
            << " nicht gezeichnet\n";
    }
}

} // namespace

int runPlotCli(const QStringList& arguments, std::ostream& out, std::ostream& err) {
    Options options;
    if (const std::optional<int> status = parseOptions(arguments, options, out, err))
        return *status;

    HistoryTable table;
    std::string reason;
    if (!loadTable(QFile::encodeName(options.table).toStdString(), &table, &reason)) {
        err << "orvinta-plot: " << options.table.toStdString() << ": " << reason << '\n';
        return kExitFailure;
    }
    reportRows(options.table, table, err);
    PlotState state = fullView(table);
    if (!applyView(options, table, &state, &reason)) {
        err << "orvinta-plot: " << reason << '\n';
        return kExitFailure;
    }
    const ChartGrid grid = chartGrid(options.size, drawnUnits(state).size());
    if (const QSize smallest = smallestPicture(grid);
        options.size.width() < smallest.width() || options.size.height() < smallest.height()) {
        err << "orvinta-plot: --size " << sizeText(options.size)
            << " ist zu klein für lesbare Beschriftungen; kleinste Größe: " << sizeText(smallest)
            << '\n';
        return kExitFailure;
    }
    QString error;
    if (!writePicture(options.output, options.size, table, state, &error)) {
        err << "orvinta-plot: " << options.output.toStdString() << ": " << error.toStdString()
            << '\n';
        return kExitFailure;
    }
    return table.problems.empty() ? CommandLine::kOk : kExitRowsReported;
}

} // namespace orvinta::history
