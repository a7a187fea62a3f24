// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <iosfwd>
#include <optional>

namespace orvinta {

/// The part every Orvinta command line shares: a parser with -h/--help and -V/--version
/// (German texts), and the way usage errors are told.
class CommandLine {
public:
    static constexpr int kOk = 0;
    static constexpr int kUsageError = 2;

    CommandLine(const char* program, const QString& description, std::ostream& out,
                std::ostream& err);

    /// Parses `arguments` (program name first). Returns the exit status to end with when
    /// the options are wrong or --help or --version was asked for and answered.
    std::optional<int> parse(const QStringList& arguments);

    /// Tells a usage error on the error stream; returns the exit status for it.
    int usageError(const QString& message);

    QCommandLineParser parser;

private:
    const char* m_program;
    std::ostream& m_out;
    std::ostream& m_err;
    QCommandLineOption m_help;
    QCommandLineOption m_version;
};

} // namespace orvinta
