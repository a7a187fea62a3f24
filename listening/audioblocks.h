// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Audio as an input device delivers it (interleaved frames of 8-, 16- or 32-bit integers
// or floats) turned into the mono float samples the decoder takes, and its level.

#include <QAudioFormat>
#include <QByteArray>

#include <cstddef>
#include <vector>

namespace orvinta::listening {

/// Turns the whole frames in `bytes` (of `format`) into mono samples in -1..1, the
/// channels averaged, replacing the content of `mono`. A partial frame at the end is
/// left out: the caller keeps it for the next block (see wholeFrameBytes()).
void toMono(const QByteArray& bytes, const QAudioFormat& format, std::vector<float>& mono);

/// The number of leading bytes of `size` that make whole frames of `format`.
qsizetype wholeFrameBytes(qsizetype size, const QAudioFormat& format);

/// The peak level of `samples` in dB below full scale; kSilenceDb for silence.
double peakDbfs(const float* samples, std::size_t count);

/// The level given for digital silence, and the floor of the level meter.
inline constexpr double kSilenceDb = -90.0;

} // namespace orvinta::listening
