// SPDX-License-Identifier: GPL-3.0-or-later
// Loads arbitrary bytes as a telemetry file, the way "&Okay" of the open dialog does, and
// checks what loading promises: the file is never changed; a refused file yields no
// text and a message that names it; a loaded file yields its content as Windows-1252
// without the line ends at its very end. An input that starts with 0xFF is repeated
// past the size limit, so the refusal of large files is fuzzed too.

#include "fuzzcheck.h"

#include "files/telemetryload.h"
#include "formats/windows1252.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace orvinta {
namespace {

using fuzz::require;

QByteArray fileContent(std::string_view input) {
    if (input.empty() || input.front() != '\xff')
        return QByteArray(input.data(), static_cast<qsizetype>(input.size()));
    const QByteArray unit(input.data() + 1, static_cast<qsizetype>(input.size() - 1));
    if (unit.isEmpty())
        return QByteArray(kMaxTelemetryFileSize + 1, 'A');
    return unit.repeated(static_cast<qsizetype>(kMaxTelemetryFileSize / unit.size() + 1));
}

QString withoutTrailingLineEnds(QString text) {
    while (text.endsWith(QLatin1Char('\r')) || text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

} // namespace
} // namespace orvinta

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orvinta;
    static QTemporaryDir folder;
    require(folder.isValid(), "a temporary folder can be made");
    const QString path = folder.filePath(QStringLiteral("frame.tlm"));

    const QByteArray content = fileContent(fuzz::bytesOf(data, size));
    {
        QFile file(path);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the input can be stored");
        require(file.write(content) == content.size(), "the input is stored whole");
    }

    const LoadResult result = loadTelemetryFile(path);

    QFile after(path);
    require(after.open(QIODevice::ReadOnly) && after.readAll() == content,
            "loading leaves the file as it was");

    const QString expected = withoutTrailingLineEnds(fromWindows1252(content));
    if (content.size() > kMaxTelemetryFileSize || expected.isEmpty()) {
        require(!result.loaded, "an empty or oversized file is refused");
    }
    if (result.loaded) {
        require(result.text == expected, "the text is the content without its final line ends");
        require(result.message.isEmpty(), "a loaded file gives no message");
    } else {
        require(result.text.isEmpty(), "a refused file gives no text");
        require(result.message.contains(path), "the message names the file");
    }
    return 0;
}
