// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace orvinta::screenshots {

/// Writes a short pass for the listening window's picture: five frames a little above
/// the noise on a drifting tone, one of them faded out for a moment.
bool writePassRecording(const QString& path);

} // namespace orvinta::screenshots
