// SPDX-License-Identifier: GPL-3.0-or-later
#include "limitreceiver.h"

#include "morsechart.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <stdexcept>

namespace orvinta::keyer {
namespace {

using Complex = std::complex<double>;

/// What every beacon frame starts with; the payload follows a word gap later.
constexpr std::string_view kPrefix = "E LUSAT HI HI";
/// The SNR is the key-down power against the noise in this bandwidth.
constexpr double kSnrBandHz = 3000.0;
/// The noise is measured in this stretch before a frame's start (or less, where the frame
/// before ends later): the keyer leaves at least 2 s of silence between frames.
constexpr double kQuietSeconds = 1.5;
/// A recording holds at least the quantisation noise of 16-bit samples (a step of 2^-15,
/// its power step^2 / 12): the floor keeps a noise-free recording readable.
constexpr double kNoiseFloorPower = 1.0 / (32768.0 * 32768.0 * 12.0);
/// Units of key up between the characters of a word and between words.
constexpr int kCharacterGapUnits = 3;
constexpr int kWordGapUnits = 7;
constexpr int kGroups = 8;
constexpr int kGroupLength = 3;
constexpr double kImpossible = -std::numeric_limits<double>::infinity();

/// A dot or a dash: where it starts in its character and how many units it lasts.
struct Element {
    int offset = 0;
    int units = 0;
};

/// A character's elements and its length in units, from the keyer's chart.
struct Shape {
    char symbol = 0;
    std::vector<Element> elements;
    int units = 0;
};

Shape shapeOf(char symbol) {
    Shape shape{symbol, {}, 0};
    for (const char mark : keyer::chartCode(symbol)) {
        if (!shape.elements.empty()) {
            ++shape.units; // the gap between elements
        }
        const int units = mark == '.' ? 1 : 3;
        shape.elements.push_back({shape.units, units});
        shape.units += units;
    }
    return shape;
}

/// One payload character: what it may be and the key-up units after it.
struct Slot {
    std::vector<Shape> alphabet;
    int gapAfter = 0;
};

std::vector<Shape> shapesOf(std::string_view symbols) {
    std::vector<Shape> shapes;
    for (const char c : symbols) {
        shapes.push_back(shapeOf(c));
    }
    return shapes;
}

/// Block digit, status letter, then eight groups of three cut-number characters; no gap
/// after the last. The status may be any letter: the receiver is not told it is mostly O.
const std::vector<Slot>& payloadSlots() {
    static const std::vector<Slot> slots = [] {
        std::vector<Slot> all{{shapesOf("0123456789"), kCharacterGapUnits},
                              {shapesOf("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), kWordGapUnits}};
        for (int g = 0; g < kGroups; ++g) {
            for (int c = 0; c < kGroupLength; ++c) {
                const bool last = g == kGroups - 1 && c == kGroupLength - 1;
                const int gap =
                    c < kGroupLength - 1 ? kCharacterGapUnits : (last ? 0 : kWordGapUnits);
                all.push_back({shapesOf("AUVEBDNT46"), gap});
            }
        }
        return all;
    }();
    return slots;
}

/// Units from the payload start to the end of its longest possible last character.
int longestPayloadUnits() {
    int units = 0;
    for (const Slot& slot : payloadSlots()) {
        int longest = 0;
        for (const Shape& s : slot.alphabet) {
            longest = std::max(longest, s.units);
        }
        units += longest + slot.gapAfter;
    }
    return units;
}

/// The recording mixed down to baseband with the tone's phase as the keyer turns it,
/// drift included: a keyed stretch comes out as its fading gain times half its amplitude.
std::vector<Complex> mixDown(const std::vector<float>& samples, const keyer::SignalOptions& options,
                             double recordingSeconds) {
    const double rate = options.sampleRate;
    const double tau =
        options.driftHz != 0.0 ? std::abs(options.driftHz) / options.driftRateHz : 1.0;
    std::vector<Complex> baseband(samples.size());
    double phase = 0.0;
    for (std::size_t n = 0; n < samples.size(); ++n) {
        const double t = static_cast<double>(n) / rate;
        const double frequency =
            options.toneHz + options.driftHz * std::tanh((t - 0.5 * recordingSeconds) / tau);
        phase =
            std::fmod(phase + 2.0 * std::numbers::pi * frequency / rate, 2.0 * std::numbers::pi);
        baseband[n] = static_cast<double>(samples[n]) * std::polar(1.0, -phase);
    }
    return baseband;
}

/// The noise power per sample, measured from the samples in [from, to) seconds.
double noisePower(const std::vector<float>& samples, double rate, double from, double to) {
    const auto begin = static_cast<std::size_t>(std::max(0.0, std::ceil(from * rate)));
    const auto end = std::min(samples.size(), static_cast<std::size_t>(std::max(0.0, to * rate)));
    double sum = 0.0;
    for (std::size_t n = begin; n < end; ++n) {
        sum += static_cast<double>(samples[n]) * samples[n];
    }
    const double measured = end > begin ? sum / static_cast<double>(end - begin) : 0.0;
    return std::max(measured, kNoiseFloorPower);
}

/// Where the frame's payload is read: its first unit's start and the unit's length.
struct PayloadTiming {
    double startSeconds = 0.0;
    double unitSeconds = 0.0;
    int units = 0; ///< units that fit before the next frame or the recording's end
};

PayloadTiming payloadTiming(const keyer::SignalOptions& options,
                            const keyer::KeyedRecording& recording, std::size_t frame) {
    keyer::KeyerTiming timing;
    timing.wordsPerMinute = recording.frameWpm[frame];
    timing.weight = options.weight;
    timing.characterGapStretch = options.characterGapStretch;
    timing.wordGapStretch = options.wordGapStretch;
    std::vector<keyer::Mark> marks;
    const double prefixEnd = keyer::keyText(kPrefix, timing, recording.frameSeconds[frame], marks);
    PayloadTiming payload;
    payload.unitSeconds = timing.unitSeconds();
    // A mark's raised-cosine edges reach edgeSeconds past its end: units shifted by half an
    // edge take in the whole mark and almost nothing of its neighbours.
    payload.startSeconds = prefixEnd + timing.wordGapSeconds() + 0.5 * options.edgeSeconds;
    const double limit = frame + 1 < recording.frameSeconds.size()
                             ? recording.frameSeconds[frame + 1]
                             : static_cast<double>(recording.samples.size()) / options.sampleRate;
    const double fit = std::floor((limit - payload.startSeconds) / payload.unitSeconds);
    payload.units = std::clamp(static_cast<int>(fit), 0, longestPayloadUnits());
    return payload;
}

/// The sum of the baseband over each unit, scaled so that the noise in it has unit power.
std::vector<Complex> unitSums(const std::vector<Complex>& baseband, double rate,
                              const PayloadTiming& payload, double noisePerSample) {
    std::vector<Complex> sums(static_cast<std::size_t>(payload.units));
    for (std::size_t u = 0; u < sums.size(); ++u) {
        const double from = payload.startSeconds + static_cast<double>(u) * payload.unitSeconds;
        const auto begin = static_cast<std::size_t>(std::ceil(from * rate));
        const auto end =
            std::min(baseband.size(),
                     static_cast<std::size_t>(std::ceil((from + payload.unitSeconds) * rate)));
        Complex sum = 0.0;
        for (std::size_t n = begin; n < end; ++n) {
            sum += baseband[n];
        }
        const double samples = static_cast<double>(std::max<std::size_t>(1, end - begin));
        sums[u] = sum / std::sqrt(samples * noisePerSample);
    }
    return sums;
}

/// The likelihood ratio of an element of `units` units, its gain g ~ CN(0, R) with
/// R_ij = J0(2 pi (i - j) T / P), against key up: y^H (I - C^-1) y - log det C for
/// C = Es R + I, y the element's unit sums. Q = I - C^-1 and log det C are worked out once.
struct ElementMetric {
    int units = 0;
    std::vector<double> q; ///< units x units, row by row
    double logDet = 0.0;

    ElementMetric(int elementUnits, double es, double unitSeconds, double periodSeconds);
    double at(const std::vector<Complex>& y, std::size_t first) const;
};

ElementMetric::ElementMetric(int elementUnits, double es, double unitSeconds, double periodSeconds)
    : units(elementUnits) {
    const auto n = static_cast<std::size_t>(units);
    // [C | I] reduced to [I | C^-1] (C is positive definite: no pivoting needed).
    std::vector<double> c(n * n);
    std::vector<double> inverse(n * n, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            const double lag = std::abs(static_cast<double>(i) - static_cast<double>(j));
            const double x = 2.0 * std::numbers::pi * lag * unitSeconds / periodSeconds;
            c[i * n + j] = es * std::cyl_bessel_j(0.0, x) + (i == j ? 1.0 : 0.0);
        }
        inverse[i * n + i] = 1.0;
    }
    for (std::size_t k = 0; k < n; ++k) {
        const double pivot = c[k * n + k];
        logDet += std::log(pivot);
        for (std::size_t j = 0; j < n; ++j) {
            c[k * n + j] /= pivot;
            inverse[k * n + j] /= pivot;
        }
        for (std::size_t i = 0; i < n; ++i) {
            const double factor = i == k ? 0.0 : c[i * n + k];
            for (std::size_t j = 0; j < n; ++j) {
                c[i * n + j] -= factor * c[k * n + j];
                inverse[i * n + j] -= factor * inverse[k * n + j];
            }
        }
    }
    q.resize(n * n);
    for (std::size_t i = 0; i < n * n; ++i) {
        q[i] = (i % (n + 1) == 0 ? 1.0 : 0.0) - inverse[i];
    }
}

double ElementMetric::at(const std::vector<Complex>& y, std::size_t first) const {
    const auto n = static_cast<std::size_t>(units);
    double sum = -logDet;
    for (std::size_t i = 0; i < n; ++i) {
        sum += q[i * n + i] * std::norm(y[first + i]);
        for (std::size_t j = i + 1; j < n; ++j) {
            sum += 2.0 * q[i * n + j] * (std::conj(y[first + i]) * y[first + j]).real();
        }
    }
    return sum;
}

/// The likelihood ratio against key up of a dot and of a dash starting at each unit.
struct ElementRatios {
    std::vector<double> dot;
    std::vector<double> dash;
};

/// The ratios with the gain over each element unknown, known only by its statistics.
ElementRatios ratiosFromStatistics(const std::vector<Complex>& y, double es, double unitSeconds,
                                   double periodSeconds) {
    ElementRatios ratios;
    for (const int units : {1, 3}) {
        const ElementMetric metric(units, es, unitSeconds, periodSeconds);
        std::vector<double>& ratio = units == 1 ? ratios.dot : ratios.dash;
        for (std::size_t t = 0; t + static_cast<std::size_t>(units) <= y.size(); ++t) {
            ratio.push_back(metric.at(y, t));
        }
    }
    return ratios;
}

/// log I0(x) for x >= 0, from the polynomial approximations of I0 (relative error below
/// 2e-7): the library's Bessel function is too slow for every element of every frame.
double logBesselI0(double x) {
    if (x < 3.75) {
        const double t = (x / 3.75) * (x / 3.75);
        return std::log(
            1.0 + t * (3.5156229 +
                       t * (3.0899424 +
                            t * (1.2067492 + t * (0.2659732 + t * (0.0360768 + t * 0.0045813))))));
    }
    const double u = 3.75 / x;
    const double series =
        0.39894228 +
        u * (0.01328592 +
             u * (0.00225319 +
                  u * (-0.00157565 +
                       u * (0.00916281 +
                            u * (-0.02057706 +
                                 u * (0.02635537 + u * (-0.01647633 + u * 0.00392377)))))));
    return x - 0.5 * std::log(x) + std::log(series);
}

/// The ratios with each unit's gain `gains` known but for one phase per element, uniform
/// and unknown: log I0(2 sqrt(Es) |sum conj(g) y|) - Es sum |g|^2 over the element's units.
ElementRatios ratiosFromCourse(const std::vector<Complex>& y, double es,
                               const std::vector<Complex>& gains) {
    ElementRatios ratios;
    for (const std::size_t units : {std::size_t{1}, std::size_t{3}}) {
        std::vector<double>& ratio = units == 1 ? ratios.dot : ratios.dash;
        for (std::size_t t = 0; t + units <= y.size(); ++t) {
            Complex matched = 0.0;
            double power = 0.0;
            for (std::size_t u = t; u < t + units; ++u) {
                matched += std::conj(gains[u]) * y[u];
                power += std::norm(gains[u]);
            }
            ratio.push_back(logBesselI0(2.0 * std::sqrt(es) * std::abs(matched)) - es * power);
        }
    }
    return ratios;
}

/// score[t]: the sum of the element ratios of `shape` placed at unit t (for t + its
/// length within the units there are).
std::vector<double> characterScores(const Shape& shape, const ElementRatios& ratios) {
    const int fits = static_cast<int>(ratios.dot.size()) - shape.units + 1;
    std::vector<double> score(static_cast<std::size_t>(std::max(0, fits)), 0.0);
    for (std::size_t t = 0; t < score.size(); ++t) {
        for (const Element& e : shape.elements) {
            const std::vector<double>& ratio = e.units == 1 ? ratios.dot : ratios.dash;
            score[t] += ratio[t + static_cast<std::size_t>(e.offset)];
        }
    }
    return score;
}

/// Per slot, per character of its alphabet, the score of the character at each start unit.
using SlotScores = std::vector<std::vector<std::vector<double>>>;

SlotScores slotScores(const ElementRatios& ratios) {
    SlotScores scores;
    for (const Slot& slot : payloadSlots()) {
        auto& row = scores.emplace_back();
        for (const Shape& shape : slot.alphabet) {
            row.push_back(characterScores(shape, ratios));
        }
    }
    return scores;
}

/// Units from a character's start to the next one's.
std::size_t stepOf(const Slot& slot, const Shape& shape) {
    return static_cast<std::size_t>(shape.units) + static_cast<std::size_t>(slot.gapAfter);
}

/// The likeliest payload over every sequence of characters that starts at unit 0 and fits
/// in `places` - 1 units.
std::string viterbi(const SlotScores& scores, std::size_t places) {
    const std::vector<Slot>& slots = payloadSlots();
    std::vector<double> best(places, kImpossible);
    best[0] = 0.0;
    std::vector<std::vector<const Shape*>> chosen(slots.size(),
                                                  std::vector<const Shape*>(places, nullptr));
    for (std::size_t s = 0; s < slots.size(); ++s) {
        std::vector<double> next(places, kImpossible);
        for (std::size_t c = 0; c < slots[s].alphabet.size(); ++c) {
            const Shape& shape = slots[s].alphabet[c];
            const std::vector<double>& score = scores[s][c];
            const std::size_t step = stepOf(slots[s], shape);
            for (std::size_t t = 0; t < score.size() && t + step < places; ++t) {
                const double candidate = best[t] + score[t];
                if (best[t] != kImpossible && candidate > next[t + step]) {
                    next[t + step] = candidate;
                    chosen[s][t + step] = &shape;
                }
            }
        }
        best = std::move(next);
    }
    auto end = static_cast<std::size_t>(
        std::distance(best.begin(), std::max_element(best.begin(), best.end())));
    if (best[end] == kImpossible) {
        return std::string(slots.size(), '?'); // no payload fits in the units there are
    }
    std::string payload(slots.size(), '?');
    for (std::size_t s = slots.size(); s-- > 0;) {
        const Shape* shape = chosen[s][end];
        payload[s] = shape->symbol;
        end -= stepOf(slots[s], *shape);
    }
    return payload;
}

/// log(e^a + e^b).
double logSum(double a, double b) {
    const double high = std::max(a, b);
    return high == kImpossible ? kImpossible : high + std::log1p(std::exp(std::min(a, b) - high));
}

/// Each character of `payload`'s log odds against the others of its slot, over every
/// sequence of characters as viterbi() weighs them (forward-backward, in logs).
std::vector<double> oddsOf(const SlotScores& scores, std::size_t places,
                           const std::string& payload) {
    const std::vector<Slot>& slots = payloadSlots();
    // before[s][t]: the slots before s, slot s starting at unit t; after[s][t]: slot s and
    // those after it, from unit t.
    std::vector<std::vector<double>> before(slots.size() + 1,
                                            std::vector<double>(places, kImpossible));
    std::vector<std::vector<double>> after = before;
    before[0][0] = 0.0;
    after[slots.size()].assign(places, 0.0);
    const auto eachStart = [&](std::size_t s, const auto& visit) {
        for (std::size_t c = 0; c < slots[s].alphabet.size(); ++c) {
            const std::size_t step = stepOf(slots[s], slots[s].alphabet[c]);
            for (std::size_t t = 0; t < scores[s][c].size() && t + step < places; ++t) {
                visit(c, t, t + step, scores[s][c][t]);
            }
        }
    };
    for (std::size_t s = 0; s < slots.size(); ++s) {
        eachStart(s, [&](std::size_t, std::size_t t, std::size_t next, double score) {
            before[s + 1][next] = logSum(before[s + 1][next], before[s][t] + score);
        });
    }
    for (std::size_t s = slots.size(); s-- > 0;) {
        eachStart(s, [&](std::size_t, std::size_t t, std::size_t next, double score) {
            after[s][t] = logSum(after[s][t], score + after[s + 1][next]);
        });
    }
    std::vector<double> odds;
    for (std::size_t s = 0; s < slots.size(); ++s) {
        double it = kImpossible;
        double others = kImpossible;
        eachStart(s, [&](std::size_t c, std::size_t t, std::size_t next, double score) {
            double& sum = slots[s].alphabet[c].symbol == payload[s] ? it : others;
            sum = logSum(sum, before[s][t] + score + after[s + 1][next]);
        });
        odds.push_back(it - others);
    }
    return odds;
}

/// The step of kOddsStep that `odds` fall in.
std::size_t oddsStep(double odds) {
    const double step = std::floor(std::max(0.0, odds) / kOddsStep);
    return static_cast<std::size_t>(std::min(step, static_cast<double>(kOddsSteps - 1)));
}

double percent(long long part, long long whole) {
    return whole > 0 ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0;
}

} // namespace

void LimitErrors::add(const LimitErrors& other) {
    characters += other.characters;
    errors += other.errors;
    edits += other.edits;
    for (std::size_t k = 0; k < kOddsSteps; ++k) {
        rightByOdds[k] += other.rightByOdds[k];
        wrongByOdds[k] += other.wrongByOdds[k];
    }
}

double LimitErrors::percentErrors() const {
    return percent(errors, characters);
}

double LimitErrors::percentEdits() const {
    return percent(edits, characters);
}

double LimitErrors::percentErrorsWritingWrongAtMost(double wrongPercent) const {
    // Bound k writes the characters of steps k and above, those below are "?"; writing
    // none is always possible. Characters without odds are "?" at every bound.
    long long unread = characters;
    long long wrong = 0;
    for (std::size_t k = 0; k < kOddsSteps; ++k) {
        unread -= rightByOdds[k] + wrongByOdds[k];
        wrong += wrongByOdds[k];
    }
    double least = 100.0;
    for (std::size_t k = 0; k < kOddsSteps; ++k) {
        if (percent(wrong, characters) <= wrongPercent) {
            least = std::min(least, percent(unread + wrong, characters));
        }
        unread += rightByOdds[k] + wrongByOdds[k];
        wrong -= wrongByOdds[k];
    }
    return least;
}

std::vector<LimitReading> readPayloads(const std::vector<std::string>& keyedFrames,
                                       const keyer::SignalOptions& options,
                                       const keyer::KeyedRecording& recording, std::size_t count,
                                       FadingKnowledge knowledge) {
    // The noise is measured from the recording before each frame rather than worked out
    // from the keyer's level: the receiver needs no more of the keyer than its timing and
    // tone, and 1.5 s of noise give its power within about 1 %. Es per unit follows from
    // the SNR in 3 kHz: Es / N0 = SNR * 3000 Hz * unit.
    const double rate = options.sampleRate;
    const double seconds = keyer::recordingSeconds(keyedFrames, options);
    const std::vector<Complex> baseband = mixDown(recording.samples, options, seconds);
    // Unfaded: a gain constant over any element, the limit of ever slower fading.
    const double period = options.fading == keyer::Fading::Rayleigh
                              ? options.fadePeriodSeconds
                              : std::numeric_limits<double>::infinity();
    const keyer::BeaconSnr beacon(keyedFrames, options);
    std::vector<LimitReading> payloads;
    for (std::size_t f = 0; f < count; ++f) {
        const PayloadTiming payload = payloadTiming(options, recording, f);
        const double quietFrom =
            f > 0 ? recording.frameEndSeconds[f - 1] + options.edgeSeconds : 0.0;
        const double noise = noisePower(
            recording.samples, rate, std::max(quietFrom, recording.frameSeconds[f] - kQuietSeconds),
            recording.frameSeconds[f]);
        const double es = std::pow(10.0, keyer::snrDbAt(options, payload.startSeconds) / 10.0) *
                          kSnrBandHz * payload.unitSeconds;
        const std::vector<Complex> y = unitSums(baseband, rate, payload, noise);
        std::vector<Complex> gains;
        if (knowledge == FadingKnowledge::Course) {
            for (std::size_t u = 0; u < y.size(); ++u) {
                gains.push_back(beacon.fade(payload.startSeconds +
                                            (static_cast<double>(u) + 0.5) * payload.unitSeconds));
            }
        }
        const SlotScores scores =
            slotScores(knowledge == FadingKnowledge::Course
                           ? ratiosFromCourse(y, es, gains)
                           : ratiosFromStatistics(y, es, payload.unitSeconds, period));
        const std::size_t places = static_cast<std::size_t>(payload.units) + 1;
        LimitReading& reading = payloads.emplace_back();
        reading.payload = viterbi(scores, places);
        reading.odds = oddsOf(scores, places, reading.payload);
    }
    return payloads;
}

std::string payloadOf(std::string_view frame) {
    if (frame.substr(0, kPrefix.size()) != kPrefix) {
        throw std::invalid_argument("not a beacon frame");
    }
    std::string payload;
    for (const char c : frame.substr(kPrefix.size())) {
        if (c != ' ') {
            payload += c;
        }
    }
    return payload;
}

std::size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> previous(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        previous[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::vector<std::size_t> row(b.size() + 1);
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            row[j] = std::min({previous[j] + 1, row[j - 1] + 1,
                               previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
        }
        previous = std::move(row);
    }
    return previous[b.size()];
}

LimitErrors countErrors(const std::vector<std::string>& keyedFrames,
                        const std::vector<LimitReading>& read) {
    LimitErrors errors;
    for (std::size_t f = 0; f < read.size(); ++f) {
        const std::string truth = payloadOf(keyedFrames[f]);
        const std::string& payload = read[f].payload;
        errors.characters += static_cast<long long>(truth.size());
        for (std::size_t i = 0; i < truth.size(); ++i) {
            const bool right = i < payload.size() && payload[i] == truth[i];
            errors.errors += right ? 0 : 1;
            if (i < read[f].odds.size()) {
                auto& counts = right ? errors.rightByOdds : errors.wrongByOdds;
                ++counts[oddsStep(read[f].odds[i])];
            }
        }
        errors.edits += static_cast<long long>(editDistance(payload, truth));
    }
    return errors;
}

} // namespace orvinta::keyer
