// SPDX-License-Identifier: GPL-3.0-or-later
// Figures for orvinta-cw on generated recordings, one table per condition: the error
// rate against the signal-to-noise ratio in white noise (Doppler drift of 5 and 15 Hz/s),
// under Rayleigh fading (beside the decoder's best guesses, every "?" filled in, and the
// limit receiver's on the same frames, told the other characters or the fading's course), beside
// another CW station and with a keyer's own timing; the faded ten-minute pass; frames invented from
// recordings without the beacon; the same frames at every usual sample rate and some odd ones; the
// speed on one core and the memory. The whole run takes some forty minutes with --threads 2.
// "--only limit" checks the limit receiver alone.
#include "cw/audio/audiofile.h"
#include "cw/cwdecoder.h"
#include "cw/model/framelayout.h"
#include "cwbench/conditions.h"
#include "cwbench/scoring.h"
#include "keyer/keyedsignal.h"
#include "keyer/limitreceiver.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

using namespace orvinta::cw;
using namespace orvinta::cw::bench;
using namespace orvinta::keyer;

struct Settings {
    double scale = 1.0;
    int threads = 1;
    int passes = 10;
    bool detail = false;
    std::set<std::string> only;
    std::vector<double> levels; ///< instead of each curve's own, when given
    std::string dataFolder;
    std::string keepFolder; ///< recordings with a character written wrong go here

    bool wants(const std::string& part) const { return only.empty() || only.count(part) > 0; }
};

void printDetail(const Keyed& keyed, const KeyedRecording& recording,
                 const std::vector<HeardFrame>& heard) {
    const SignalOptions& o = keyed.options;
    std::printf("recording: %.2f WpM, tone %.1f Hz, drift %.0f Hz, seed %u\n", o.wordsPerMinute,
                o.toneHz, o.driftHz, o.seed);
    for (std::size_t f = 0; f < keyed.frames.size(); ++f) {
        std::printf("  keyed %8.2f %s (%.1f WpM)\n", recording.frameSeconds[f],
                    keyed.frames[f].c_str(), recording.frameWpm[f]);
    }
    for (const HeardFrame& h : heard) {
        std::printf("  heard %8.2f %s  %.1f Hz %.2f WpM %.1f dB confidence %.2f\n", h.seconds,
                    h.text.c_str(), h.toneHz, h.wordsPerMinute, h.snrDb, h.confidence);
        // The margins of the characters read wrong, for a look at how sure they were.
        for (std::size_t f = 0; f < keyed.frames.size(); ++f) {
            if (std::abs(recording.frameSeconds[f] - h.seconds) > 1.5) {
                continue;
            }
            std::size_t slot = 0;
            for (std::size_t i = kFramePrefix.size(); i < h.text.size(); ++i) {
                if (h.text[i] == ' ') {
                    continue;
                }
                if (h.text[i] != '?' && h.text[i] != keyed.frames[f][i]) {
                    std::printf("    wrong %c for %c, margin %.1f\n", h.text[i], keyed.frames[f][i],
                                slot < h.margins.size() ? h.margins[slot] : 0.0);
                }
                ++slot;
            }
        }
    }
}

/// Where the prefix of the frame keyed at `seconds` with `wpm` ends.
double prefixEndSeconds(double seconds, double wpm) {
    KeyingTiming timing;
    timing.unit = kUnitSecondsAtOneWpm / wpm;
    return seconds + timing.at(FrameLayout::instance().payloadStart(), -timing.wordGap);
}

/// Stops `recording` where `keyed.cut` says, or keys it again without the beacon from
/// there, and leaves out of `frames` and `starts` the frames whose prefix it cuts: no
/// reader hears them.
void cutRecording(const Keyed& keyed, KeyedRecording& recording, std::vector<std::string>& frames,
                  std::vector<double>& starts) {
    const std::size_t last = recording.frameSeconds.size() - 1;
    const double from =
        0.5 * (recording.frameSeconds[last - 1] + recording.frameEndSeconds[last - 1]);
    const double to = prefixEndSeconds(recording.frameSeconds[last], recording.frameWpm[last]);
    const double cut = from + *keyed.cut * (to - from);
    if (keyed.signalLost) {
        SignalOptions lost = keyed.options;
        lost.dropouts.emplace_back(cut, static_cast<double>(recording.samples.size()) /
                                            keyed.options.sampleRate);
        recording = keyFrames(keyed.frames, lost);
    } else {
        recording.samples.resize(std::min(
            recording.samples.size(), static_cast<std::size_t>(cut * keyed.options.sampleRate)));
    }
    while (!starts.empty() &&
           prefixEndSeconds(starts.back(), recording.frameWpm[starts.size() - 1]) > cut) {
        starts.pop_back();
        frames.pop_back();
    }
}

/// Writes a recording in which a character came out wrong into `folder`, named by its
/// keying, for a look with orvinta-cw.
void keepRecording(const std::string& folder, const Keyed& keyed, const KeyedRecording& recording) {
    const SignalOptions& o = keyed.options;
    char name[96];
    std::snprintf(name, sizeof name, "wrong-%+.0fdB-%.1fwpm-%.0fHz-%u.wav", o.snrDb,
                  o.wordsPerMinute, o.toneHz, o.seed);
    writeAudio((std::filesystem::path(folder) / name).string(), recording.samples, o.sampleRate,
               AudioFormat::Wav16);
}

