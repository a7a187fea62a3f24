// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// orvinta-decode run in the test's own process, and the files it writes.

#include "cli/decodecli.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace orvinta::test {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

inline CliRun run(QStringList arguments, const std::string& input = {}) {
    arguments.prepend(QStringLiteral("orvinta-decode"));
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = runDecodeCli(arguments, in, out, err);
    return {status, out.str(), err.str()};
}

inline std::string fileContent(const QString& path) {
    std::ifstream file(QFile::encodeName(path).toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

} // namespace orvinta::test
