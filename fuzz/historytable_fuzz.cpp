// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the history's table reader and checks what reading any file
// must give: every line is a row, a header, empty or a reported problem, and nothing
// else; rows come in rising x with a value or FEHLER for each channel; problems come in
// file order with the number of a line that exists.

#include "fuzzcheck.h"

#include "history/historytable.h"

#include <algorithm>
#include <cmath>

namespace orvinta {
namespace {

using fuzz::require;

/// The number of lines of `bytes` as the reader counts them.
long long lineCount(std::string_view bytes) {
    if (bytes.empty())
        return 0;
    const auto feeds = static_cast<long long>(std::count(bytes.begin(), bytes.end(), '\n'));
    return bytes.back() == '\n' ? feeds : feeds + 1;
}

} // namespace
} // namespace orvinta

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orvinta;
    using namespace orvinta::history;
    const std::string_view bytes = fuzz::bytesOf(data, size);
    const HistoryTable table = parseTable(bytes);
    const long long lines = lineCount(bytes);

    require(std::is_sorted(table.x.begin(), table.x.end()), "rows come in rising x");
    for (const std::vector<double>& column : table.values)
        require(column.size() == table.size(), "every row has a value for every channel");
    for (const std::vector<double>& column : table.values) {
        require(std::none_of(column.begin(), column.end(), [](double v) { return std::isinf(v); }),
                "a value is a finite number or FEHLER");
    }
    long long previous = 0;
    for (const RowProblem& problem : table.problems) {
        require(problem.line > previous && problem.line <= lines,
                "problems name lines of the file, in order");
        require(!problem.reason.empty(), "a problem says why");
        previous = problem.line;
    }
    const auto rows =
        static_cast<long long>(table.size() + table.rowsWithoutTime + table.problems.size());
    require(rows <= lines, "no line is counted twice");
    if (table.axis == AxisKind::Row) {
        require(table.rowsWithoutTime == 0, "only a time axis leaves rows out");
        require(std::all_of(table.x.begin(), table.x.end(),
                            [&](double x) { return x >= 1 && x <= static_cast<double>(lines); }),
                "without times, x is a line number");
    }
    return 0;
}
