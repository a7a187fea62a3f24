// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The frame every part of the program is tried on first: a line as an operator copies it
// by ear from the beacon, and the row of the semicolon table it gives.

namespace orvinta::test {

inline constexpr char kSampleLine[] = "E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE";
inline constexpr char kSampleLineRow[] =
    "6;OK; 4.892308; 10.944; 3.7878; 947.282044887781; 7.832; 119; .3; 8.68";

} // namespace orvinta::test
