// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace orvinta {

/// The result text of a channel (1..8) for a valid raw value (a whole number from 0 to
/// 999) in the channel's unit (V, °C, mW or mA). Channel 1 is computed in single
/// precision, the others in double. Channel 1 at raw value 0 has no value and gives
/// "FEHLER".
const std::string& channelText(int channel, int rawValue);

} // namespace orvinta
