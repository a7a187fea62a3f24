// SPDX-License-Identifier: GPL-3.0-or-later
#include "limitreceiver.h"

#include "morsechart.h"

#include "cw/model/likelihood.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <optional>
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

/// Units from a character's start to the next one's.
std::size_t stepOf(const Slot& slot, const Shape& shape) {
    return static_cast<std::size_t>(shape.units) + static_cast<std::size_t>(slot.gapAfter);
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

/// The likelihood ratio against key up of a dot and of a dash starting at each unit.
struct ElementRatios {
    std::vector<double> dot;
    std::vector<double> dash;
};

/// A square matrix of `size` rows, row by row.
struct Matrix {
    std::size_t size = 0;
    std::vector<double> at;
};

/// X with A X = B for a positive definite A (no pivoting needed), B of `columns` columns
/// row by row, and log det A.
struct Solution {
    std::vector<double> x;
    double logDet = 0.0;
};

Solution solve(Matrix a, std::vector<double> b, std::size_t columns) {
    const std::size_t n = a.size;
    Solution solution;
    for (std::size_t k = 0; k < n; ++k) {
        const double pivot = a.at[k * n + k];
        solution.logDet += std::log(pivot);
        for (std::size_t j = 0; j < n; ++j) {
            a.at[k * n + j] /= pivot;
        }
        for (std::size_t c = 0; c < columns; ++c) {
            b[k * columns + c] /= pivot;
        }
        for (std::size_t i = 0; i < n; ++i) {
            const double factor = i == k ? 0.0 : a.at[i * n + k];
            if (factor == 0.0) {
                continue;
            }
            for (std::size_t j = 0; j < n; ++j) {
                a.at[i * n + j] -= factor * a.at[k * n + j];
            }
            for (std::size_t c = 0; c < columns; ++c) {
                b[i * columns + c] -= factor * b[k * columns + c];
            }
        }
    }
    solution.x = std::move(b);
    return solution;
}

/// The correlation of the fading's gain over lags of 0, 1, 2 ... units: J0(2 pi lag T / P).
class GainCorrelation {
public:
    GainCorrelation(std::size_t longestLag, double unitSeconds, double periodSeconds) {
        for (std::size_t lag = 0; lag <= longestLag; ++lag) {
            m_byLag.push_back(std::cyl_bessel_j(0.0, 2.0 * std::numbers::pi *
                                                         static_cast<double>(lag) * unitSeconds /
                                                         periodSeconds));
        }
    }
    double between(std::size_t a, std::size_t b) const { return m_byLag[a > b ? a - b : b - a]; }

private:
    std::vector<double> m_byLag;
};

/// What the receiver holds of an element's gain g before it looks at the element: a
/// Gaussian of mean `mean` and covariance `covariance` over its units.
struct GainBelief {
    std::vector<Complex> mean;
    Matrix covariance;
};

/// The unit sums y of an element with the gain of a belief: y ~ CN(sqrt(Es) mean, M),
/// M = Es covariance + I, kept as M^-1 and log det M.
struct ElementLikelihood {
    std::vector<Complex> mean; ///< sqrt(Es) times the gain's
    std::vector<double> inverse;
    double logDet = 0.0;
};

ElementLikelihood likelihoodOf(const GainBelief& belief, double es) {
    const std::size_t n = belief.covariance.size;
    Matrix m{n, std::vector<double>(n * n)};
    std::vector<double> identity(n * n, 0.0);
    for (std::size_t i = 0; i < n * n; ++i) {
        const bool diagonal = i % (n + 1) == 0;
        m.at[i] = es * belief.covariance.at[i] + (diagonal ? 1.0 : 0.0);
        identity[i] = diagonal ? 1.0 : 0.0;
    }
    Solution inverse = solve(m, identity, n);
    ElementLikelihood likelihood{belief.mean, std::move(inverse.x), inverse.logDet};
    for (Complex& mean : likelihood.mean) {
        mean *= std::sqrt(es);
    }
    return likelihood;
}

/// The likelihood ratio of the element whose units start at `first` against key up
/// (y ~ CN(0, I)), in logs: |y|^2 - d^H M^-1 d - log det M, d = y - the mean.
double elementRatio(const std::vector<Complex>& y, std::size_t first,
                    const ElementLikelihood& likelihood) {
    const std::size_t n = likelihood.mean.size();
    double ratio = -likelihood.logDet;
    std::array<Complex, 3> d{}; // a dash is the longest element
    for (std::size_t i = 0; i < n; ++i) {
        d[i] = y[first + i] - likelihood.mean[i];
        ratio += std::norm(y[first + i]);
    }
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            ratio -= likelihood.inverse[i * n + j] * (std::conj(d[i]) * d[j]).real();
        }
    }
    return ratio;
}

