// SPDX-License-Identifier: GPL-3.0-or-later
// Figures for orvinta-cw: character error rate against signal-to-noise ratio on generated
// recordings (with drift and fading, and with drift alone), and the decoding speed on a
// 48 kHz recording. Prints tables; the whole run takes about five minutes with --threads 2.
#include "cw/audiofile.h"
#include "cw/cwdecoder.h"
#include "tests/cw/keyedsignal.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

using namespace orvinta::cw;
using namespace orvinta::cw::testsignal;

constexpr std::size_t kPrefixLength = std::string_view(kFramePrefix).size();

struct Settings {
    int framesPerPoint = 200;
    int framesPerRecording = 4;
    double fadeDb = 6.0;
    double driftHz = 300.0;
    double fadePeriodSeconds = 60.0;
    double fromDb = 10.0;
    double toDb = -18.0;
    double minimumMargin = DecoderSettings{}.minimumMargin;
    double minimumMatch = DecoderSettings{}.minimumMatch;
    int threads = 1;
    bool oneCurve = false;
    bool detail = false;
    bool speed = true;
    bool curve = true;
};

struct Tally {
    long long characters = 0;
    long long wrong = 0;   ///< unreadable or wrong characters, missed frames counted whole
    long long misread = 0; ///< wrong characters that look valid
    long long unreadable = 0;
    long long frames = 0;
    long long framesRight = 0;
    long long framesMissed = 0;
    long long falseFrames = 0;
};

void compare(const std::string& truth, const HeardFrame* heard, Tally& tally) {
    ++tally.frames;
    bool right = heard != nullptr;
    for (std::size_t i = kPrefixLength; i < truth.size(); ++i) {
        if (truth[i] == ' ') {
            continue;
        }
        ++tally.characters;
        const char got = heard != nullptr && i < heard->text.size() ? heard->text[i] : '?';
        if (got != truth[i]) {
            ++tally.wrong;
            right = false;
            if (heard != nullptr) {
                ++(got == '?' ? tally.unreadable : tally.misread);
            }
        }
    }
    tally.framesRight += right ? 1 : 0;
    tally.framesMissed += heard == nullptr ? 1 : 0;
}

Tally measure(double snrDb, const Settings& settings, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> wpm(12.0, 25.0);
    std::uniform_real_distribution<double> tone(600.0, 2400.0);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    DecoderSettings decoderSettings;
    decoderSettings.minimumMargin = settings.minimumMargin;
    decoderSettings.minimumMatch = settings.minimumMatch;
    Tally tally;
    for (int done = 0; done < settings.framesPerPoint; done += settings.framesPerRecording) {
        std::vector<std::string> frames;
        for (int f = 0; f < settings.framesPerRecording; ++f) {
            frames.push_back(randomFrame(random));
        }
        SignalOptions options;
        options.sampleRate = 8000;
        options.wordsPerMinute = wpm(random);
        options.toneHz = tone(random);
        options.snrDb = snrDb;
        options.driftHz = unit(random) < 0.5 ? settings.driftHz : -settings.driftHz;
        options.driftRateHz = 5.0;
        options.fadeDb = settings.fadeDb;
        options.fadePeriodSeconds = settings.fadePeriodSeconds;
        options.fadePhase = 2.0 * 3.14159265358979 * unit(random);
        options.gapSeconds = 2.0 + 4.0 * unit(random);
        options.seed = static_cast<unsigned>(random());
        const KeyedRecording recording = keyFrames(frames, options);
        const std::vector<HeardFrame> heard =
            decodeSamples(recording.samples, options.sampleRate, decoderSettings);
        if (settings.detail) {
            std::printf("recording: %.9g WpM, tone %.9g Hz, drift %.0f Hz, fading phase %.9g, "
                        "gap %.9g s, seed %u\n",
                        options.wordsPerMinute, options.toneHz, options.driftHz, options.fadePhase,
                        options.gapSeconds, options.seed);
            for (std::size_t f = 0; f < frames.size(); ++f) {
                std::printf("  keyed %8.2f %s\n", recording.frameSeconds[f], frames[f].c_str());
            }
            for (const HeardFrame& h : heard) {
                std::printf("  heard %8.2f %s  %.1f Hz %.2f WpM %.1f dB\n", h.seconds,
                            h.text.c_str(), h.toneHz, h.wordsPerMinute, h.snrDb);
            }
        }
        std::vector<bool> used(heard.size(), false);
        for (std::size_t f = 0; f < frames.size(); ++f) {
            const HeardFrame* match = nullptr;
            for (std::size_t h = 0; h < heard.size(); ++h) {
                if (!used[h] && std::abs(heard[h].seconds - recording.frameSeconds[f]) < 1.5) {
                    used[h] = true;
                    match = &heard[h];
                    break;
                }
            }
            compare(frames[f], match, tally);
        }
        for (const bool u : used) {
            tally.falseFrames += u ? 0 : 1;
        }
    }
    return tally;
}