/// The curves whose tables show the limit receiver beside the decoder.
bool readsAtLimit(const Curve& curve) {
    return curve.group == "fading";
}

Tally decodeAndScore(const Keyed& keyed, const Settings& settings,
                     std::vector<Outcome>* outcomes = nullptr, bool atLimit = false) {
    KeyedRecording recording = keyFrames(keyed.frames, keyed.options);
    std::vector<std::string> frames = keyed.frames;
    std::vector<double> starts = recording.frameSeconds;
    if (keyed.cut) {
        cutRecording(keyed, recording, frames, starts);
    }
    const std::vector<HeardFrame> heard =
        decodeSamples(recording.samples, keyed.options.sampleRate);
    Tally tally;
    tally.seconds = static_cast<double>(recording.samples.size()) / keyed.options.sampleRate;
    score(frames, starts, heard, tally, outcomes);
    if (atLimit) {
        const auto limitErrors = [&](FadingKnowledge knowledge) {
            return countErrors(frames, readPayloads(keyed.frames, keyed.options, recording,
                                                    frames.size(), knowledge));
        };
        tally.limit = limitErrors(FadingKnowledge::Statistics);
        tally.neighbours = limitErrors(FadingKnowledge::Neighbours);
        tally.told = limitErrors(FadingKnowledge::Course);
    }
    if (!settings.keepFolder.empty() && (tally.wrong > 0 || tally.falseFrames > 0)) {
        keepRecording(settings.keepFolder, keyed, recording);
    }
    if (settings.detail) {
        static std::mutex printing;
        const std::lock_guard<std::mutex> lock(printing);
        printDetail(keyed, recording, heard);
    }
    return tally;
}

Tally measurePoint(const Curve& curve, double snrDb, const Settings& settings) {
    // Each point has its own recordings, whatever else is run.
    std::seed_seq seed(curve.name.begin(), curve.name.end());
    std::mt19937 random(seed);
    random.discard(static_cast<unsigned long long>(std::lround(1000.0 + 10.0 * snrDb)));
    Tally tally;
    while (tally.frames < curve.framesPerPoint) {
        tally.add(
            decodeAndScore(curve.make(snrDb, random), settings, nullptr, readsAtLimit(curve)));
    }
    return tally;
}

/// Runs `jobs` on `threads` threads, each job once.
void runJobs(std::size_t jobs, int threads, const std::function<void(std::size_t)>& job) {
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < jobs; i = next++) {
            job(i);
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t) {
        pool.emplace_back(work);
    }
    work();
    for (std::thread& thread : pool) {
        thread.join();
    }
}

/// The share of wrong characters the decoder is asked to keep to.
constexpr double kWrongGoalPercent = 0.3;

/// A limit receiver's CER giving "?" where its odds fall short, at kWrongGoalPercent
/// written wrong at most.
double sureErrors(const LimitErrors& errors) {
    return errors.percentErrorsWritingWrongAtMost(kWrongGoalPercent);
}

/// The decoder's CER, its best guesses' and the limit receiver's at the levels of
/// kLimitSummaryDb.
void printLimitSummary(const Curve& curve, const std::vector<Tally>& points) {
    constexpr std::array<double, 2> kLimitSummaryDb{0.0, -6.0};
    std::printf("# %s, decoder / its best guesses / limit receiver / limit receiver with \"?\" / "
                "told the other characters, with \"?\" / told the fading, with \"?\" CER:",
                curve.name.c_str());
    for (const double level : kLimitSummaryDb) {
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (std::abs(curve.levels[i] - level) < 1e-9) {
                std::printf(" %+.0f dB %.2f / %.2f / %.2f / %.2f / %.2f / %.2f %%", level,
                            points[i].percentErrors(), points[i].percentGuessErrors(),
                            points[i].limit.percentErrors(), sureErrors(points[i].limit),
                            sureErrors(points[i].neighbours), sureErrors(points[i].told));
            }
        }
    }
    std::printf("\n");
}

/// How often the best guesses are wrong at each margin, over every level of the curve: the
/// share of wrong characters a least margin lets through, whatever rule sets it.
void printMarginSummary(const Curve& curve, const std::vector<Tally>& points) {
    Tally all;
    for (const Tally& t : points) {
        all.add(t);
    }
    std::printf("# %s, best guesses wrong by their margin", curve.name.c_str());
    for (std::size_t b = 0; b < kMarginBins; ++b) {
        const MarginBin& bin = all.byMargin[b];
        const double from = kMarginBinWidth * static_cast<double>(b);
        const double share = bin.characters > 0 ? 100.0 * static_cast<double>(bin.wrongGuesses) /
                                                      static_cast<double>(bin.characters)
                                                : 0.0;
        if (b + 1 < kMarginBins) {
            std::printf("%s %.0f-%.0f: %.2f %% of %lld", b == 0 ? ":" : ",", from,
                        from + kMarginBinWidth, share, bin.characters);
        } else {
            std::printf(", %.0f+: %.2f %% of %lld\n", from, share, bin.characters);
        }
    }
}

