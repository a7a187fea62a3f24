// SPDX-License-Identifier: GPL-3.0-or-later
#include "historytable.h"

#include "rowreading.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace orvinta::history {

namespace {

/// Larger tables would need gigabytes once read: 256 MiB are some 3.5 million rows,
/// decades of passes.
constexpr std::uintmax_t kMaxTableBytes = 256U << 20U;

/// Calls onLine(line, number) for every line of `bytes`: a line ends at LF, a CR
/// before it is dropped, a last line without LF counts.
template <typename OnLine> void forEachLine(std::string_view bytes, OnLine&& onLine) {
    long long number = 0;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        onLine(line, ++number);
        if (end == std::string_view::npos)
            break;
        bytes.remove_prefix(end + 1);
    }
}

} // namespace

void TableAssembler::add(long long line, const TableRow& row) {
    m_anyTime = m_anyTime || row.time.has_value();
    m_entries.push_back({line, row});
}

void TableAssembler::reject(long long line, std::string reason) {
    m_problems.push_back({line, std::move(reason)});
}

HistoryTable TableAssembler::finish() && {
    HistoryTable table;
    table.axis = m_anyTime ? AxisKind::Time : AxisKind::Row;
    table.problems = std::move(m_problems);
    if (m_anyTime) {
        const auto untimed = std::stable_partition(m_entries.begin(), m_entries.end(),
                                                   [](const Entry& e) { return e.row.time; });
        table.rowsWithoutTime = static_cast<std::size_t>(m_entries.end() - untimed);
        m_entries.erase(untimed, m_entries.end());
        const auto byTime = [](const Entry& a, const Entry& b) {
            return *a.row.time < *b.row.time;
        };
        if (!std::is_sorted(m_entries.begin(), m_entries.end(), byTime))
            std::stable_sort(m_entries.begin(), m_entries.end(), byTime);
    }
    table.x.reserve(m_entries.size());
    for (std::vector<double>& column : table.values)
        column.reserve(m_entries.size());
    for (const Entry& entry : m_entries) {
        table.x.push_back(m_anyTime
                              ? static_cast<double>(entry.row.time->time_since_epoch().count())
                              : static_cast<double>(entry.line));
        for (std::size_t k = 0; k < kChannelCount; ++k)
            table.values[k].push_back(entry.row.values[k]);
    }
    return table;
}

HistoryTable parseTable(std::string_view bytes) {
    TableAssembler assembler;
    forEachLine(bytes, [&](std::string_view line, long long number) {
        LineContent content = readRow(line);
        if (const TableRow* row = std::get_if<TableRow>(&content))
            assembler.add(number, *row);
        else if (BadRow* bad = std::get_if<BadRow>(&content))
            assembler.reject(number, std::move(bad->reason));
    });
    return std::move(assembler).finish();
}

bool loadTable(const std::string& path, HistoryTable* table, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = std::strerror(errno);
        return false;
    }
    std::error_code status;
    if (std::filesystem::is_directory(path, status)) {
        *error = std::strerror(EISDIR);
        return false;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, status);
    if (status) {
        *error = status.message();
        return false;
    }
    if (size > kMaxTableBytes) {
        *error = "die Tabelle ist größer als 256 MiB";
        return false;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!file.read(bytes.data(), static_cast<std::streamsize>(size))) {
        *error = std::strerror(errno != 0 ? errno : EIO);
        return false;
    }
    *table = parseTable(bytes);
    return true;
}

} // namespace orvinta::history
