// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace orvinta {

/// A count with its noun in the form the number takes: "1 Zeile", "0 Zeilen",
/// "2 Zeilen". German uses the singular for exactly one and the plural otherwise.
std::string countText(long long count, std::string_view singular, std::string_view plural);

} // namespace orvinta
