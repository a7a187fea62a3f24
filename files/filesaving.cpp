// SPDX-License-Identifier: GPL-3.0-or-later
#include "filesaving.h"

#include "fileextensions.h"
#include "filemessages.h"
#include "textfile.h"
#include "windows1252.h"

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
    return tableContent(std::vector<DisplayTexts>{texts}, withHeader);
}

QByteArray tableContent(const std::vector<DisplayTexts>& rows, bool withHeader) {
    QByteArray content;
    if (withHeader)
        appendLine(content, tableHeader());
    for (const DisplayTexts& texts : rows)
        appendLine(content, tableRow(texts));
    return content;
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
    return exportTableRows(enteredName, mode, {texts});
}

SaveResult exportTableRows(const QString& enteredName, TableMode mode,
                           const std::vector<DisplayTexts>& rows) {
    const QString fileName = completeTextFileName(enteredName);
    QString error;
    const bool saved = mode == TableMode::NewTable
                           ? writeFileAtomically(fileName, tableContent(rows, true), &error)
                           : appendToFile(fileName, tableContent(rows, false), &error);
    return outcome(fileName, saved, error);
}

} // namespace orvinta
