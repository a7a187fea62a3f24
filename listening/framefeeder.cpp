// SPDX-License-Identifier: GPL-3.0-or-later
#include "framefeeder.h"

namespace orvinta::listening {

FrameFeeder::FrameFeeder(int sampleRate, double secondsPerRow, bool live)
    : sampleRate_(sampleRate)
    , decoder_(sampleRate, cw::DecoderSettings{.readFramesEarly = live})
    , waterfall_(sampleRate, secondsPerRow) {
}

void FrameFeeder::push(const float* samples, std::size_t count, Heard& out) {
    decoder_.push(samples, count);
    waterfall_.push(samples, count, out.rows);
    fed_ += count;
    collect(out);
}

void FrameFeeder::finish(Heard& out) {
    decoder_.finish();
    waterfall_.finish(out.rows);
    collect(out);
}

double FrameFeeder::seconds() const {
    return static_cast<double>(fed_) / sampleRate_;
}

void FrameFeeder::collect(Heard& out) {
    for (cw::HeardFrame& frame : decoder_.takeFrames())
        out.frames.push_back(std::move(frame));
    const std::vector<cw::FollowedTone> tones = decoder_.takeTones();
    out.tones.insert(out.tones.end(), tones.begin(), tones.end());
}

} // namespace orvinta::listening
