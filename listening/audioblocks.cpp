// SPDX-License-Identifier: GPL-3.0-or-later
#include "audioblocks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace orvinta::listening {
namespace {

/// Reads one sample at `at` as a value in -1..1. Unsigned 8-bit audio is centred on 128.
float sampleAt(const char* at, QAudioFormat::SampleFormat format) {
    switch (format) {
    case QAudioFormat::UInt8: {
        std::uint8_t value = 0;
        std::memcpy(&value, at, sizeof value);
        return (static_cast<float>(value) - 128.0f) / 128.0f;
    }
    case QAudioFormat::Int16: {
        std::int16_t value = 0;
        std::memcpy(&value, at, sizeof value);
        return static_cast<float>(value) / 32768.0f;
    }
    case QAudioFormat::Int32: {
        std::int32_t value = 0;
        std::memcpy(&value, at, sizeof value);
        return static_cast<float>(static_cast<double>(value) / 2147483648.0);
    }
    case QAudioFormat::Float: {
        float value = 0.0f;
        std::memcpy(&value, at, sizeof value);
        return value;
    }
    default:
        return 0.0f;
    }
}

} // namespace

qsizetype wholeFrameBytes(qsizetype size, const QAudioFormat& format) {
    const qsizetype frameBytes = format.bytesPerFrame();
    return frameBytes > 0 ? size - size % frameBytes : 0;
}

void toMono(const QByteArray& bytes, const QAudioFormat& format, std::vector<float>& mono) {
    const qsizetype frameBytes = format.bytesPerFrame();
    const int channels = format.channelCount();
    const qsizetype sampleBytes = format.bytesPerSample();
    mono.clear();
    if (frameBytes <= 0 || channels <= 0)
        return;
    const auto frames = static_cast<std::size_t>(bytes.size() / frameBytes);
    mono.resize(frames);
    const float scale = 1.0f / static_cast<float>(channels);
    const char* at = bytes.constData();
    for (std::size_t f = 0; f < frames; ++f) {
        float sum = 0.0f;
        for (int c = 0; c < channels; ++c) {
            sum += sampleAt(at, format.sampleFormat());
            at += sampleBytes;
        }
        mono[f] = sum * scale;
    }
}

double peakDbfs(const float* samples, std::size_t count) {
    float peak = 0.0f;
    for (std::size_t i = 0; i < count; ++i)
        peak = std::max(peak, std::abs(samples[i]));
    if (peak <= 0.0f)
        return kSilenceDb;
    return std::max(kSilenceDb, 20.0 * std::log10(static_cast<double>(peak)));
}

} // namespace orvinta::listening
