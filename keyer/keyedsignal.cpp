// SPDX-License-Identifier: GPL-3.0-or-later
#include "keyedsignal.h"

#include "morsechart.h"

#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <numbers>
#include <optional>

namespace orvinta::keyer {
namespace {

/// A Rayleigh-faded level rarely goes this far above its mean amplitude (10 dB in power).
constexpr double kRayleighCrest = 3.2;

/// The envelope of keyed marks with raised-cosine edges, read at increasing times.
class Envelope {
public:
    Envelope(const std::vector<Mark>& marks, double edgeSeconds)
        : m_marks(marks)
        , m_edge(edgeSeconds) {}

    double at(double t) {
        while (m_next < m_marks.size() && m_marks[m_next].end + m_edge < t) {
            ++m_next;
        }
        if (m_next == m_marks.size() || t < m_marks[m_next].start) {
            return 0.0;
        }
        const Mark& m = m_marks[m_next];
        const double rise = std::clamp((t - m.start) / m_edge, 0.0, 1.0);
        const double fall = std::clamp((t - m.end) / m_edge, 0.0, 1.0);
        return 0.5 - 0.5 * std::cos(std::numbers::pi * (rise - fall));
    }

private:
    const std::vector<Mark>& m_marks;
    double m_edge;
    std::size_t m_next = 0;
};

/// A keyed tone on its way into the recording: its envelope and the phase of its tone.
struct Station {
    std::vector<Mark> marks;
    double amplitude = 0.0;
    double toneHz = 0.0;
    double phase = 0.0;
};

/// The marks of an interferer's random text over `duration` seconds, in whole words.
std::vector<Mark> interfererMarks(const Interferer& station, double duration) {
    std::mt19937 random(station.seed);
    KeyerTiming timing;
    timing.wordsPerMinute = station.wordsPerMinute;
    std::vector<Mark> marks;
    const bool overs = station.overSeconds > 0.0 && station.turnSeconds > 0.0;
    for (double over = overs ? station.firstOverSeconds : 0.0; over < duration;
         over += overs ? station.turnSeconds : duration) {
        const double stop = std::min(duration, overs ? over + station.overSeconds : duration);
        double at = over;
        while (true) {
            std::vector<Mark> word;
            const double end = keyText(randomContactText(random, 1), timing, at, word);
            if (end > stop) {
                break;
            }
            marks.insert(marks.end(), word.begin(), word.end());
            at = end + timing.wordGapSeconds();
        }
    }
    return marks;
}

double highestSnr(const SignalOptions& options) {
    double highest = options.snrDb;
    if (!options.snrProfile.empty()) {
        highest = options.snrProfile.front().second;
        for (const auto& point : options.snrProfile) {
            highest = std::max(highest, point.second);
        }
    }
    return highest;
}

/// The Rayleigh fading of a recording `duration` seconds long keyed with `options`, if
/// it fades so.
std::optional<RayleighFading> rayleighFading(const SignalOptions& options, double duration) {
    std::optional<RayleighFading> fading;
    if (options.fading == Fading::Rayleigh) {
        fading.emplace(1.0 / options.fadePeriodSeconds, duration, options.seed * 7919U + 1U);
    }
    return fading;
}

/// The beacon's complex gain at `t` from its fading: Rayleigh where `rayleigh` is given,
/// else the sinusoidal swing in dB.
std::complex<double> fadeAt(const SignalOptions& options,
                            const std::optional<RayleighFading>& rayleigh, double t) {
    if (rayleigh) {
        return rayleigh->gain(t);
    }
    const double fadeDb =
        0.5 * options.fadeDb *
        std::sin(2.0 * std::numbers::pi * t / options.fadePeriodSeconds + options.fadePhase);
    return std::pow(10.0, fadeDb / 20.0);
}

/// Keys the frames, each at its speed; fills the moments and speeds in `recording`.
std::vector<Mark> beaconMarks(const std::vector<std::string>& frames, const SignalOptions& options,
                              KeyedRecording& recording, double& duration) {
    std::vector<Mark> marks;
    double at = options.leadSeconds;
    for (std::size_t f = 0; f < frames.size(); ++f) {
        KeyerTiming timing;
        timing.wordsPerMinute =
            options.wordsPerMinute *
            (options.frameSpeedFactors.empty()
                 ? 1.0
                 : options.frameSpeedFactors[f % options.frameSpeedFactors.size()]);
        timing.weight = options.weight;
        timing.characterGapStretch = options.characterGapStretch;
        timing.wordGapStretch = options.wordGapStretch;
        recording.frameSeconds.push_back(at);
        recording.frameWpm.push_back(timing.wordsPerMinute);
        const double end = keyText(frames[f], timing, at, marks);
        recording.frameEndSeconds.push_back(end);
        at = end + timing.wordGapSeconds() + options.gapSeconds;
    }
    duration = (frames.empty() ? at : at - options.gapSeconds) + options.tailSeconds;
    return marks;
}

} // namespace

KeyedRecording keyFrames(const std::vector<std::string>& frames, const SignalOptions& options) {
    const double rate = options.sampleRate;
    KeyedRecording recording;
    double duration = 0.0;
    Station beacon{beaconMarks(frames, options, recording, duration), 0.0, options.toneHz, 0.0};
    std::vector<Station> others;
    for (const Interferer& station : options.interferers) {
        others.push_back({interfererMarks(station, duration),
                          std::pow(10.0, station.levelDb / 20.0), options.toneHz + station.offsetHz,
                          0.0});
    }

    const double snr = std::pow(10.0, highestSnr(options) / 10.0);
    // sigma^2 in the full band for the wanted power in 3 kHz: P / (sigma^2 3000 / (fs/2)).
    const double sigmaPerAmplitude = std::sqrt(0.5 * rate / (6000.0 * snr));
    const bool rayleigh = options.fading == Fading::Rayleigh;
    double peak = rayleigh ? kRayleighCrest : std::pow(10.0, options.fadeDb / 40.0);
    peak += options.carrierLevel;
    for (const Station& other : others) {
        peak += other.amplitude;
    }
    const bool noisy = options.noise != Noise::None;
    const double amplitude = 0.3 / (peak + (noisy ? 4.0 * sigmaPerAmplitude : 0.0));
    const double sigma = amplitude * sigmaPerAmplitude;
    const double tau =
        options.driftHz != 0.0 ? std::abs(options.driftHz) / options.driftRateHz : 1.0;

    const auto count = static_cast<std::size_t>(duration * rate);
    std::mt19937 random(options.seed);
    std::normal_distribution<double> gauss(0.0, 1.0);
    const std::vector<double> speech = options.noise == Noise::SpeechBand
                                           ? speechBandNoise(count, rate, random)
                                           : std::vector<double>();
    const std::optional<RayleighFading> fading = rayleighFading(options, duration);
    Envelope beaconEnvelope(beacon.marks, options.edgeSeconds);
    std::vector<Envelope> otherEnvelopes;
    otherEnvelopes.reserve(others.size());
    for (const Station& other : others) {
        otherEnvelopes.emplace_back(other.marks, options.edgeSeconds);
    }

    recording.samples.resize(count);
    const double highest = highestSnr(options);
    // What stays at one (a level without a profile, no fading) or adds nothing (no drift,
    // no carrier) is left out: the long recordings of the benchmark key faster.
    const bool profiled = !options.snrProfile.empty();
    const bool fades = rayleigh || options.fadeDb != 0.0;
    for (std::size_t n = 0; n < count; ++n) {
        const double t = static_cast<double>(n) / rate;
        const double level =
            profiled ? std::pow(10.0, (snrDbAt(options, t) - highest) / 20.0) : 1.0;
        const double frequency =
            options.driftHz != 0.0
                ? options.toneHz + options.driftHz * std::tanh((t - 0.5 * duration) / tau)
                : options.toneHz;
        beacon.phase = std::fmod(beacon.phase + 2.0 * std::numbers::pi * frequency / rate,
                                 2.0 * std::numbers::pi);
        const std::complex<double> turn = std::polar(1.0, beacon.phase);
        const std::complex<double> gain = fades ? turn * fadeAt(options, fading, t) : turn;
        const bool gone = std::any_of(options.dropouts.begin(), options.dropouts.end(),
                                      [&](const auto& d) { return t >= d.first && t < d.second; });
        double x = gone ? 0.0 : amplitude * level * beaconEnvelope.at(t) * gain.real();
        if (options.carrierLevel != 0.0) {
            x += amplitude * options.carrierLevel *
                 std::cos(2.0 * std::numbers::pi * options.carrierHz * t);
        }
        for (std::size_t s = 0; s < others.size(); ++s) {
            Station& other = others[s];
            other.phase = std::fmod(other.phase + 2.0 * std::numbers::pi * other.toneHz / rate,
                                    2.0 * std::numbers::pi);
            x += amplitude * other.amplitude * otherEnvelopes[s].at(t) * std::cos(other.phase);
        }
        if (options.noise == Noise::White) {
            x += sigma * gauss(random);
        } else if (options.noise == Noise::SpeechBand) {
            x += sigma * speech[n];
        }
        recording.samples[n] = static_cast<float>(std::clamp(x, -1.0, 1.0));
    }
    return recording;
}

double recordingSeconds(const std::vector<std::string>& frames, const SignalOptions& options) {
    KeyedRecording ignored;
    double duration = 0.0;
    beaconMarks(frames, options, ignored, duration);
    return duration;
}

double snrDbAt(const SignalOptions& options, double seconds) {
    const auto& profile = options.snrProfile;
    if (profile.empty()) {
        return options.snrDb;
    }
    if (seconds <= profile.front().first) {
        return profile.front().second;
    }
    for (std::size_t i = 1; i < profile.size(); ++i) {
        if (seconds <= profile[i].first) {
            const auto [t0, db0] = profile[i - 1];
            const auto [t1, db1] = profile[i];
            return db0 + (db1 - db0) * (seconds - t0) / std::max(1e-9, t1 - t0);
        }
    }
    return profile.back().second;
}

BeaconSnr::BeaconSnr(const std::vector<std::string>& frames, const SignalOptions& options)
    : m_options(options)
    , m_rayleigh(rayleighFading(options, recordingSeconds(frames, options))) {
}

double BeaconSnr::at(double seconds) const {
    return snrDbAt(m_options, seconds) +
           10.0 * std::log10(std::max(std::norm(fade(seconds)), 1e-30));
}

std::complex<double> BeaconSnr::fade(double seconds) const {
    return fadeAt(m_options, m_rayleigh, seconds);
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

std::vector<std::string> randomFrames(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::string> frames;
    for (std::size_t i = 0; i < count; ++i) {
        frames.push_back(randomFrame(random));
    }
    return frames;
}

std::string randomContactText(std::mt19937& random, std::size_t words) {
    static constexpr std::array<const char*, 40> kWords{
        "CQ",  "DE",   "K",   "KN", "BK",   "R",   "TNX",  "FER", "UR",  "RST",
        "599", "579",  "ES",  "HI", "HI",   "73",  "GM",   "GE",  "OP",  "NAME",
        "QTH", "RIG",  "ANT", "WX", "FB",   "OM",  "HR",   "PSE", "AGN", "QSL",
        "VIA", "BURO", "TU",  "EE", "TEST", "SAT", "PASS", "DR",  "CUL", "SK"};
    std::uniform_int_distribution<std::size_t> pick(0, kWords.size() - 1);
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<int> letter(0, 25);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> length(1, 5);
    std::string text;
    for (std::size_t w = 0; w < words; ++w) {
        if (w > 0) {
            text += ' ';
        }
        const int k = kind(random);
        if (k < 6) {
            text += kWords[pick(random)];
        } else if (k < 8) {
            // A call sign: one or two letters, a digit, two or three letters.
            for (int i = 0, n = 1 + digit(random) % 2; i < n; ++i) {
                text += static_cast<char>('A' + letter(random));
            }
            text += static_cast<char>('0' + digit(random));
            for (int i = 0, n = 2 + digit(random) % 2; i < n; ++i) {
                text += static_cast<char>('A' + letter(random));
            }
        } else {
            // A group of random letters and digits.
            for (int i = 0, n = length(random); i < n; ++i) {
                text += digit(random) < 7 ? static_cast<char>('A' + letter(random))
                                          : static_cast<char>('0' + digit(random));
            }
        }
    }
    return text;
}

std::vector<cw::HeardFrame> decodeSamples(const std::vector<float>& samples, int sampleRate,
                                          const cw::DecoderSettings& settings, std::size_t block) {
    cw::CwDecoder decoder(sampleRate, settings);
    std::vector<cw::HeardFrame> frames;
    const auto collect = [&] {
        for (cw::HeardFrame& frame : decoder.takeFrames()) {
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
                AudioFormat format, int channels, const cw::DateTags& tags) {
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
    // Metadata go before the first sample, or FLAC and Ogg leave them out.
    bool tagged = tags.date.empty() || sf_set_string(file, SF_STR_DATE, tags.date.c_str()) == 0;
    if (!tags.originationDate.empty() || !tags.originationTime.empty()) {
        SF_BROADCAST_INFO bext{};
        tags.originationDate.copy(bext.origination_date, sizeof bext.origination_date);
        tags.originationTime.copy(bext.origination_time, sizeof bext.origination_time);
        tagged = tagged && sf_command(file, SFC_SET_BROADCAST_INFO, &bext, sizeof bext) == SF_TRUE;
    }
    const auto width = static_cast<std::size_t>(channels);
    std::vector<float> frames(samples.size() * width);
    for (std::size_t n = 0; n < samples.size(); ++n) {
        std::fill_n(frames.begin() + static_cast<std::ptrdiff_t>(n * width), width, samples[n]);
    }
    const sf_count_t written =
        sf_writef_float(file, frames.data(), static_cast<sf_count_t>(samples.size()));
    return sf_close(file) == 0 && tagged && written == static_cast<sf_count_t>(samples.size());
}

} // namespace orvinta::keyer