void printCurve(const Curve& curve, const std::vector<Tally>& points) {
    const bool limit = readsAtLimit(curve);
    std::printf("\n# %s: %s, %d frames per level\n", curve.group.c_str(), curve.name.c_str(),
                curve.framesPerPoint);
    std::printf("# snr_db cer_%% frames_right_%% wrong_%% unreadable_%% missed false%s\n",
                limit ? " guess_cer_% limit_cer_% limit_lev_% limit_sure_cer_% "
                        "neighbours_cer_% neighbours_sure_cer_% told_cer_% told_sure_cer_%"
                      : "");
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Tally& t = points[i];
        std::printf("%6.1f %7.3f %7.2f %7.3f %7.3f %4lld %4lld", curve.levels[i], t.percentErrors(),
                    t.percentFramesRight(), t.percentWrong(), t.percentUnreadable(), t.framesMissed,
                    t.falseFrames);
        if (limit) {
            std::printf(" %7.3f %7.3f %7.3f %7.3f %7.3f %7.3f %7.3f %7.3f", t.percentGuessErrors(),
                        t.limit.percentErrors(), t.limit.percentEdits(), sureErrors(t.limit),
                        t.neighbours.percentErrors(), sureErrors(t.neighbours),
                        t.told.percentErrors(), sureErrors(t.told));
        }
        std::printf("\n");
    }
    if (limit) {
        printLimitSummary(curve, points);
        printMarginSummary(curve, points);
    }
    std::fflush(stdout);
}

/// One data file per group: the SNR, then the error rate, frames right and wrong
/// characters (%) of each curve.
void writeGroupData(const std::string& folder, const std::string& group,
                    const std::vector<const Curve*>& curves,
                    const std::vector<const std::vector<Tally>*>& results) {
    std::ofstream data(std::filesystem::path(folder) / ("cw-" + group + ".dat"));
    data << "snr_db";
    for (const Curve* c : curves) {
        data << " \"" << c->name << " CER\" \"" << c->name << " right\" \"" << c->name
             << " wrong\"";
    }
    data << '\n';
    for (std::size_t i = 0; i < curves.front()->levels.size(); ++i) {
        data << curves.front()->levels[i];
        for (const auto* r : results) {
            const Tally& t = (*r)[i];
            data << ' ' << t.percentErrors() << ' ' << t.percentFramesRight() << ' '
                 << t.percentWrong();
        }
        data << '\n';
    }
}

/// The frames given out, grouped by their confidence: how many, their mean confidence and
/// the share of them with no character wrong. Where the confidence means what it says,
/// that share is at least the mean confidence.
void printCalibration(const std::vector<Judged>& judged) {
    constexpr std::array<double, 7> kBounds{0.0, 0.5, 0.8, 0.9, 0.95, 0.99, 1.0 + 1e-9};
    /// Groups this small say little: the goal holds for groups of this many frames or more.
    constexpr std::size_t kTellingFrames = 20;
    constexpr double kAllowedPoints = 3.0;
    std::printf("\n# calibration: the frames given out under every condition run, grouped by "
                "confidence\n# confidence frames mean_confidence_%% none_wrong_%% goal\n");
    for (std::size_t b = 0; b + 1 < kBounds.size(); ++b) {
        std::size_t frames = 0;
        std::size_t right = 0;
        double sum = 0.0;
        for (const Judged& j : judged) {
            if (j.confidence >= kBounds[b] && j.confidence < kBounds[b + 1]) {
                ++frames;
                right += j.noneWrong ? 1 : 0;
                sum += j.confidence;
            }
        }
        const double mean = frames > 0 ? 100.0 * sum / static_cast<double>(frames) : 0.0;
        const double share =
            frames > 0 ? 100.0 * static_cast<double>(right) / static_cast<double>(frames) : 0.0;
        const char* goal = frames < kTellingFrames          ? "too few"
                           : share >= mean - kAllowedPoints ? "met"
                                                            : "MISSED";
        std::printf("%4.2f-%4.2f %6zu %7.2f %7.2f  %s\n", kBounds[b], std::min(kBounds[b + 1], 1.0),
                    frames, mean, share, goal);
    }
    std::fflush(stdout);
}

