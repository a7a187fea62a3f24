// SPDX-License-Identifier: GPL-3.0-or-later
#include "framedecoder.h"

#include "morse.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

namespace orvinta::cw {
namespace {

constexpr double kNone = -std::numeric_limits<double>::infinity();
constexpr int kPayloadSlots = 26;
/// Slots 0 and 1 hold the block digit and the status; the channel characters follow.
constexpr std::size_t kFirstChannelSlot = 2;
/// Units around a unit over which the signal and noise levels are averaged.
constexpr int kLevelReach = 40;
/// Relative steps of the unit length tried when timing a whole frame, and the range and
/// step tried the second time.
constexpr double kUnitTimingStep = 0.0005;
constexpr double kFinalUnitTolerance = 0.002;
constexpr double kFinalUnitTimingStep = 0.0005;
/// Log prior of a character the beacon seldom sends in its place: a status other than
/// "O", a channel digit other than the cut numbers' "4" and "6".
constexpr double kRarePrior = -3.0;
/// Arguments below which the Bessel function is summed as a power series.
constexpr double kBesselSeriesLimit = 30.0;
/// Log-likelihood ratio by which one of a character's elements must be up, or its gaps
/// down, for it to count as not heard.
constexpr double kUnheardEvidence = 6;
/// Fewest key-down or gap units a local level estimate rests on.
constexpr double kFewestUnits = 8.0;

/// What a payload slot may hold and the gap after it.
struct Slot {
    std::vector<CharacterKeying> characters;
    int gapAfter = 0;
    /// Log prior of each character: 0 for the usual ones, less for the rare ones.
    std::vector<double> prior;
};

/// The log prior of each of `characters`: 0 for those in `usual`, kRarePrior for others.
std::vector<double> priors(std::string_view characters, std::string_view usual) {
    std::vector<double> result;
    for (const char c : characters) {
        result.push_back(usual.find(c) == std::string_view::npos ? kRarePrior : 0.0);
    }
    return result;
}

std::vector<CharacterKeying> keyings(std::string_view characters) {
    std::vector<CharacterKeying> result;
    for (const char c : characters) {
        result.push_back(characterKeying(c));
    }
    return result;
}

/// Block digit, status letter, then eight groups of three channel characters (cut
/// numbers or plain digits; "4" and "6" are keyed as digits either way).
const std::array<Slot, kPayloadSlots>& slots() {
    static const std::array<Slot, kPayloadSlots> table = [] {
        std::array<Slot, kPayloadSlots> s{};
        constexpr std::string_view kDigits = "0123456789";
        constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
        constexpr std::string_view kChannel = "AUVEBDNT0123456789";
        s[0] = {keyings(kDigits), kCharacterGapUnits, priors(kDigits, kDigits)};
        s[1] = {keyings(kLetters), kWordGapUnits, priors(kLetters, "O")};
        const std::vector<CharacterKeying> channel = keyings(kChannel);
        const std::vector<double> channelPrior = priors(kChannel, "AUVEBDNT46");
        for (int k = 2; k < kPayloadSlots; ++k) {
            const bool lastOfGroup = (k - 2) % 3 == 2;
            s[static_cast<std::size_t>(k)] = {channel,
                                              k == kPayloadSlots - 1 ? 0
                                              : lastOfGroup          ? kWordGapUnits
                                                                     : kCharacterGapUnits,
                                              channelPrior};
        }
        return s;
    }();
    return table;
}

/// Unit energies of a frame: energy[u] of unit u, valid[u] false past the data.
struct UnitEnergies {
    std::vector<std::complex<double>> sum;
    std::vector<double> energy;
    std::vector<bool> valid;
};

UnitEnergies unitEnergies(const CumulativeBaseband& sums, double start, double unitSamples,
                          int units) {
    UnitEnergies result;
    result.sum.assign(static_cast<std::size_t>(units), {});
    result.energy.assign(static_cast<std::size_t>(units), 0.0);
    result.valid.assign(static_cast<std::size_t>(units), false);
    const double last = static_cast<double>(sums.size() - 1);
    // Unit boundaries fall between samples: the running sum is interpolated there.
    const auto sumAt = [&](double t) {
        const double whole = std::floor(t);
        const auto i = static_cast<std::size_t>(whole);
        const double part = t - whole;
        return part == 0.0 ? sums[i] : sums[i] + part * (sums[i + 1] - sums[i]);
    };
    for (int u = 0; u < units; ++u) {
        const double a = start + u * unitSamples;
        const double b = start + (u + 1) * unitSamples;
        if (a < 0.0 || b > last) {
            continue;
        }
        const auto i = static_cast<std::size_t>(u);
        result.sum[i] = sumAt(b) - sumAt(a);
        result.energy[i] = std::norm(result.sum[i]);
        result.valid[i] = true;
    }
    return result;
}

/// Signal and noise energy per unit, for each unit.
struct Levels {
    std::vector<double> signal;
    std::vector<double> noise;
};

/// Levels averaged over key-down and gap units near each unit; `state` gives the key
/// state taken for each unit (1 down, 0 up, -1 unknown).
Levels localLevels(const UnitEnergies& units, const std::vector<int>& state) {
    const std::size_t n = units.energy.size();
    std::vector<double> onSum(n + 1, 0.0), onCount(n + 1, 0.0), offSum(n + 1, 0.0),
        offCount(n + 1, 0.0);
    for (std::size_t u = 0; u < n; ++u) {
        const bool use = units.valid[u];
        onSum[u + 1] = onSum[u] + (use && state[u] == 1 ? units.energy[u] : 0.0);
        onCount[u + 1] = onCount[u] + (use && state[u] == 1 ? 1.0 : 0.0);
        offSum[u + 1] = offSum[u] + (use && state[u] == 0 ? units.energy[u] : 0.0);
        offCount[u + 1] = offCount[u] + (use && state[u] == 0 ? 1.0 : 0.0);
    }
    const double globalNoise = offCount[n] > 0.0 ? offSum[n] / offCount[n] : 1.0;
    const double globalOn = onCount[n] > 0.0 ? onSum[n] / onCount[n] : 2.0 * globalNoise;
    Levels levels;
    levels.signal.resize(n);
    levels.noise.resize(n);
    for (std::size_t u = 0; u < n; ++u) {
        // Widen the window until it holds enough units of each kind.
        double noise = globalNoise;
        double on = globalOn;
        for (std::size_t reach = kLevelReach; reach <= 4 * kLevelReach; reach *= 2) {
            const std::size_t a = u > reach ? u - reach : 0;
            const std::size_t b = std::min(n, u + reach + 1);
            if (offCount[b] - offCount[a] >= kFewestUnits &&
                onCount[b] - onCount[a] >= kFewestUnits) {
                noise = (offSum[b] - offSum[a]) / (offCount[b] - offCount[a]);
                on = (onSum[b] - onSum[a]) / (onCount[b] - onCount[a]);
                break;
            }
        }
        noise = std::max(noise, 1e-30);
        levels.noise[u] = noise;
        levels.signal[u] = std::max(on - noise, 0.05 * noise);
    }
    return levels;
}

/// Log-likelihood ratios key down against key up of a dot (one unit) and of a dash
/// (three units) starting at each unit. A unit's phase is taken as unknown: the carrier's
/// phase drifts too much, with the tone's residual offset, to be relied on from unit to unit.
struct Likelihoods {
    std::vector<double> dot;
    std::vector<double> dash;
};

Likelihoods likelihoods(const UnitEnergies& units, const Levels& levels) {
    const std::size_t n = units.energy.size();
    Likelihoods result{std::vector<double>(n, 0.0), std::vector<double>(n, 0.0)};
    for (std::size_t u = 0; u < n; ++u) {
        if (units.valid[u]) {
            const double s = levels.signal[u];
            const double noise = levels.noise[u];
            result.dot[u] = logBesselI0(2.0 * std::sqrt(units.energy[u] * s) / noise) - s / noise;
        }
    }
    for (std::size_t u = 0; u + 2 < n; ++u) {
        result.dash[u] = result.dot[u] + result.dot[u + 1] + result.dot[u + 2];
    }
    return result;
}

/// The most likely payload and each character's margin over its best alternative.
struct PayloadPath {
    std::string characters;
    std::vector<double> margins;
    /// Whether the signal shows each character as read: its key-down units not clearly
    /// up, its gaps not clearly down (as where the signal drops out or a burst covers it).
    std::vector<bool> heard;
    std::vector<int> keyState; ///< per unit from the payload's start
    int end = 0;               ///< unit after the last key-down unit, from the payload's start
};

PayloadPath bestPayload(const Likelihoods& ratio, int payloadStart, int units) {
    const auto& table = slots();
    const int span = units - payloadStart;
    const auto width = static_cast<std::size_t>(span + 1);
    // Summed likelihood ratios (and prior) of every character at every start, looked
    // up by the character's place in its slot; the channel slots share the table of the
    // first channel slot.
    std::vector<std::vector<std::vector<double>>> metrics(kPayloadSlots);
    for (std::size_t k = 0; k < kPayloadSlots; ++k) {
        if (k > kFirstChannelSlot) {
            continue;
        }
        auto& perCharacter = metrics[k];
        for (const CharacterKeying& c : table[k].characters) {
            std::vector<double> row(width, 0.0);
            for (int p = 0; p + c.length <= span; ++p) {
                double sum = 0.0;
                for (const int u : c.dots) {
                    sum += ratio.dot[static_cast<std::size_t>(payloadStart + p + u)];
                }
                for (const int u : c.dashes) {
                    sum += ratio.dash[static_cast<std::size_t>(payloadStart + p + u)];
                }
                row[static_cast<std::size_t>(p)] =
                    sum + table[k].prior[static_cast<std::size_t>(&c - table[k].characters.data())];
            }
            perCharacter.push_back(std::move(row));
        }
    }
    // The slot whose characters `metric` is asked about.
    std::size_t slot = 0;
    const auto metric = [&](const CharacterKeying& c, int p) {
        const auto& rows = metrics[std::min(slot, kFirstChannelSlot)];
        const auto index = static_cast<std::size_t>(&c - table[slot].characters.data());
        return rows[index][static_cast<std::size_t>(p)];
    };

    std::vector<std::vector<double>> forward(kPayloadSlots + 1, std::vector<double>(width, kNone));
    std::vector<std::vector<double>> backward(kPayloadSlots + 1, std::vector<double>(width, kNone));
    forward[0][0] = 0.0;
    for (std::size_t k = 0; k < kPayloadSlots; ++k) {
        slot = k;
        for (int p = 0; p <= span; ++p) {
            const double here = forward[k][static_cast<std::size_t>(p)];
            if (here == kNone) {
                continue;
            }
            for (const CharacterKeying& c : table[k].characters) {
                const int q = p + c.length + table[k].gapAfter;
                if (q > span) {
                    continue;
                }
                double& next = forward[k + 1][static_cast<std::size_t>(q)];
                next = std::max(next, here + metric(c, p));
            }
        }
    }
    std::fill(backward[kPayloadSlots].begin(), backward[kPayloadSlots].end(), 0.0);
    for (std::size_t k = kPayloadSlots; k-- > 0;) {
        slot = k;
        for (int p = 0; p <= span; ++p) {
            double best = kNone;
            for (const CharacterKeying& c : table[k].characters) {
                const int q = p + c.length + table[k].gapAfter;
                if (q > span || backward[k + 1][static_cast<std::size_t>(q)] == kNone) {
                    continue;
                }
                best = std::max(best, metric(c, p) + backward[k + 1][static_cast<std::size_t>(q)]);
            }
            backward[k][static_cast<std::size_t>(p)] = best;
        }
    }

    // Per slot: the best complete path through each character; the path's character
    // is the best of these, its margin the distance to the runner-up.
    PayloadPath path;
    int p = 0;
    for (std::size_t k = 0; k < kPayloadSlots; ++k) {
        slot = k;
        double best = kNone;
        double second = kNone;
        char chosen = '?';
        for (const CharacterKeying& c : table[k].characters) {
            double through = kNone;
            for (int s = 0; s <= span; ++s) {
                const double f = forward[k][static_cast<std::size_t>(s)];
                const int q = s + c.length + table[k].gapAfter;
                if (f == kNone || q > span ||
                    backward[k + 1][static_cast<std::size_t>(q)] == kNone) {
                    continue;
                }
                through = std::max(through,
                                   f + metric(c, s) + backward[k + 1][static_cast<std::size_t>(q)]);
            }
            if (through > best) {
                second = best;
                best = through;
                chosen = c.character;
            } else if (through > second) {
                second = through;
            }
        }
        path.characters.push_back(chosen);
        path.margins.push_back(best - second);
        (void)p;
    }

    // Trace the best path itself for the key states.
    path.keyState.assign(static_cast<std::size_t>(span), 0);
    p = 0;
    for (std::size_t k = 0; k < kPayloadSlots; ++k) {
        slot = k;
        const double target = backward[k][static_cast<std::size_t>(p)];
        for (const CharacterKeying& c : table[k].characters) {
            const int q = p + c.length + table[k].gapAfter;
            if (q > span || backward[k + 1][static_cast<std::size_t>(q)] == kNone) {
                continue;
            }
            if (metric(c, p) + backward[k + 1][static_cast<std::size_t>(q)] >= target - 1e-9) {
                // Every element must show, and the gaps in and after the character
                // must not together look keyed.
                const auto at = [&](int u) {
                    return static_cast<std::size_t>(payloadStart + p + u);
                };
                bool heard = true;
                for (const int u : c.dots) {
                    heard = heard && ratio.dot[at(u)] > -kUnheardEvidence;
                }
                for (const int u : c.dashes) {
                    heard = heard && ratio.dash[at(u)] > -kUnheardEvidence;
                }
                double up = 0.0;
                const int gapEnd =
                    std::min(span, q == p + c.length ? q + kCharacterGapUnits : q) - p;
                for (int u = 0; u < gapEnd; ++u) {
                    if (std::find(c.onUnits.begin(), c.onUnits.end(), u) == c.onUnits.end()) {
                        up += ratio.dot[at(u)];
                    }
                }
                path.heard.push_back(heard && up < kUnheardEvidence);
                for (const int u : c.onUnits) {
                    path.keyState[static_cast<std::size_t>(p + u)] = 1;
                }
                path.end = p + c.length;
                p = q;
                break;
            }
        }
    }
    return path;
}

/// Key states of the whole frame from a payload path: prefix as keyed, payload as read,
/// silence for one word gap after it, unknown beyond.
std::vector<int> frameKeyState(const PayloadPath& path, int units) {
    const FrameLayout& layout = FrameLayout::instance();
    std::vector<int> state(static_cast<std::size_t>(units), -1);
    const auto& prefix = layout.prefixUnits();
    for (std::size_t u = 0; u < prefix.size(); ++u) {
        state[u] = prefix[u] ? 1 : 0;
    }
    const int quietEnd = std::min(units, layout.payloadStart() + path.end + kWordGapUnits);
    for (int u = layout.payloadStart(); u < quietEnd; ++u) {
        const int p = u - layout.payloadStart();
        state[static_cast<std::size_t>(u)] = p < static_cast<int>(path.keyState.size())
                                                 ? path.keyState[static_cast<std::size_t>(p)]
                                                 : 0;
    }
    return state;
}

/// Correlation of unit energies with given key states (units of unknown state left out).
double keyCorrelation(const UnitEnergies& units, const std::vector<int>& state) {
    double n = 0.0, on = 0.0, onCount = 0.0, sum = 0.0, squares = 0.0;
    for (std::size_t u = 0; u < state.size(); ++u) {
        if (!units.valid[u] || state[u] < 0) {
            continue;
        }
        const double e = units.energy[u];
        n += 1.0;
        sum += e;
        squares += e * e;
        if (state[u] == 1) {
            on += e;
            onCount += 1.0;
        }
    }
    if (n == 0.0 || onCount == 0.0 || onCount == n) {
        return 0.0;
    }
    const double p = onCount / n;
    const double mean = sum / n;
    const double variance = squares / n - mean * mean;
    return variance > 0.0 ? (on / n - p * mean) / std::sqrt(variance * p * (1.0 - p)) : 0.0;
}

} // namespace

const FrameLayout& FrameLayout::instance() {
    static const FrameLayout layout;
    return layout;
}

FrameLayout::FrameLayout() {
    prefixUnits_.assign(kWordGapUnits, false);
    const std::vector<bool> prefix = keyUnits(kFramePrefix);
    prefixUnits_.insert(prefixUnits_.end(), prefix.begin(), prefix.end());
    prefixUnits_.insert(prefixUnits_.end(), kWordGapUnits, false);
    for (const Slot& slot : slots()) {
        int longest = 0;
        int shortest = std::numeric_limits<int>::max();
        for (const CharacterKeying& c : slot.characters) {
            longest = std::max(longest, c.length);
            shortest = std::min(shortest, c.length);
        }
        longestPayload_ += longest + slot.gapAfter;
        shortestPayload_ += shortest + slot.gapAfter;
    }
}

double logBesselI0(double x) {
    x = std::abs(x);
    if (x < kBesselSeriesLimit) {
        // Power series: sum of ((x/2)^k / k!)^2.
        const double q = 0.25 * x * x;
        double term = 1.0;
        double sum = 1.0;
        for (int k = 1; k < 200; ++k) {
            term *= q / (static_cast<double>(k) * static_cast<double>(k));
            sum += term;
            if (term < 1e-17 * sum) {
                break;
            }
        }
        return std::log(sum);
    }
    // Asymptotic expansion: e^x / sqrt(2 pi x) times the sum of
    // ((2k-1)!!)^2 / (k! (8x)^k).
    double term = 1.0;
    double series = 1.0;
    for (int k = 1; k < 12; ++k) {
        const double odd = 2.0 * k - 1.0;
        term *= odd * odd / (static_cast<double>(k) * 8.0 * x);
        series += term;
        if (term < 1e-17) {
            break;
        }
    }
    return x - 0.5 * std::log(2.0 * std::numbers::pi * x) + std::log(series);
}

FrameReading readFrame(const CumulativeBaseband& sums, double rate, double start,
                       double unitSamples, int units, double unitTolerance, double minimumMargin,
                       double giveUpBelow) {
    const FrameLayout& layout = FrameLayout::instance();
    units = std::clamp(units, layout.payloadStart() + layout.shortestPayload(),
                       layout.longestFrame() + kWordGapUnits);
    const int payloadStart = layout.payloadStart();

    // First reading with levels learnt on the prefix alone.
    std::vector<int> state(static_cast<std::size_t>(units), -1);
    for (std::size_t u = 0; u < layout.prefixUnits().size(); ++u) {
        state[u] = layout.prefixUnits()[u] ? 1 : 0;
    }
    UnitEnergies energies = unitEnergies(sums, start, unitSamples, units);
    PayloadPath path =
        bestPayload(likelihoods(energies, localLevels(energies, state)), payloadStart, units);

    // Fine timing over the whole frame as read so far, then a new reading with levels
    // followed through the frame along the previous one; twice, the second time
    // around the first's timing only.
    double bestStart = start;
    double bestUnit = unitSamples;
    if (keyCorrelation(energies, frameKeyState(path, units)) < giveUpBelow) {
        FrameReading hopeless;
        hopeless.match = keyCorrelation(energies, frameKeyState(path, units));
        return hopeless;
    }
    struct TimingPass {
        double tolerance; ///< relative range of unit lengths tried
        double step;      ///< relative step between them
    };
    for (const TimingPass pass : {TimingPass{unitTolerance, kUnitTimingStep},
                                  TimingPass{kFinalUnitTolerance, kFinalUnitTimingStep}}) {
        state = frameKeyState(path, units);
        const double fromStart = bestStart;
        const double fromUnit = bestUnit;
        double bestMatch = keyCorrelation(energies, state);
        const int steps = static_cast<int>(std::ceil(pass.tolerance / pass.step));
        for (int i = -steps; i <= steps; ++i) {
            const double unit = fromUnit * (1.0 + pass.step * i);
            for (int shift = -2; shift <= 2; ++shift) {
                const double s = fromStart + shift;
                const double c = keyCorrelation(unitEnergies(sums, s, unit, units), state);
                if (c > bestMatch) {
                    bestMatch = c;
                    bestStart = s;
                    bestUnit = unit;
                }
            }
        }
        energies = unitEnergies(sums, bestStart, bestUnit, units);
        path =
            bestPayload(likelihoods(energies, localLevels(energies, state)), payloadStart, units);
    }
    state = frameKeyState(path, units);
    const Levels finalLevels = localLevels(energies, state);

    FrameReading reading;
    reading.text = kFramePrefix;
    for (std::size_t k = 0; k < path.characters.size(); ++k) {
        const bool heard = k < path.heard.size() && path.heard[k];
        const char c = heard && path.margins[k] >= minimumMargin ? path.characters[k] : '?';
        reading.unreadable += c == '?' ? 1U : 0U;
        reading.text += c;
        if (k == 1 || (k >= 4 && (k - 2) % 3 == 2 && k + 1 < path.characters.size())) {
            reading.text += ' ';
        }
    }
    reading.unitSamples = bestUnit;
    reading.match = keyCorrelation(energies, state);
    reading.firstUnitSample = bestStart + kWordGapUnits * bestUnit;
    reading.endSample = bestStart + (payloadStart + path.end) * bestUnit;

    double signal = 0.0;
    double noise = 0.0;
    for (std::size_t u = 0; u < state.size(); ++u) {
        if (state[u] == 1 && energies.valid[u]) {
            signal += finalLevels.signal[u];
            noise += finalLevels.noise[u];
        }
    }
    const double seconds = bestUnit / rate;
    reading.snrDb = noise > 0.0 ? 10.0 * std::log10(signal / noise / (3000.0 * seconds)) : 0.0;
    return reading;
}

} // namespace orvinta::cw