/// The gain over `units` units known only by its statistics: mean 0, covariance R_ij =
/// J0(2 pi (i - j) T / P).
GainBelief statisticsOnly(std::size_t units, const GainCorrelation& correlation) {
    GainBelief belief{std::vector<Complex>(units, 0.0),
                      Matrix{units, std::vector<double>(units * units)}};
    for (std::size_t i = 0; i < units; ++i) {
        for (std::size_t j = 0; j < units; ++j) {
            belief.covariance.at[i * units + j] = correlation.between(i, j);
        }
    }
    return belief;
}

/// The ratios of a dot and of a dash at every place among `units` units:
/// ratioOf(element's units, its first unit).
template <typename RatioOf> ElementRatios eachElement(std::size_t units, const RatioOf& ratioOf) {
    ElementRatios ratios;
    for (std::size_t t = 0; t + 1 <= units; ++t) {
        ratios.dot.push_back(ratioOf(std::size_t{1}, t));
    }
    for (std::size_t t = 0; t + 3 <= units; ++t) {
        ratios.dash.push_back(ratioOf(std::size_t{3}, t));
    }
    return ratios;
}

/// The ratios with the gain over each element known only by its statistics.
ElementRatios ratiosFromStatistics(const std::vector<Complex>& y, double es, double unitSeconds,
                                   double periodSeconds) {
    const auto likelihood = [&](std::size_t units) {
        return likelihoodOf(
            statisticsOnly(units, GainCorrelation(units, unitSeconds, periodSeconds)), es);
    };
    const ElementLikelihood dot = likelihood(1);
    const ElementLikelihood dash = likelihood(3);
    return eachElement(y.size(), [&](std::size_t units, std::size_t first) {
        return elementRatio(y, first, units == 1 ? dot : dash);
    });
}

/// The units of a keyed payload: which are key down, and which character each belongs to
/// with the gap after it (-1 past the payload's end).
struct PayloadUnits {
    std::vector<bool> keyDown;
    std::vector<int> character;
};

PayloadUnits payloadUnits(const std::string& payload, std::size_t units) {
    PayloadUnits layout{std::vector<bool>(units, false), std::vector<int>(units, -1)};
    const std::vector<Slot>& slots = payloadSlots();
    std::size_t start = 0;
    for (std::size_t s = 0; s < slots.size() && s < payload.size(); ++s) {
        const Shape shape = shapeOf(payload[s]);
        for (const Element& e : shape.elements) {
            const auto from = start + static_cast<std::size_t>(e.offset);
            for (std::size_t u = from; u < from + static_cast<std::size_t>(e.units) && u < units;
                 ++u) {
                layout.keyDown[u] = true;
            }
        }
        const std::size_t span = stepOf(slots[s], shape);
        for (std::size_t u = start; u < start + span && u < units; ++u) {
            layout.character[u] = static_cast<int>(s);
        }
        start += span;
    }
    return layout;
}