void runCurves(const Settings& settings, std::vector<Judged>& judged) {
    std::vector<Curve> all;
    for (Curve& c : curves(settings.scale)) {
        if (settings.wants(c.group)) {
            if (!settings.levels.empty()) {
                c.levels = settings.levels;
            }
            all.push_back(std::move(c));
        }
    }
    if (all.empty()) {
        return;
    }
    std::printf("# Payload characters (block, status, eight groups): CER counts \"?\", wrong "
                "characters and every character of a missed frame; SNR in 3 kHz at the mean "
                "level; \"false\" counts lines that belong to no keyed frame.\n");
    if (std::any_of(all.begin(), all.end(), readsAtLimit)) {
        std::printf("# guess_cer_%%: the decoder's best guesses, every \"?\" replaced by the "
                    "character its reading had there, counted as cer_%%.\n");
        std::printf("# limit_cer_%%: the limit receiver on the same frames (told the timing, "
                    "the tone with its drift, the mean SNR and the fading period), counted as "
                    "cer_%%, character by character; limit_lev_%%: its Levenshtein distance, a "
                    "character dropped counting once; limit_sure_cer_%%: its CER where it gives "
                    "\"?\" for each character whose odds over all its readings fall below the "
                    "least bound that keeps its wrong characters at %.1f %% or fewer; "
                    "neighbours_cer_%%, neighbours_sure_cer_%%: the same receiver told the "
                    "frame's other characters, each element's gain learnt from their marks "
                    "within %zu units; told_cer_%%, "
                    "told_sure_cer_%%: the same receiver told the fading's course as well, each "
                    "unit's gain but for one phase per element, which no receiver that has to "
                    "find the fading out can beat.\n",
                    kWrongGoalPercent, kNeighbourUnits);
    }
    std::vector<std::pair<std::size_t, std::size_t>> jobs;
    std::vector<std::vector<Tally>> results(all.size());
    std::vector<std::size_t> left(all.size());
    for (std::size_t c = 0; c < all.size(); ++c) {
        results[c].resize(all[c].levels.size());
        left[c] = all[c].levels.size();
        for (std::size_t l = 0; l < all[c].levels.size(); ++l) {
            jobs.emplace_back(c, l);
        }
    }
    std::mutex progress;
    std::size_t printed = 0;
    runJobs(jobs.size(), settings.threads, [&](std::size_t j) {
        const auto [c, l] = jobs[j];
        const Tally t = measurePoint(all[c], all[c].levels[l], settings);
        const std::lock_guard<std::mutex> lock(progress);
        results[c][l] = t;
        judged.insert(judged.end(), t.judged.begin(), t.judged.end());
        --left[c];
        for (; printed < all.size() && left[printed] == 0; ++printed) {
            printCurve(all[printed], results[printed]);
        }
    });
    if (!settings.dataFolder.empty()) {
        std::map<std::string,
                 std::pair<std::vector<const Curve*>, std::vector<const std::vector<Tally>*>>>
            groups;
        for (std::size_t c = 0; c < all.size(); ++c) {
            groups[all[c].group].first.push_back(&all[c]);
            groups[all[c].group].second.push_back(&results[c]);
        }
        for (const auto& [group, members] : groups) {
            writeGroupData(settings.dataFolder, group, members.first, members.second);
        }
    }
}

/// The limit receiver's edits, frame by frame, on `frames` frames keyed at `wpm` and
/// `snrDb` under Rayleigh fading over `periodSeconds`, without drift, a random tone of
/// 600-2400 Hz as in the curves.
std::vector<long long> limitEdits(double wpm, double snrDb, double periodSeconds, int frames,
                                  unsigned seed) {
    constexpr int kFramesPerRecording = 4;
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> tone(600.0, 2400.0);
    std::vector<long long> edits;
    while (static_cast<int>(edits.size()) < frames) {
        std::vector<std::string> keyed;
        for (int f = 0; f < kFramesPerRecording; ++f) {
            keyed.push_back(randomFrame(random));
        }
        SignalOptions o;
        o.wordsPerMinute = wpm;
        o.snrDb = snrDb;
        o.toneHz = tone(random);
        o.fading = Fading::Rayleigh;
        o.fadePeriodSeconds = periodSeconds;
        o.seed = static_cast<unsigned>(random());
        const KeyedRecording recording = keyFrames(keyed, o);
        const std::vector<LimitReading> read = readPayloads(keyed, o, recording, keyed.size());
        for (std::size_t f = 0; f < keyed.size(); ++f) {
            edits.push_back(countErrors({keyed[f]}, {read[f]}).edits);
        }
    }
    return edits;
}

/// The limit receiver alone where its model holds but for the gain moving within a unit:
/// Rayleigh fading of 1 s, no drift, the speed fixed; its Levenshtein CER with the 95 %
/// half-width from the frames' edit counts.
void runLimitCheck(const Settings& settings) {
    struct Point {
        double wpm;
        double snrDb;
    };
    constexpr std::array<Point, 4> kPoints{Point{12.0, 0.0}, Point{12.0, -6.0}, Point{20.0, 0.0},
                                           Point{20.0, -6.0}};
    constexpr double kPeriodSeconds = 1.0;
    constexpr int kCheckFrames = 1000;
    /// Standard deviations of the mean to either side that hold 95 % of a normal spread.
    constexpr double kHalfWidth95 = 1.96;
    /// Block, status and the eight groups' 24 characters.
    constexpr double kPayloadCharacters = 26.0;
    const int frames = std::max(1, static_cast<int>(kCheckFrames * settings.scale));
    std::vector<std::vector<long long>> edits(kPoints.size());
    runJobs(kPoints.size(), settings.threads, [&](std::size_t p) {
        edits[p] = limitEdits(kPoints[p].wpm, kPoints[p].snrDb, kPeriodSeconds, frames,
                              static_cast<unsigned>(300 + p));
    });
    std::printf("\n# limit receiver alone: Rayleigh %g s, no drift, %d frames per point\n"
                "# wpm snr_db limit_lev_%% half_width_95_%%\n",
                kPeriodSeconds, frames);
    for (std::size_t p = 0; p < kPoints.size(); ++p) {
        double sum = 0.0;
        double squares = 0.0;
        for (const long long e : edits[p]) {
            sum += static_cast<double>(e);
            squares += static_cast<double>(e * e);
        }
        const auto n = static_cast<double>(edits[p].size());
        const double deviation = std::sqrt(std::max(0.0, squares / n - (sum / n) * (sum / n)));
        std::printf("%4.0f %6.1f %7.3f %7.3f\n", kPoints[p].wpm, kPoints[p].snrDb,
                    100.0 * sum / (kPayloadCharacters * n),
                    100.0 * kHalfWidth95 * deviation / std::sqrt(n) / kPayloadCharacters);
    }
    std::fflush(stdout);
}

