// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the audio decoder of orvinta-cw, two ways chosen by the first
// byte: as an audio file read through libsndfile's virtual I/O, block by block as the
// program reads a file; or as raw samples (any value, NaN and infinities included) at a
// sample rate and in blocks of sizes the bytes choose. Checks what the decoder
// promises: it returns, holds a bounded number of samples, and every frame it reports
// has the frame's layout and sane details; and the start time the file's metadata
// may give is read without harm.

#include "fuzzcheck.h"

#include "cw/audio/audiofile.h"
#include "cw/audio/recordingstart.h"
#include "cw/cwdecoder.h"
#include "cw/model/framelayout.h"

#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace orvinta {
namespace {

using fuzz::require;

/// The decoder never holds more than a few minutes of baseband and seconds of audio.
constexpr std::size_t kMostHeldSamples = std::size_t{1} << 22;
/// Sample rates the raw way tries, chosen by a byte.
constexpr int kRates[] = {8000, 11025, 16000, 22050, 44100, 48000, 96000, 192000, 4000, 1};

void checkFrame(const cw::HeardFrame& frame) {
    const std::string& text = frame.text;
    require(text.rfind(cw::kFramePrefix, 0) == 0, "a frame starts with the prefix");
    require(text.size() == cw::kFramePrefix.size() + 26 + 8,
            "a frame has 26 characters in 9 words");
    std::size_t unreadable = 0;
    for (std::size_t i = cw::kFramePrefix.size(); i < text.size(); ++i) {
        const char c = text[i];
        require(c == ' ' || c == '?' || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'),
                "a payload character is a letter, a digit or \"?\"");
        unreadable += c == '?' ? 1 : 0;
    }
    require(frame.unreadable == unreadable, "the unreadable count is the number of \"?\"");
    require(std::isfinite(frame.seconds) && frame.seconds >= -1.0, "a frame starts in the stream");
    require(frame.wordsPerMinute >= 7.0 && frame.wordsPerMinute <= 33.0,
            "a frame's speed is within the search");
    require(frame.toneHz >= 100.0 && frame.toneHz <= 3200.0, "a frame's tone is within the band");
    require(frame.confidence >= 0.0 && frame.confidence <= 1.0, "the confidence is a probability");
    require(frame.margins.size() == 26, "every payload character has a margin");
}

void drain(cw::CwDecoder& decoder) {
    require(decoder.heldSamples() <= kMostHeldSamples, "the decoder's memory stays bounded");
    for (const cw::HeardFrame& frame : decoder.takeFrames()) {
        checkFrame(frame);
    }
    decoder.takeTones();
}

void decodeFile(std::string_view bytes, std::size_t block) {
    std::string reason;
    const auto file = cw::AudioFile::openBytes(bytes.data(), bytes.size(), &reason);
    if (!file) {
        require(!reason.empty(), "a refused file has a reason");
        return;
    }
    // The metadata are as untrusted as the audio.
    if (const auto start = cw::startTimeFromTags(file->dateTags()))
        require(!formatIsoTime(*start).empty(), "a start time found can be written");
    cw::CwDecoder decoder(file->sampleRate());
    std::vector<float> samples;
    while (file->read(block, samples)) {
        decoder.push(samples.data(), samples.size());
        drain(decoder);
    }
    decoder.finish();
    drain(decoder);
}

void decodeRaw(std::string_view bytes) {
    if (bytes.size() < 2) {
        return;
    }
    const int rate = kRates[static_cast<unsigned char>(bytes[0]) % std::size(kRates)];
    const std::size_t block = 1 + static_cast<unsigned char>(bytes[1]) * 16U;
    bytes.remove_prefix(2);
    std::vector<float> samples(bytes.size() / sizeof(float));
    if (!samples.empty()) {
        std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    }
    cw::CwDecoder decoder(rate);
    for (std::size_t at = 0; at < samples.size(); at += block) {
        decoder.push(samples.data() + at, std::min(block, samples.size() - at));
        drain(decoder);
    }
    decoder.push(samples.data(), 0);
    decoder.finish();
    drain(decoder);
}

} // namespace
} // namespace orvinta

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes = orvinta::fuzz::bytesOf(data, size);
    if (bytes.empty()) {
        return 0;
    }
    const auto mode = static_cast<unsigned char>(bytes[0]);
    bytes.remove_prefix(1);
    if (mode % 2 == 0) {
        orvinta::decodeFile(bytes, 1 + mode * 64U);
    } else {
        orvinta::decodeRaw(bytes);
    }
    return 0;
}
