// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How a table file becomes what the history charts draw:
//
//   "2026-12-07T14:05:00Z;6;OK; 4.892308; 10.944; ...; 8.68"   (a row, Windows-1252)
//     -> readRow():      time 2026-12-07T14:05:00Z, values 4.892308 ... 8.68;
//                        "FEHLER" becomes NaN; a row that is no row becomes a problem
//     -> TableAssembler: rows in time order (or file order without times)
//     -> HistoryTable:   x = 1796652300000 (ms since 1970) or the line number,
//                        one column of values per channel
//     -> statistics(), lineSegments(): what the charts and the figures show

#include "channels.h"
#include "timestamps/isotime.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvinta::history {

/// What the x values of a table are.
enum class AxisKind {
    Time, ///< milliseconds since 1970, UTC
    Row,  ///< line numbers in the file (the place of a frame in a list)
};

/// A row that could not be read, with the reason in German.
struct RowProblem {
    long long line = 0;
    std::string reason;

    friend bool operator==(const RowProblem&, const RowProblem&) = default;
};

/// The channels of a table over x, ready to draw: x rises, and values[k][i] belongs to
/// x[i]; a FEHLER value is NaN.
struct HistoryTable {
    AxisKind axis = AxisKind::Row;
    std::vector<double> x;
    std::array<std::vector<double>, kChannelCount> values;
    /// Rows of a table with times whose time column was empty: they have no place on a
    /// time axis and are only counted.
    std::size_t rowsWithoutTime = 0;
    /// Rows left out because they could not be read, in file order.
    std::vector<RowProblem> problems;

    std::size_t size() const { return x.size(); }
};

/// One frame as a row: its time if known, its eight values (NaN for FEHLER).
struct TableRow {
    std::optional<UtcTime> time;
    std::array<double, kChannelCount> values{};
};

/// Collects rows in any order and turns them into a HistoryTable. The axis is time as
/// soon as one row has a time; rows are then put in time order (frames from several
/// passes or files may come in any order), those without a time counted.
class TableAssembler {
public:
    void add(long long line, const TableRow& row);
    void reject(long long line, std::string reason);
    HistoryTable finish() &&;

private:
    struct Entry {
        long long line;
        TableRow row;
    };
    std::vector<Entry> m_entries;
    std::vector<RowProblem> m_problems;
    bool m_anyTime = false;
};

/// Reads the program's table format: Windows-1252 lines ended by CR LF (LF alone is
/// taken too), optional header lines, rows of ten fields or eleven with the time column
/// first. Empty lines are passed over; a row that cannot be read becomes a problem
/// with its line number, and reading goes on.
HistoryTable parseTable(std::string_view bytes);

/// Reads the table file at `path` (bytes as the file system takes them). False, with
/// the system's reason in `error`, when the file cannot be read.
bool loadTable(const std::string& path, HistoryTable* table, std::string* error);

} // namespace orvinta::history