/// A stretch about as long as a character at the pass's speed (22 WpM).
constexpr double kCharacterSeconds = 0.3;
/// The weakest SNR at which a steady signal is read (CER at most 2 %).
constexpr double kSteadyLimitDb = -13.0;
/// The frames a pass must give entirely right.
constexpr std::size_t kPassGoal = 14;

/// The SNR (dB) of the weakest kCharacterSeconds of the stretch from `from` to `to`,
/// averaged over it in power: a character that falls there can be read no better than a
/// steady signal at that SNR.
double weakestCharacterDb(const BeaconSnr& snr, double from, double to) {
    constexpr double kStep = 0.01;
    constexpr auto kWindow = static_cast<std::size_t>(kCharacterSeconds / kStep);
    std::vector<double> power;
    for (double t = from; t < to; t += kStep) {
        power.push_back(std::pow(10.0, snr.at(t) / 10.0));
    }
    double weakest = std::numeric_limits<double>::infinity();
    double sum = 0.0;
    for (std::size_t i = 0; i < power.size(); ++i) {
        sum += power[i] - (i >= kWindow ? power[i - kWindow] : 0.0);
        if (i + 1 >= kWindow) {
            weakest = std::min(weakest, sum / static_cast<double>(kWindow));
        }
    }
    return 10.0 * std::log10(std::max(weakest, 1e-30));
}

/// What the passes' signal carries at all: how many frames a pass keeps every stretch of a
/// character's length above the steady signal's limit, and down to what SNR a reader
/// must read to give kPassGoal frames a pass (the median over the passes).
void printWeakestCharacters(const std::vector<std::vector<double>>& weakest) {
    double above = 0.0;
    std::vector<double> needed;
    for (std::vector<double> frames : weakest) {
        above += static_cast<double>(std::count_if(frames.begin(), frames.end(),
                                                   [](double db) { return db >= kSteadyLimitDb; }));
        std::sort(frames.begin(), frames.end(), std::greater<>());
        needed.push_back(frames[std::min(kPassGoal, frames.size()) - 1]);
    }
    std::sort(needed.begin(), needed.end());
    std::printf("weakest %.1f s of each frame: %.1f frames a pass stay above %.0f dB; %zu frames a "
                "pass need reading down to %.1f dB (median of the passes)\n",
                kCharacterSeconds, above / static_cast<double>(weakest.size()), kSteadyLimitDb,
                kPassGoal, needed[needed.size() / 2]);
}

/// Runs `settings.passes` passes with fading of `fadeSeconds` (0: none); prints each
/// pass's outcome frame by frame and the total, and writes them to `data` if open.
void runPassVariant(const Settings& settings, double fadeSeconds, std::ofstream* data,
                    std::vector<Judged>& judged) {
    std::vector<Keyed> passes;
    std::mt19937 random(2024);
    for (int p = 0; p < settings.passes; ++p) {
        passes.push_back(fadedPass(random, fadeSeconds));
    }
    std::vector<std::vector<Outcome>> outcomes(passes.size());
    std::vector<Tally> tallies(passes.size());
    std::vector<std::vector<double>> starts(passes.size());
    std::vector<std::vector<double>> weakest(passes.size());
    runJobs(passes.size(), settings.threads, [&](std::size_t p) {
        tallies[p] = decodeAndScore(passes[p], settings, &outcomes[p]);
        SignalOptions silent = passes[p].options;
        silent.noise = Noise::None;
        silent.sampleRate = 400;
        const KeyedRecording keyed = keyFrames(passes[p].frames, silent);
        starts[p] = keyed.frameSeconds;
        const BeaconSnr snr(passes[p].frames, passes[p].options);
        for (std::size_t f = 0; f < keyed.frameSeconds.size(); ++f) {
            weakest[p].push_back(
                weakestCharacterDb(snr, keyed.frameSeconds[f], keyed.frameEndSeconds[f]));
        }
    });
    std::printf("\n# pass, %s\n", fadeSeconds > 0.0
                                      ? (std::string("Rayleigh fading over ") +
                                         std::to_string(static_cast<int>(fadeSeconds)) + " s")
                                            .c_str()
                                      : "no fading");
    std::printf("# pass frames_right unreadable wrong missed false outcome_per_frame\n");
    Tally total;
    for (std::size_t p = 0; p < passes.size(); ++p) {
        const Tally& t = tallies[p];
        std::string marks;
        long long unreadable = 0;
        long long wrong = 0;
        for (std::size_t f = 0; f < outcomes[p].size(); ++f) {
            const Outcome o = outcomes[p][f];
            marks += "+?xm"[static_cast<int>(o)];
            unreadable += o == Outcome::Unreadable ? 1 : 0;
            wrong += o == Outcome::Wrong ? 1 : 0;
            if (data != nullptr) {
                *data << fadeSeconds << ' ' << p << ' ' << starts[p][f] / 60.0 << ' '
                      << snrDbAt(passes[p].options, starts[p][f]) << ' ' << static_cast<int>(o)
                      << '\n';
            }
        }
        std::printf("%4zu %4lld/%lld %4lld %4lld %4lld %4lld  %s\n", p, t.framesRight, t.frames,
                    unreadable, wrong, t.framesMissed, t.falseFrames, marks.c_str());
        total.add(t);
    }
    judged.insert(judged.end(), total.judged.begin(), total.judged.end());
    std::printf("passes: %lld of %lld frames entirely right (%.1f per pass of 17), wrong "
                "characters %.3f %%, CER %.2f %%\n",
                total.framesRight, total.frames,
                17.0 * static_cast<double>(total.framesRight) / static_cast<double>(total.frames),
                total.percentWrong(), total.percentErrors());
    printWeakestCharacters(weakest);
    std::fflush(stdout);
}

