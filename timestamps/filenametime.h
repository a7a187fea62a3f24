// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The start time that ground-station and SDR programs write into the names of their
// recordings:
//
//   "satnogs_7512_2026-12-07T14-05-00.ogg"   ISO 8601 with dashes in the time
//   "pass_2026-12-07T14:05:00Z.wav"          ISO 8601 with colons (and a time zone)
//   "gqrx_20261207_140500_145800000.wav"     YYYYMMDD_HHMMSS
//   "SDRSharp_20261207_140500Z_AF.wav"       the same with a "Z"
//   "rec_20261207T140500Z.flac"              ISO 8601, basic form
//
// These programs name their files in UTC, so a name without a time zone is read as
// UTC; a "Z" or an offset in the name (colon form) is honoured. Only the last part of a
// path counts: folders named after a day say nothing about when a recording began.

#include "isotime.h"

#include <string_view>

namespace orvinta {

/// The start time in the file name `path` (bytes as the file system gives them).
/// A name holding none of the forms gives TimeError::NoTimeInName; a form whose date or
/// time does not exist gives NoSuchDate or NoSuchTime; two different times give
/// SeveralInName. The position is the byte offset in the last part of the path.
TimeParse startTimeFromFileName(std::string_view path);

} // namespace orvinta
