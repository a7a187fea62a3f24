// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "keyedsignal.h"

#include <QString>

#include <string>
#include <vector>

namespace orvinta::test {

/// Two frames at the fastest speed, clearly above the noise: the shortest recording
/// that shows listening at work.
std::vector<std::string> twoFrames();

/// Keying for the listening tests: fast (30 WpM), 20 dB above the noise in 3 kHz, at
/// `sampleRate`, with short pauses before, between and after the frames.
keyer::SignalOptions listeningSignal(int sampleRate = 8000);

/// Keys `frames` and writes them as a 16-bit WAV file at `path`; the moments the frames
/// start, or nothing when the file cannot be written.
std::vector<double> writeRecording(const QString& path, const std::vector<std::string>& frames,
                                   const keyer::SignalOptions& options);

/// Writes `seconds` of noise as a 16-bit WAV file at `path`; false on failure.
bool writeNoise(const QString& path, double seconds, int sampleRate = 8000);

} // namespace orvinta::test
