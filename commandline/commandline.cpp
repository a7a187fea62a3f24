// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline.h"

#include "formats/germanmessages.h"

#include <QCoreApplication>

#include <ostream>

namespace orvinta {

CommandLine::CommandLine(const char* program, const QString& description, std::ostream& out,
                         std::ostream& err)
    : m_program(program)
    , m_out(out)
    , m_err(err)
    , m_help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Zeigt diese Hilfe."))
    , m_version({QStringLiteral("V"), QStringLiteral("version")},
                QStringLiteral("Zeigt die Version.")) {
    // Every program speaks German, the reasons the system gives included.
    useGermanSystemMessages();
    parser.setApplicationDescription(description);
    parser.addOptions({m_help, m_version});
}

std::optional<int> CommandLine::parse(const QStringList& arguments) {
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(m_help)) {
        m_out << parser.helpText().toStdString();
        return kOk;
    }
    if (parser.isSet(m_version)) {
        m_out << m_program << ' ' << QCoreApplication::applicationVersion().toStdString() << '\n';
        return kOk;
    }
    return std::nullopt;
}

int CommandLine::usageError(const QString& message) {
    m_err << m_program << ": " << message.toStdString() << "\n'" << m_program
          << " --help' zeigt die Hilfe.\n";
    return kUsageError;
}

} // namespace orvinta
