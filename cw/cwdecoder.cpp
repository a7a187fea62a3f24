// SPDX-License-Identifier: GPL-3.0-or-later
#include "cwdecoder.h"

#include "baseband.h"
#include "linedecoder.h"

#include <algorithm>

namespace orvinta::cw {

CwDecoder::CwDecoder(int sampleRate, DecoderSettings settings)
    : settings_(settings)
    , baseband_(std::make_unique<Baseband>(sampleRate))
    , line_(std::make_unique<LineDecoder>(baseband_->rate(), baseband_->timeOf(0.0), settings)) {
}

CwDecoder::~CwDecoder() = default;

void CwDecoder::push(const float* audio, std::size_t count) {
    std::vector<std::complex<float>> samples;
    std::vector<float> tones;
    baseband_->push(audio, count, samples, tones);
    line_->push(samples.data(), tones.data(), samples.size());
    collect();
}

void CwDecoder::finish() {
    std::vector<std::complex<float>> samples;
    std::vector<float> tones;
    baseband_->finish(samples, tones);
    line_->push(samples.data(), tones.data(), samples.size());
    line_->finish();
    collect();
}

void CwDecoder::collect() {
    for (HeardFrame& f : line_->takeFrames()) {
        frames_.push_back(std::move(f));
    }
}

std::vector<HeardFrame> CwDecoder::takeFrames() {
    std::vector<HeardFrame> frames;
    frames.swap(frames_);
    std::sort(frames.begin(), frames.end(),
              [](const HeardFrame& a, const HeardFrame& b) { return a.seconds < b.seconds; });
    return frames;
}

} // namespace orvinta::cw