/// The gain over `units` units from `first` on, given the unit sums of `marks` (key-down
/// units of the other characters): the Gaussian conditioned on them (linear MMSE).
GainBelief beliefFromMarks(const std::vector<Complex>& y, double es,
                           const GainCorrelation& correlation, std::size_t first, std::size_t units,
                           const std::vector<std::size_t>& marks) {
    GainBelief belief = statisticsOnly(units, correlation);
    const std::size_t m = marks.size();
    if (m == 0) {
        return belief;
    }
    // A unit sum carries the noise and, beside it, a gain that moves within the unit and
    // the marks' soft edges: a floor under its error keeps far marks from being trusted
    // too much when the noise is weak.
    constexpr double kModelErrorPower = 0.02;
    Matrix a{m, std::vector<double>(m * m)};
    std::vector<double> c(m * units);
    for (std::size_t i = 0; i < m; ++i) {
        for (std::size_t j = 0; j < m; ++j) {
            a.at[i * m + j] = correlation.between(marks[i], marks[j]) +
                              (i == j ? 1.0 / es + kModelErrorPower : 0.0);
        }
        for (std::size_t j = 0; j < units; ++j) {
            c[i * units + j] = correlation.between(marks[i], first + j);
        }
    }
    const std::vector<double> weights = solve(a, c, units).x;
    for (std::size_t j = 0; j < units; ++j) {
        for (std::size_t i = 0; i < m; ++i) {
            belief.mean[j] += weights[i * units + j] * y[marks[i]] / std::sqrt(es);
        }
        for (std::size_t l = 0; l < units; ++l) {
            double known = 0.0;
            for (std::size_t i = 0; i < m; ++i) {
                known += c[i * units + j] * weights[i * units + l];
            }
            belief.covariance.at[j * units + l] -= known;
        }
    }
    return belief;
}

/// The ratios with the gain over each element known from the marks of the other
/// characters of `payload` within kNeighbourUnits to either side.
ElementRatios ratiosFromNeighbours(const std::vector<Complex>& y, double es, double unitSeconds,
                                   double periodSeconds, const std::string& payload) {
    const PayloadUnits layout = payloadUnits(payload, y.size());
    const GainCorrelation correlation(2 * kNeighbourUnits + 3, unitSeconds, periodSeconds);
    return eachElement(y.size(), [&](std::size_t units, std::size_t first) {
        const int own = layout.character[first];
        std::vector<std::size_t> marks;
        const std::size_t from = first >= kNeighbourUnits ? first - kNeighbourUnits : 0;
        for (std::size_t k = from; k < y.size() && k < first + units + kNeighbourUnits; ++k) {
            const bool inElement = k >= first && k < first + units;
            if (layout.keyDown[k] && !inElement && (own < 0 || layout.character[k] != own)) {
                marks.push_back(k);
            }
        }
        return elementRatio(
            y, first, likelihoodOf(beliefFromMarks(y, es, correlation, first, units, marks), es));
    });
}

/// The ratios with each unit's gain `gains` known but for one phase per element, uniform
/// and unknown: log I0(2 sqrt(Es) |sum conj(g) y|) - Es sum |g|^2 over the element's units.
ElementRatios ratiosFromCourse(const std::vector<Complex>& y, double es,
                               const std::vector<Complex>& gains) {
    return eachElement(y.size(), [&](std::size_t units, std::size_t first) {
        Complex matched = 0.0;
        double power = 0.0;
        for (std::size_t u = first; u < first + units; ++u) {
            matched += std::conj(gains[u]) * y[u];
            power += std::norm(gains[u]);
        }
        return cw::logBesselI0(2.0 * std::sqrt(es) * std::abs(matched)) - es * power;
    });
}

/// The fading's gain at the middle of each of the payload's first `units` units.
std::vector<Complex> gainsOfUnits(const keyer::BeaconSnr& beacon, const PayloadTiming& payload,
                                  std::size_t units) {
    std::vector<Complex> gains;
    for (std::size_t u = 0; u < units; ++u) {
        gains.push_back(beacon.fade(payload.startSeconds +
                                    (static_cast<double>(u) + 0.5) * payload.unitSeconds));
    }
    return gains;
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
    // The fading's course is worked out only for the receiver told it.
    std::optional<keyer::BeaconSnr> beacon;
    if (knowledge == FadingKnowledge::Course) {
        beacon.emplace(keyedFrames, options);
    }
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
        const SlotScores scores =
            slotScores(beacon ? ratiosFromCourse(y, es, gainsOfUnits(*beacon, payload, y.size()))
                       : knowledge == FadingKnowledge::Neighbours
                           ? ratiosFromNeighbours(y, es, payload.unitSeconds, period,
                                                  payloadOf(keyedFrames[f]))
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
