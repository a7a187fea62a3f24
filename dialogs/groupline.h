// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How the group-wise input dialog builds the telemetry line: the prefix, then each of the
// nine groups preceded by one blank. A group of the wrong length stands in the line as
// question marks of the right length, which decoding then reports as a fault.

#include <QString>

#include <array>
#include <cstddef>

namespace orvinta {

inline constexpr std::size_t kGroupCount = 9;

/// The texts of the boxes txt1 to txt9: block digit and status letter, then the eight
/// channel groups.
using GroupTexts = std::array<QString, kGroupCount>;

/// The length box `index` (0 for txt1) must have: 2 for the first, 3 for the others.
qsizetype requiredGroupLength(std::size_t index);

/// The groups with every text of the wrong length, counted in characters with nothing
/// trimmed, replaced by "??" (first box) or "???".
GroupTexts checkedGroups(GroupTexts groups);

/// `prefix` followed by each group, each preceded by one blank; no trailing blank.
QString groupLine(const QString& prefix, const GroupTexts& groups);

} // namespace orvinta
