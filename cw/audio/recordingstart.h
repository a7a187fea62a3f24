// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// When a recording began, so that each frame heard in it gets its time of day:
//
//   bext origination "2026-12-07" "14:05:00"    (Broadcast WAV)     -> metadata
//   DATE / ICRD "2026-12-07T14:05:00Z"           (FLAC, Ogg, WAV)    -> metadata
//   "satnogs_7512_2026-12-07T14-05-00.ogg"       (the file's name)  -> file name
//
// Metadata come first: a recorder writes them as it starts, while a name may have been
// given or changed by hand. Only a full date and time counts; a date alone ("2026-12-07",
// as music taggers write) is no start time. A time without a zone is read as UTC, as
// recording programs write it.

#include "audiofile.h"

#include "timestamps/isotime.h"

#include <optional>
#include <string_view>

namespace orvinta::cw {

/// Where a recording's start time came from.
enum class StartSource {
    Option,   ///< given by the operator
    Metadata, ///< written in the file by the recorder
    FileName, ///< read from the file's name
};

struct RecordingStart {
    UtcTime time;
    StartSource source = StartSource::Option;
};

/// The start time a metadata text holds: ISO 8601 date and time of day, the zone taken
/// as UTC when missing. Nothing for anything less, such as a date alone.
std::optional<UtcTime> startTimeFromMetadata(std::string_view text);

/// The start time in `tags`: the Broadcast-WAV origination date and time, else the date
/// tag. Nothing when neither holds a full date and time.
std::optional<UtcTime> startTimeFromTags(const DateTags& tags);

/// The start time of the recording `file` opened from `path`: its metadata, else its
/// file name; nothing when neither tells.
std::optional<RecordingStart> recordingStart(const AudioFile& file, std::string_view path);

/// The source as the operator reads it: "Option", "Metadaten", "Dateiname".
std::string_view startSourceName(StartSource source);

} // namespace orvinta::cw
