// SPDX-License-Identifier: GPL-3.0-or-later
#include "recordingstart.h"

#include "timestamps/filenametime.h"

#include <string>

namespace orvinta::cw {
namespace {

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

/// The Broadcast-WAV fields allow '-', '_', ':', ' ' and '.' between the parts of the
/// date and of the time; ISO 8601 wants '-' and ':'.
std::string withSeparators(std::string_view text, char separator) {
    std::string result(text);
    for (char& c : result) {
        if (c == '-' || c == '_' || c == ':' || c == ' ' || c == '.')
            c = separator;
    }
    return result;
}

} // namespace

std::optional<UtcTime> startTimeFromMetadata(std::string_view text) {
    const std::string_view time = trimmed(text);
    TimeParse parsed = parseIsoTime(time);
    if (parsed.error == TimeError::MissingZone)
        parsed = parseIsoTime(std::string(time) + 'Z');
    return parsed.time;
}

std::optional<UtcTime> startTimeFromTags(const DateTags& tags) {
    const std::string_view date = trimmed(tags.originationDate);
    const std::string_view time = trimmed(tags.originationTime);
    if (!date.empty() && !time.empty()) {
        if (const std::optional<UtcTime> origination =
                startTimeFromMetadata(withSeparators(date, '-') + 'T' + withSeparators(time, ':')))
            return origination;
    }
    return startTimeFromMetadata(tags.date);
}

std::optional<RecordingStart> recordingStart(const AudioFile& file, std::string_view path) {
    if (const std::optional<UtcTime> time = startTimeFromTags(file.dateTags()))
        return RecordingStart{*time, StartSource::Metadata};
    if (const TimeParse named = startTimeFromFileName(path))
        return RecordingStart{*named.time, StartSource::FileName};
    return std::nullopt;
}

std::string_view startSourceName(StartSource source) {
    switch (source) {
    case StartSource::Option:
        return "Option";
    case StartSource::Metadata:
        return "Metadaten";
    case StartSource::FileName:
        return "Dateiname";
    }
    return "";
}

} // namespace orvinta::cw