void runPasses(const Settings& settings, std::vector<Judged>& judged) {
    std::printf("\n# passes: 17 frames over ten minutes (12 s between them), SNR +6 dB down to "
                "-12 dB and back, drift +-300 Hz at up to 5 Hz/s\n");
    std::optional<std::ofstream> data;
    if (!settings.dataFolder.empty()) {
        data.emplace(std::filesystem::path(settings.dataFolder) / "cw-pass.dat");
        *data << "fade_s pass minute snr_db outcome\n";
    }
    // Slow fading (tens of seconds) is the goal's; no fading and fading over 10 s show
    // what the fading costs.
    for (const double fadeSeconds : {0.0, 30.0, 10.0}) {
        runPassVariant(settings, fadeSeconds, data ? &*data : nullptr, judged);
    }
}

void runWithoutBeacon(const Settings& settings) {
    struct Run {
        const char* name;
        Background background;
        double levelDb;
    };
    std::vector<Run> runs{{"white noise", Background::WhiteNoise, 0.0},
                          {"speech-band noise", Background::SpeechNoise, 0.0}};
    for (const double level : {-10.0, -3.0, 3.0, 10.0, 20.0, 30.0}) {
        runs.push_back({"CW contact", Background::Contact, level});
    }
    std::vector<std::size_t> frames(runs.size());
    std::vector<std::vector<std::string>> lines(runs.size());
    runJobs(runs.size(), settings.threads, [&](std::size_t i) {
        const Keyed keyed =
            withoutBeacon(runs[i].background, runs[i].levelDb, static_cast<unsigned>(7000 + i));
        const KeyedRecording recording = keyFrames(keyed.frames, keyed.options);
        for (const HeardFrame& h : decodeSamples(recording.samples, keyed.options.sampleRate)) {
            lines[i].push_back(h.text);
        }
        frames[i] = lines[i].size();
    });
    std::printf("\n# frames invented from ten minutes without the beacon\n");
    std::size_t total = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (runs[i].background == Background::Contact) {
            std::printf("%-18s at %+5.0f dB: %zu frames\n", runs[i].name, runs[i].levelDb,
                        frames[i]);
        } else {
            std::printf("%-27s: %zu frames\n", runs[i].name, frames[i]);
        }
        for (const std::string& line : lines[i]) {
            std::printf("    %s\n", line.c_str());
        }
        total += frames[i];
    }
    const double hours = static_cast<double>(runs.size()) * 10.0 / 60.0;
    std::printf("invented frames: %zu in %.1f hours, %.2f per hour\n", total, hours,
                static_cast<double>(total) / hours);
    std::fflush(stdout);
}

/// Sample rates of the rate table: the usual ones of sound cards and recorders, and two
/// that divide by none of the decoder's factors.
constexpr std::array<int, 9> kTableRates{8000,  11025, 12345, 16000, 22050,
                                         32000, 37800, 44100, 48000};
/// Levels around the weakest that is still read (CER 2 % near -13.5 dB).
constexpr std::array<double, 4> kTableLevels{-10.0, -12.0, -13.0, -14.0};
/// Frames a cell of the rate table: a recording's errors come together in its missed and
/// weak frames, and with 400 frames the CER's standard error at -13 dB is near 0.3
/// points, so two rates one point apart differ by more than twice their spread; at
/// -14 dB, where whole frames are missed, near 0.8.
constexpr int kTableFrames = 400;

