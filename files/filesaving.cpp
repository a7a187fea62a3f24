// SPDX-License-Identifier: GPL-3.0-or-later
#include "filesaving.h"

#include "fileextensions.h"
#include "filemessages.h"
#include "formats/textfile.h"
#include "formats/windows1252.h"

#include <QFile>

#include <algorithm>
#include <string_view>

namespace orvinta {

namespace {

void appendLine(QByteArray& content, std::string_view line) {
    content.append(line.data(), static_cast<qsizetype>(line.size()));
    content.append(kCrLf.data(), static_cast<qsizetype>(kCrLf.size()));
}

SaveResult outcome(const QString& fileName, bool saved, const QString& error) {
    return SaveResult{saved, fileName, saved ? QString() : writeFailedMessage(fileName, error)};
}

} // namespace

bool hasResults(const DisplayTexts& texts) {
    return !texts[0].empty();
}

QByteArray inputFileContent(const QString& input) {
    return textFileContent({input});
}

QByteArray resultFileContent(const DisplayTexts& texts) {
    QByteArray content;
    for (const std::string& line : resultTextLines(texts))
        appendLine(content, line);
    return content;
}

QByteArray tableContent(const DisplayTexts& texts, bool withHeader) {
    return tableContent({TableExportRow{{}, texts}}, TableLayout::Plain, withHeader);
}

QByteArray tableContent(const std::vector<TableExportRow>& rows, TableLayout layout,
                        bool withHeader) {
    const bool timed = layout == TableLayout::Timed;
    QByteArray content;
    if (withHeader)
        appendLine(content, timed ? timedTableHeader() : std::string(tableHeader()));
    std::string line;
    for (const TableExportRow& row : rows) {
        line.clear();
        if (timed)
            appendTimedTableRow(line, row.time, row.texts);
        else
            appendTableRow(line, row.texts);
        appendLine(content, line);
    }
    return content;
}

TableLayout tableLayoutOfFile(const QString& fileName) {
    // A table line is short; more than this is no table's first line.
    constexpr qint64 kLookedAt = 4096;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return TableLayout::None;
    QByteArray first = file.readLine(kLookedAt);
    while (first.endsWith('\n') || first.endsWith('\r'))
        first.chop(1);
    return tableLayoutOf(
        std::string_view(first.constData(), static_cast<std::size_t>(first.size())));
}

qsizetype tableRowCount(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const std::string plainHeader(tableHeader());
    const std::string timedHeader = timedTableHeader();
    qsizetype rows = 0;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        const std::string_view text(line.constData(), static_cast<std::size_t>(line.size()));
        if (!text.empty() && text != plainHeader && text != timedHeader)
            ++rows;
    }
    return rows;
}

SaveResult saveInputFile(const QString& enteredName, const QString& input) {
    const QString fileName = completeInputFileName(enteredName);
    QString error;
    const bool saved = writeFileAtomically(fileName, inputFileContent(input), &error);
    return outcome(fileName, saved, error);
}

SaveResult saveResultFile(const QString& enteredName, const DisplayTexts& texts) {
    const QString fileName = completeTextFileName(enteredName);
    QString error;
    const bool saved = writeFileAtomically(fileName, resultFileContent(texts), &error);
    return outcome(fileName, saved, error);
}

SaveResult exportTableRow(const QString& enteredName, TableMode mode, const DisplayTexts& texts) {
    return exportTableRows(enteredName, mode, {TableExportRow{{}, texts}});
}

SaveResult exportTableRows(const QString& enteredName, TableMode mode,
                           const std::vector<TableExportRow>& rows) {
    const QString fileName = completeTextFileName(enteredName);
    const bool anyTime = std::any_of(rows.begin(), rows.end(),
                                     [](const TableExportRow& row) { return !row.time.empty(); });
    TableLayout layout = anyTime ? TableLayout::Timed : TableLayout::Plain;
    QString error;
    bool saved = false;
    if (mode == TableMode::NewTable) {
        saved = writeFileAtomically(fileName, tableContent(rows, layout, true), &error);
    } else {
        // Rows go on in the columns the table already has.
        if (const TableLayout existing = tableLayoutOfFile(fileName); existing != TableLayout::None)
            layout = existing;
        saved = appendToFile(fileName, tableContent(rows, layout, false), &error);
    }
    return outcome(fileName, saved, error);
}

} // namespace orvinta