void speed() {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "orvinta-cw-bench-48k.wav";
    std::mt19937 random(99);
    std::vector<std::string> frames;
    for (int f = 0; f < 16; ++f) {
        frames.push_back(randomFrame(random));
    }
    SignalOptions options;
    options.sampleRate = 48000;
    options.wordsPerMinute = 18.0;
    options.toneHz = 1200.0;
    options.snrDb = -6.0;
    options.driftHz = 300.0;
    options.fadeDb = 10.0;
    const KeyedRecording recording = keyFrames(frames, options);
    writeAudio(path.string(), recording.samples, options.sampleRate, AudioFormat::Wav16);
    const double seconds = static_cast<double>(recording.samples.size()) / options.sampleRate;

    double best = 1e30;
    std::size_t found = 0;
    for (int run = 0; run < 3; ++run) {
        const auto begin = std::chrono::steady_clock::now();
        std::string reason;
        const auto file = AudioFile::open(path.string(), &reason);
        CwDecoder decoder(file->sampleRate());
        std::vector<float> block;
        found = 0;
        while (file->read(1 << 14, block)) {
            decoder.push(block.data(), block.size());
            found += decoder.takeFrames().size();
        }
        decoder.finish();
        found += decoder.takeFrames().size();
        const double took =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        best = std::min(best, took);
    }
    std::filesystem::remove(path);
    std::printf("speed: %.0f s of 48 kHz 16-bit WAV (%zu frames keyed, %zu found) decoded in "
                "%.3f s: %.0f times real time\n",
                seconds, frames.size(), found, best, seconds / best);
}

} // namespace

struct Curve {
    std::string name;
    double fadeDb;
    double fadePeriodSeconds;
    std::vector<std::pair<double, Tally>> points;
};

double percent(long long part, long long whole) {
    return whole > 0 ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0;
}

void runCurve(Curve& curve, Settings settings) {
    settings.fadeDb = curve.fadeDb;
    settings.fadePeriodSeconds = curve.fadePeriodSeconds;
    std::printf("\n# %s: %d frames per level, 12-25 WpM, tone 600-2400 Hz drifting +-300 Hz "
                "at up to 5 Hz/s, fading %.0f dB (crest to trough) over %.0f s, 8 kHz\n",
                curve.name.c_str(), settings.framesPerPoint, settings.fadeDb,
                settings.fadePeriodSeconds);
    std::printf("# snr_db cer_%% frames_right_%% misread_%% unreadable_%% missed false\n");
    std::vector<double> levels;
    for (double snr = settings.fromDb; snr >= settings.toDb - 1e-9; snr -= 1.0) {
        levels.push_back(snr);
    }
    // Levels are shared out among the threads and printed in order as they finish.
    std::vector<std::optional<Tally>> results(levels.size());
    std::atomic<std::size_t> next{0};
    std::mutex printing;
    std::size_t printed = 0;
    const auto work = [&] {
        for (std::size_t i = next++; i < levels.size(); i = next++) {
            // Each level has its own recordings, whatever range is run.
            const auto seed = static_cast<unsigned>(1000 + std::lround(10.0 * levels[i]));
            const Tally t = measure(levels[i], settings, seed);
            const std::lock_guard<std::mutex> lock(printing);
            results[i] = t;
            for (; printed < results.size() && results[printed]; ++printed) {
                const Tally& r = *results[printed];
                std::printf("%6.1f %7.3f %7.2f %7.3f %7.3f %4lld %4lld\n", levels[printed],
                            percent(r.wrong, r.characters), percent(r.framesRight, r.frames),
                            percent(r.misread, r.characters), percent(r.unreadable, r.characters),
                            r.framesMissed, r.falseFrames);
            }
            std::fflush(stdout);
        }
    };
    std::vector<std::thread> threads;
    for (int t = 1; t < settings.threads; ++t) {
        threads.emplace_back(work);
    }
    work();
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (std::size_t i = 0; i < levels.size(); ++i) {
        curve.points.emplace_back(levels[i], *results[i]);
    }
}