/// The standard error (points of CER) of the mean over recordings, each a few frames.
double standardError(const std::vector<Tally>& recordings) {
    if (recordings.size() < 2) {
        return 0.0;
    }
    double sum = 0.0;
    double squares = 0.0;
    for (const Tally& t : recordings) {
        sum += t.percentErrors();
        squares += t.percentErrors() * t.percentErrors();
    }
    const auto n = static_cast<double>(recordings.size());
    const double variance = std::max(0.0, (squares - sum * sum / n) / (n - 1.0));
    return std::sqrt(variance / n);
}

/// The rate table's cells, rate by rate, each level in turn: the tallies of its recordings.
using RateCells = std::vector<std::vector<Tally>>;

/// The same frames in white noise (drifting at up to 5 Hz/s, as in the white table)
/// keyed at each rate of the table and decoded.
RateCells measureRates(const Settings& settings, const std::vector<double>& levels, int frames) {
    const std::vector<Curve> all = curves(1.0);
    const Curve& drift = *std::find_if(all.begin(), all.end(), [](const Curve& c) {
        return c.group == "white" && c.name == "drift 5 Hz/s";
    });
    RateCells cells(kTableRates.size() * levels.size());
    runJobs(cells.size(), settings.threads, [&](std::size_t job) {
        const int rate = kTableRates[job / levels.size()];
        const double snrDb = levels[job % levels.size()];
        // The same recordings at every rate: drawn from the level alone.
        std::mt19937 random(static_cast<unsigned>(std::lround(5000.0 + 10.0 * snrDb)));
        for (Tally total; total.frames < frames;) {
            Keyed keyed = drift.make(snrDb, random);
            keyed.options.sampleRate = rate;
            cells[job].push_back(decodeAndScore(keyed, settings));
            total.add(cells[job].back());
        }
    });
    return cells;
}

/// The CER of every rate at each level with its standard error and the frames missed, and
/// at each level how far the worst rate lies from the best.
void runSampleRates(const Settings& settings) {
    const std::vector<double> levels =
        settings.levels.empty() ? std::vector<double>(kTableLevels.begin(), kTableLevels.end())
                                : settings.levels;
    const int frames = std::max(4, static_cast<int>(kTableFrames * settings.scale));
    const RateCells cells = measureRates(settings, levels, frames);
    std::printf("\n# sample rates: the same %d frames per level in white noise (drift 5 Hz/s) "
                "keyed at each rate; CER %% +- its standard error, frames missed\n# rate",
                frames);
    for (const double level : levels) {
        std::printf("  %6.1f dB         ", level);
    }
    std::optional<std::ofstream> data;
    if (!settings.dataFolder.empty()) {
        data.emplace(std::filesystem::path(settings.dataFolder) / "cw-rates.dat");
        *data << "rate snr_db cer standard_error wrong missed\n";
    }
    std::vector<double> best(levels.size(), 100.0);
    std::vector<double> worst(levels.size(), 0.0);
    for (std::size_t r = 0; r < kTableRates.size(); ++r) {
        std::printf("\n%6d", kTableRates[r]);
        for (std::size_t l = 0; l < levels.size(); ++l) {
            const std::vector<Tally>& recordings = cells[r * levels.size() + l];
            Tally total;
            for (const Tally& t : recordings) {
                total.add(t);
            }
            const double cer = total.percentErrors();
            best[l] = std::min(best[l], cer);
            worst[l] = std::max(worst[l], cer);
            const double error = standardError(recordings);
            std::printf("  %6.2f +-%4.2f %3lld", cer, error, total.framesMissed);
            if (data) {
                *data << kTableRates[r] << ' ' << levels[l] << ' ' << cer << ' ' << error << ' '
                      << total.percentWrong() << ' ' << total.framesMissed << '\n';
            }
        }
    }
    std::printf("\n# worst - best");
    for (std::size_t l = 0; l < levels.size(); ++l) {
        std::printf("  %6.2f points     ", worst[l] - best[l]);
    }
    std::printf("\n");
    std::fflush(stdout);
}

/// Processor seconds spent by this thread: other work on a shared machine does not count.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

/// Decodes `path` on this thread, as the program does; returns processor seconds and frames.
std::pair<double, std::size_t> timeFile(const std::string& path) {
    double best = 1e30;
    std::size_t found = 0;
    for (int run = 0; run < 3; ++run) {
        const double begin = threadSeconds();
        std::string reason;
        const auto file = AudioFile::open(path, &reason);
        CwDecoder decoder(file->sampleRate());
        std::vector<float> block;
        found = 0;
        while (file->read(1 << 14, block)) {
            decoder.push(block.data(), block.size());
            found += decoder.takeFrames().size();
        }
        decoder.finish();
        found += decoder.takeFrames().size();
        best = std::min(best, threadSeconds() - begin);
    }
    return {best, found};
}

