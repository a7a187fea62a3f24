// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The file name endings of the file commands. An ending is compared exactly, letter case
// included, with the last four characters of a name (the whole name when it is shorter).
// A name shorter than four characters therefore never matches and always gets the
// extension.

#include <QString>

#include <array>
#include <span>
#include <string_view>

namespace orvinta {

/// Endings of the telemetry files "&Öffnen" loads, in the order tested.
inline constexpr std::array<std::string_view, 4> kLoadEndings{".TLM", ".tlm", ".txt", ".TXT"};

/// Endings "E&ingabe Speichern" keeps: seven of the eight letter-case forms of ".tlm"
/// (".TlM" is not among them), in the order tested.
inline constexpr std::array<std::string_view, 7> kInputFileEndings{".TLM", ".Tlm", ".TLm", ".tlM",
                                                                   ".tLM", ".tLm", ".tlm"};
/// Appended to an input file name that has none of kInputFileEndings.
inline constexpr std::string_view kInputFileExtension = ".tlm";

/// Endings the result text file and the table keep.
inline constexpr std::array<std::string_view, 2> kTextFileEndings{".TXT", ".txt"};
/// Appended to a result or table file name that has none of kTextFileEndings.
inline constexpr std::string_view kTextFileExtension = ".txt";

/// Whether the last four characters of `name` equal one of `endings`.
bool endsWithOneOf(const QString& name, std::span<const std::string_view> endings);

/// Whether "&Okay" of the open dialog may load the file at `path`.
bool isLoadableName(const QString& path);

/// The name under which "E&ingabe Speichern" saves when the operator entered `name`.
QString completeInputFileName(const QString& name);

/// The name under which the result text or the table is saved when the operator entered
/// `name`.
QString completeTextFileName(const QString& name);

} // namespace orvinta