const Tally* at(const Curve& curve, double snr) {
    for (const auto& [level, tally] : curve.points) {
        if (std::abs(level - snr) < 0.01) {
            return &tally;
        }
    }
    return nullptr;
}

int main(int argc, char* argv[]) {
    Settings settings;
    std::string dataPath;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const auto value = [&] { return i + 1 < argc ? std::atof(argv[++i]) : 0.0; };
        if (arg == "--frames") {
            settings.framesPerPoint = static_cast<int>(value());
        } else if (arg == "--fade") {
            settings.fadeDb = value();
        } else if (arg == "--fade-period") {
            settings.fadePeriodSeconds = value();
        } else if (arg == "--drift") {
            settings.driftHz = value();
        } else if (arg == "--from") {
            settings.fromDb = value();
        } else if (arg == "--to") {
            settings.toDb = value();
        } else if (arg == "--margin") {
            settings.minimumMargin = value();
        } else if (arg == "--match") {
            settings.minimumMatch = value();
        } else if (arg == "--data" && i + 1 < argc) {
            dataPath = argv[++i];
        } else if (arg == "--threads") {
            settings.threads = std::max(1, static_cast<int>(value()));
        } else if (arg == "--one") {
            settings.oneCurve = true;
        } else if (arg == "--detail") {
            settings.detail = true;
        } else if (arg == "--no-speed") {
            settings.speed = false;
        } else if (arg == "--speed-only") {
            settings.curve = false;
        } else {
            std::fprintf(stderr,
                         "usage: orvinta-cw-bench [--frames N] [--from DB] [--to DB] "
                         "[--fade DB] [--fade-period S] [--drift HZ] [--one] [--margin NATS] "
                         "[--match R] [--data FILE] [--threads N] [--detail] "
                         "[--no-speed | --speed-only]\n");
            return 2;
        }
    }
    char fadingName[80];
    std::snprintf(fadingName, sizeof fadingName, "drift, fading %g dB over %g s", settings.fadeDb,
                  settings.fadePeriodSeconds);
    std::vector<Curve> curves{{fadingName, settings.fadeDb, settings.fadePeriodSeconds, {}}};
    if (!settings.oneCurve) {
        curves.push_back({"drift, no fading", 0.0, settings.fadePeriodSeconds, {}});
    }
    if (settings.curve) {
        std::printf("# Character error rate: characters of the payload (block, status, eight "
                    "groups) not read right, \"?\" and missed frames included; SNR in 3 kHz "
                    "at the unfaded level.\n");
        for (Curve& curve : curves) {
            runCurve(curve, settings);
        }
        std::printf("\n");
        for (const Curve& curve : curves) {
            if (const Tally* t = at(curve, -6.0)) {
                std::printf("%s: frames read entirely right at -6 dB: %.1f %%\n",
                            curve.name.c_str(), percent(t->framesRight, t->frames));
            }
            if (const Tally* t = at(curve, -13.0)) {
                std::printf("%s: character error rate at -13 dB: %.2f %% (%.2f %% misread, "
                            "%.2f %% \"?\")\n",
                            curve.name.c_str(), percent(t->wrong, t->characters),
                            percent(t->misread, t->characters),
                            percent(t->unreadable, t->characters));
            }
        }
        if (!dataPath.empty()) {
            std::FILE* data = std::fopen(dataPath.c_str(), "w");
            if (data == nullptr) {
                std::fprintf(stderr, "orvinta-cw-bench: cannot write %s\n", dataPath.c_str());
                return 2;
            }
            std::fprintf(data, "snr_db");
            for (const Curve& curve : curves) {
                std::fprintf(data, " \"%s\"", curve.name.c_str());
            }
            std::fprintf(data, "\n");
            for (std::size_t i = 0; i < curves[0].points.size(); ++i) {
                std::fprintf(data, "%.1f", curves[0].points[i].first);
                for (const Curve& curve : curves) {
                    const Tally& t = curve.points[i].second;
                    std::fprintf(data, " %.4f", percent(t.wrong, t.characters));
                }
                std::fprintf(data, "\n");
            }
            std::fclose(data);
        }
    }
    if (settings.speed) {
        speed();
    }
    return 0;
}
