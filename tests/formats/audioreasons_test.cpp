// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/audioreasons.h"

#include <sndfile.h>

#include <gtest/gtest.h>

#include <string>

namespace orvinta {
namespace {

TEST(AudioReasons, TheLibrarysTextsBecomeGerman) {
    const struct {
        const char* library;
        const char* german;
    } cases[] = {
        {"Format not recognised.", "Format nicht erkannt"},
        {"Supported file format but file is malformed.",
         "Das Dateiformat wird unterstützt, die Datei ist aber fehlerhaft"},
        {"Error in WAV file. No 'data' chunk marker.",
         "Fehler in der WAV-Datei: kein Block „data“"},
        {"Error : bad flac header.", "Fehlerhafter FLAC-Kopf"},
        {"System error : Datei oder Verzeichnis nicht gefunden.",
         "Datei oder Verzeichnis nicht gefunden"},
        {"no audio channels", "Die Datei hat keine Tonkanäle"},
        // A text of the library without a German one is quoted in a German sentence.
        {"Error in VOC file, bad format.",
         "Die Audiobibliothek kann die Datei nicht lesen (\"Error in VOC file, bad format\")"},
        // Reasons that are not the library's pass as they are.
        {"Ist ein Verzeichnis", "Ist ein Verzeichnis"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(germanAudioReason(c.library), c.german) << c.library;
}

TEST(AudioReasons, CoverTheLibrarysOwnWordsForTheErrorsOfReading) {
    // The library's public error numbers, worded by the library itself: a newer
    // libsndfile that changed a text would otherwise fall back to the quoted English.
    for (const int error : {SF_ERR_UNRECOGNISED_FORMAT, SF_ERR_SYSTEM, SF_ERR_MALFORMED_FILE,
                            SF_ERR_UNSUPPORTED_ENCODING}) {
        const std::string library = sf_error_number(error);
        const std::string german = germanAudioReason(library);
        EXPECT_NE(german, library);
        EXPECT_EQ(german.find("Audiobibliothek"), std::string::npos) << library;
    }
}

} // namespace
} // namespace orvinta
