// SPDX-License-Identifier: GPL-3.0-or-later
#include "audioreasons.h"

#include <algorithm>
#include <array>
#include <utility>

namespace orvinta {

namespace {

using Translation = std::pair<std::string_view, std::string_view>;

// The texts of libsndfile 1.x (sf_strerror) that reading a recording can give, without
// the final full stop, which the messages around them add or leave as they need.
constexpr std::array kTranslations{
    Translation{"Format not recognised", "Format nicht erkannt"},
    // The decoder's own word for a file the library opens without any channel.
    Translation{"no audio channels", "Die Datei hat keine Tonkanäle"},
    Translation{"System error", "Systemfehler"},
    Translation{"Could not open file", "Die Datei kann nicht geöffnet werden"},
    Translation{"Supported file format but file is malformed",
                "Das Dateiformat wird unterstützt, die Datei ist aber fehlerhaft"},
    Translation{"Supported file format but unsupported encoding",
                "Das Dateiformat wird unterstützt, die Kodierung aber nicht"},
    Translation{"File does not exist or is not a regular file (possibly a pipe?)",
                "Die Datei gibt es nicht, oder sie ist keine gewöhnliche Datei (eine Pipe?)"},
    Translation{"File exists but no data could be read",
                "Die Datei ist da, aber es lassen sich keine Daten aus ihr lesen"},
    Translation{"File contains data in an unimplemented format",
                "Die Datei enthält Daten in einem nicht unterstützten Format"},
    Translation{"Possibly trying to open unsupported format",
                "Vermutlich ein nicht unterstütztes Format"},
    Translation{"Channel count is zero", "Die Zahl der Kanäle ist null"},
    Translation{"Too many channels specified", "Zu viele Kanäle"},
    Translation{"Bad channel count", "Ungültige Zahl der Kanäle"},
    Translation{"Internal malloc () failed", "Kein Speicher mehr frei"},
    Translation{"Unspecified internal error", "Nicht näher bezeichneter interner Fehler"},
    Translation{"Error : bad data offset", "Fehlerhafter Anfang der Daten"},
    Translation{"Error : bad data length", "Fehlerhafte Länge der Daten"},
    Translation{"Error : bad flac header", "Fehlerhafter FLAC-Kopf"},
    Translation{"Error : Not an RF64 file", "Keine RF64-Datei"},
    Translation{"Error : Unknown chunk marker", "Unbekannte Blockkennung"},
    Translation{"Error : Bad chunk marker", "Fehlerhafte Blockkennung"},
    Translation{"Error : supplied offset beyond end of file",
                "Die Stelle liegt hinter dem Dateiende"},
    Translation{"Error in WAV file. No 'RIFF' chunk marker",
                "Fehler in der WAV-Datei: keine Kennung „RIFF“"},
    Translation{"Error in WAV file. No 'WAVE' chunk marker",
                "Fehler in der WAV-Datei: keine Kennung „WAVE“"},
    Translation{"Error in WAV/W64/RF64 file. No 'fmt ' chunk marker",
                "Fehler in der WAV-Datei: kein Block „fmt “"},
    Translation{"Error in WAV/W64/RF64 file. Malformed 'fmt ' chunk",
                "Fehler in der WAV-Datei: fehlerhafter Block „fmt “"},
    Translation{"Error in WAV/W64/RF64 file. Short 'fmt ' chunk",
                "Fehler in der WAV-Datei: zu kurzer Block „fmt “"},
    Translation{"Error in WAV file. 'fact' chunk out of place",
                "Fehler in der WAV-Datei: Block „fact“ an falscher Stelle"},
    Translation{"Error in WAV file. Bad 'PEAK' chunk",
                "Fehler in der WAV-Datei: fehlerhafter Block „PEAK“"},
    Translation{"Error in WAV file. 'PEAK' chunk found before 'fmt ' chunk",
                "Fehler in der WAV-Datei: Block „PEAK“ vor dem Block „fmt “"},
    Translation{"Error in WAV file. Errors in 'fmt ' chunk",
                "Fehler in der WAV-Datei: Fehler im Block „fmt “"},
    Translation{"Error in WAV file. Block alignment in 'fmt ' chunk is incorrect",
                "Fehler in der WAV-Datei: falsche Blockausrichtung im Block „fmt “"},
    Translation{"Error in WAV file. No 'data' chunk marker",
                "Fehler in der WAV-Datei: kein Block „data“"},
    Translation{"Error in WAV file. Malformed LIST chunk",
                "Fehler in der WAV-Datei: fehlerhafter Block „LIST“"},
    Translation{"Error in WAV file. File contains an unknown chunk marker",
                "Fehler in der WAV-Datei: unbekannte Blockkennung"},
    Translation{"Error in WAV file. Data is in WAVPACK format",
                "Fehler in der WAV-Datei: die Daten sind im WavPack-Format"},
    Translation{"Error in ADPCM WAV file. Invalid bit width",
                "Fehler in der ADPCM-WAV-Datei: ungültige Bitbreite"},
    Translation{"Error in ADPCM WAV file. Invalid number of channels",
                "Fehler in der ADPCM-WAV-Datei: ungültige Zahl der Kanäle"},
    Translation{"Error in ADPCM WAV file. Invalid number of samples per block",
                "Fehler in der ADPCM-WAV-Datei: ungültige Zahl der Abtastwerte je Block"},
    Translation{"Error in W64 file. No 'data' chunk marker",
                "Fehler in der W64-Datei: kein Block „data“"},
    Translation{"Error while opening RAW file for read. Must specify format and channels",
                "Eine RAW-Datei lässt sich ohne Angabe von Format und Kanälen nicht lesen"},
};

/// libsndfile's form of a system error: "System error : " and the C library's reason.
constexpr std::string_view kSystemErrorPrefix = "System error : ";

std::string_view withoutFullStop(std::string_view text) {
    if (!text.empty() && text.back() == '.')
        text.remove_suffix(1);
    return text;
}

/// Whether `text` reads like one of the library's own: its messages start so.
bool fromTheLibrary(std::string_view text) {
    constexpr std::array<std::string_view, 5> kStarts{"Error", "Internal", "Unimplemented", "Bad ",
                                                      "Attempt"};
    return std::ranges::any_of(kStarts,
                               [text](std::string_view start) { return text.starts_with(start); });
}

} // namespace

std::string germanAudioReason(std::string_view reason) {
    if (reason.starts_with(kSystemErrorPrefix))
        return std::string(withoutFullStop(reason.substr(kSystemErrorPrefix.size())));
    const std::string_view bare = withoutFullStop(reason);
    const auto* const found = std::find_if(kTranslations.begin(), kTranslations.end(),
                                           [&](const Translation& t) { return t.first == bare; });
    if (found != kTranslations.end())
        return std::string(found->second);
    if (fromTheLibrary(bare))
        return "Die Audiobibliothek kann die Datei nicht lesen (\"" + std::string(bare) + "\")";
    return std::string(reason);
}

} // namespace orvinta
