// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one way audio reaches the decoder in the desktop program, whether it comes from a
// recording, a live input device or a test:
//
//   mono float samples -> FrameFeeder::push() -> cw::CwDecoder (frames heard, tones followed)
//                                             -> Waterfall     (rows of the spectrum)

#include "cw/cwdecoder.h"
#include "waterfall.h"

#include <cstddef>
#include <vector>

namespace orvinta::listening {

/// What a stretch of audio gave: frames, the tones followed and waterfall rows, each in
/// stream order.
struct Heard {
    std::vector<cw::HeardFrame> frames;
    std::vector<cw::FollowedTone> tones;
    std::vector<WaterfallRow> rows;
};

/// Feeds one stream of audio to the decoder and the waterfall.
class FrameFeeder {
public:
    /// `live` audio has each frame read as soon as it is complete.
    FrameFeeder(int sampleRate, double secondsPerRow, bool live = false);

    /// Takes mono samples in -1..1; appends to `out` what became due.
    void push(const float* samples, std::size_t count, Heard& out);
    /// Ends the stream; appends what the decoder and the waterfall still held back.
    void finish(Heard& out);

    int sampleRate() const { return m_sampleRate; }
    double secondsPerRow() const { return m_waterfall.secondsPerRow(); }
    /// Seconds of audio fed so far.
    double seconds() const;

private:
    void collect(Heard& out);

    int m_sampleRate;
    cw::CwDecoder m_decoder;
    Waterfall m_waterfall;
    std::size_t m_fed = 0;
};

} // namespace orvinta::listening
