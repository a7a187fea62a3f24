// SPDX-License-Identifier: GPL-3.0-or-later
#include "framefeeder.h"

namespace orvinta::listening {

FrameFeeder::FrameFeeder(int sampleRate, double secondsPerRow, bool live)
    : m_sampleRate(sampleRate)
    , m_decoder(sampleRate, cw::DecoderSettings{.readFramesEarly = live})
    , m_waterfall(sampleRate, secondsPerRow) {
}

void FrameFeeder::push(const float* samples, std::size_t count, Heard& out) {
    m_decoder.push(samples, count);
    m_waterfall.push(samples, count, out.rows);
    m_fed += count;
    collect(out);
}

void FrameFeeder::finish(Heard& out) {
    m_decoder.finish();
    m_waterfall.finish(out.rows);
    collect(out);
}

double FrameFeeder::seconds() const {
    return static_cast<double>(m_fed) / m_sampleRate;
}

void FrameFeeder::collect(Heard& out) {
    for (cw::HeardFrame& frame : m_decoder.takeFrames())
        out.frames.push_back(std::move(frame));
    const std::vector<cw::FollowedTone> tones = m_decoder.takeTones();
    out.tones.insert(out.tones.end(), tones.begin(), tones.end());
}

} // namespace orvinta::listening
