// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace orvinta {

/// The audio library (libsndfile) words its reasons in English from a fixed set of
/// texts. This gives the German text for each one a recording of WAV, FLAC, Ogg or
/// another format the library reads can meet, the system's own reason for a system
/// error, and for any other text a German sentence that quotes it. Texts that are not
/// the library's pass unchanged.
std::string germanAudioReason(std::string_view reason);

} // namespace orvinta
