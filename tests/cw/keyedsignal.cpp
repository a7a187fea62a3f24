// SPDX-License-Identifier: GPL-3.0-or-later
#include "keyedsignal.h"

#include "cw/morse.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvinta::cw::testsignal {

KeyedRecording keyFrames(const std::vector<std::string>& frames, const SignalOptions& options) {
    const double rate = options.sampleRate;
    const double unit = 1.2 / options.wordsPerMinute;

    // Key state per unit for the whole recording, frames separated by silence.
    std::vector<bool> keying;
    KeyedRecording recording;
    const auto silence = [&](double seconds) {
        keying.insert(keying.end(), static_cast<std::size_t>(std::round(seconds / unit)), false);
    };
    silence(options.leadSeconds);
    for (std::size_t f = 0; f < frames.size(); ++f) {
        if (f > 0) {
            keying.insert(keying.end(), kWordGapUnits, false);
            silence(options.gapSeconds);
        }
        recording.frameSeconds.push_back(static_cast<double>(keying.size()) * unit);
        const std::vector<bool> units = keyUnits(frames[f]);
        keying.insert(keying.end(), units.begin(), units.end());
    }
    silence(options.tailSeconds);

    const double duration = static_cast<double>(keying.size()) * unit;
    const auto count = static_cast<std::size_t>(duration * rate);
    const double snr = std::pow(10.0, options.snrDb / 10.0);
    // sigma^2 in the full band for the wanted power in 3 kHz: P / (sigma^2 3000 / (fs/2)).
    const double sigmaPerAmplitude = std::sqrt(0.5 * rate / (6000.0 * snr));
    const double crest = std::pow(10.0, options.fadeDb / 40.0);
    const double amplitude =
        0.3 / (crest + options.carrierLevel + (options.noise ? 4.0 * sigmaPerAmplitude : 0.0));
    const double sigma = amplitude * sigmaPerAmplitude;
    const double tau =
        options.driftHz != 0.0 ? std::abs(options.driftHz) / options.driftRateHz : 1.0;

    std::mt19937 random(options.seed);
    std::normal_distribution<double> gauss(0.0, 1.0);
    recording.samples.resize(count);
    double phase = 0.0;
    double ramp = 0.0; // 0 key up, 1 key down, moving linearly over the edge time
    const double rampStep = 1.0 / (options.edgeSeconds * rate);
    for (std::size_t n = 0; n < count; ++n) {
        const double t = static_cast<double>(n) / rate;
        const auto u = std::min(keying.size() - 1, static_cast<std::size_t>(t / unit));
        ramp = keying[u] ? std::min(1.0, ramp + rampStep) : std::max(0.0, ramp - rampStep);
        const double envelope = 0.5 - 0.5 * std::cos(std::numbers::pi * ramp);
        const double fadeDb =
            0.5 * options.fadeDb *
            std::sin(2.0 * std::numbers::pi * t / options.fadePeriodSeconds + options.fadePhase);
        const double level = std::pow(10.0, fadeDb / 20.0);
        const double frequency =
            options.toneHz + options.driftHz * std::tanh((t - 0.5 * duration) / tau);
        phase += 2.0 * std::numbers::pi * frequency / rate;
        if (phase > 2.0 * std::numbers::pi) {
            phase -= 2.0 * std::numbers::pi;
        }
        double x = amplitude * level * envelope * std::cos(phase) +
                   amplitude * options.carrierLevel *
                       std::cos(2.0 * std::numbers::pi * options.carrierHz * t);
        if (options.noise) {
            x += sigma * gauss(random);
        }
        recording.samples[n] = static_cast<float>(std::clamp(x, -1.0, 1.0));
    }
    return recording;
}

std::string randomFrame(std::mt19937& random) {
    static const std::string cut = "AUV4E6BDNT";
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> letter(0, 25);
    std::uniform_int_distribution<int> percent(0, 99);
    std::string frame = "E LUSAT HI HI ";
    frame += static_cast<char>('0' + digit(random));
    frame += percent(random) < 80 ? 'O' : static_cast<char>('A' + letter(random));
    for (int group = 0; group < 8; ++group) {
        frame += ' ';
        for (int c = 0; c < 3; ++c) {
            frame += cut[static_cast<std::size_t>(digit(random))];
        }
    }
    return frame;
}

std::vector<HeardFrame> decodeSamples(const std::vector<float>& samples, int sampleRate,
                                      const DecoderSettings& settings, std::size_t block) {
    CwDecoder decoder(sampleRate, settings);
    std::vector<HeardFrame> frames;
    const auto collect = [&] {
        for (HeardFrame& frame : decoder.takeFrames()) {
            frames.push_back(std::move(frame));
        }
    };
    for (std::size_t at = 0; at < samples.size(); at += block) {
        decoder.push(samples.data() + at, std::min(block, samples.size() - at));
        collect();
    }
    decoder.finish();
    collect();
    return frames;
}

bool writeAudio(const std::string& path, const std::vector<float>& samples, int sampleRate,
                AudioFormat format, int channels) {
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    switch (format) {
    case AudioFormat::Wav16:
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        break;
    case AudioFormat::WavFloat:
        info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        break;
    case AudioFormat::Flac:
        info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
        break;
    case AudioFormat::Vorbis:
        info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
        break;
    }
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        return false;
    }
    const auto width = static_cast<std::size_t>(channels);
    std::vector<float> frames(samples.size() * width);
    for (std::size_t n = 0; n < samples.size(); ++n) {
        std::fill_n(frames.begin() + static_cast<std::ptrdiff_t>(n * width), width, samples[n]);
    }
    const sf_count_t written =
        sf_writef_float(file, frames.data(), static_cast<sf_count_t>(samples.size()));
    return sf_close(file) == 0 && written == static_cast<sf_count_t>(samples.size());
}

} // namespace orvinta::cw::testsignal
