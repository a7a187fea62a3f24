// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace orvinta {

/// The resident memory of this process in kB (VmRSS), or -1 where /proc cannot tell.
long residentKilobytes();

} // namespace orvinta