void runSpeed() {
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
    options.fading = Fading::Rayleigh;
    options.fadePeriodSeconds = 3.0;
    options.interferers.push_back({400.0, 0.0, 22.0, 0.0, 0.0, 0.0, 5});
    std::printf("\n# speed on one core (processor time of the decoding thread), 48 kHz 16-bit WAV "
                "read from disk\n");
    struct Case {
        const char* label;
        std::vector<std::string> frames;
        SignalOptions options;
    };
    SignalOptions steady = options;
    steady.fading = Fading::Sine; // with fadeDb 0: no fading
    steady.interferers.clear();
    steady.snrDb = -10.0;
    SignalOptions noise = steady;
    noise.leadSeconds = 600.0;
    // Speech-band noise, its level swinging with syllables, as the tests' keyer makes it.
    SignalOptions speech = noise;
    speech.noise = Noise::SpeechBand;
    // A generated recording with nothing but the file's quantisation.
    SignalOptions clean = steady;
    clean.noise = Noise::None;
    for (const Case& c : {Case{"16 frames, Rayleigh fading, another station", frames, options},
                          Case{"16 frames, steady signal at -10 dB", frames, steady},
                          Case{"16 frames without noise", frames, clean},
                          Case{"white noise", {}, noise}, Case{"speech-band noise", {}, speech}}) {
        const KeyedRecording recording = keyFrames(c.frames, c.options);
        writeAudio(path.string(), recording.samples, c.options.sampleRate, AudioFormat::Wav16);
        const double seconds = static_cast<double>(recording.samples.size()) / c.options.sampleRate;
        const auto [took, found] = timeFile(path.string());
        std::printf("%s: %.0f s decoded in %.3f s, %.0f times real time (%zu frames keyed, %zu "
                    "heard)\n",
                    c.label, seconds, took, seconds / took, c.frames.size(), found);
        std::fflush(stdout);
    }
    std::filesystem::remove(path);
}

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return -1;
}

void runMemory() {
    // Two minutes of 48 kHz audio with three frames, fed over and over for an hour.
    std::mt19937 random(5);
    SignalOptions o;
    o.sampleRate = 48000;
    o.wordsPerMinute = 25.0;
    o.snrDb = -3.0;
    o.gapSeconds = 8.0;
    o.leadSeconds = 5.0;
    const KeyedRecording recording =
        keyFrames({randomFrame(random), randomFrame(random), randomFrame(random)}, o);
    const double seconds = static_cast<double>(recording.samples.size()) / o.sampleRate;
    std::printf("\n# memory: a %.0f s recording of 3 frames at 48 kHz fed again and again\n",
                seconds);
    CwDecoder decoder(o.sampleRate);
    long first = 0;
    std::size_t frames = 0;
    double fed = 0.0;
    for (const double report : {120.0, 600.0, 1800.0, 3600.0}) {
        while (fed < report) {
            for (std::size_t at = 0; at < recording.samples.size(); at += 4800) {
                decoder.push(recording.samples.data() + at,
                             std::min<std::size_t>(4800, recording.samples.size() - at));
                frames += decoder.takeFrames().size();
            }
            fed += seconds;
        }
        const long resident = residentKilobytes();
        first = first == 0 ? resident : first;
        std::printf("after %5.0f s: %zu frames, %.1f MB resident, %+.1f MB since the first report, "
                    "%zu samples held by the decoder\n",
                    fed, frames, static_cast<double>(resident) / 1024.0,
                    static_cast<double>(resident - first) / 1024.0, decoder.heldSamples());
        std::fflush(stdout);
    }
}

bool parse(int argc, char* argv[], Settings& settings) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--scale" && hasValue) {
            settings.scale = std::atof(argv[++i]);
        } else if (arg == "--threads" && hasValue) {
            settings.threads = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--passes" && hasValue) {
            settings.passes = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--only" && hasValue) {
            std::stringstream list(argv[++i]);
            for (std::string part; std::getline(list, part, ',');) {
                settings.only.insert(part);
            }
        } else if (arg == "--levels" && hasValue) {
            std::stringstream list(argv[++i]);
            for (std::string part; std::getline(list, part, ',');) {
                settings.levels.push_back(std::atof(part.c_str()));
            }
        } else if (arg == "--data" && hasValue) {
            settings.dataFolder = argv[++i];
        } else if (arg == "--keep-wrong" && hasValue) {
            settings.keepFolder = argv[++i];
        } else if (arg == "--detail") {
            settings.detail = true;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    Settings settings;
    if (!parse(argc, argv, settings)) {
        std::fprintf(
            stderr,
            "usage: orvinta-cw-bench [--threads N] [--scale X] [--passes N] "
            "[--only white,fading,interference,keying,cut,pass,false,limit,rates,speed,memory] "
            "[--data FOLDER] [--keep-wrong FOLDER] [--detail]\n");
        return 2;
    }
    std::vector<Judged> judged;
    runCurves(settings, judged);
    if (settings.wants("pass")) {
        runPasses(settings, judged);
    }
    if (!judged.empty()) {
        printCalibration(judged);
    }
    if (settings.wants("false")) {
        runWithoutBeacon(settings);
    }
    if (settings.only.count("limit") > 0) {
        runLimitCheck(settings);
    }
    if (settings.wants("rates")) {
        runSampleRates(settings);
    }
    if (settings.wants("speed")) {
        runSpeed();
    }
    if (settings.wants("memory")) {
        runMemory();
    }
    return 0;
}
