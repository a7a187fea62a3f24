// SPDX-License-Identifier: GPL-3.0-or-later
#include "trellis.h"

#include <algorithm>
#include <limits>
#include <cstdio>
#include <cstdlib>

namespace orvinta::cw {
namespace {

constexpr double kNone = -std::numeric_limits<double>::infinity();
/// Two scores this close count as the same path when it is traced.
constexpr double kSamePath = 1e-9;

/// A grid of values per slot and tick.
using Grid = std::vector<std::vector<double>>;

Grid makeGrid(std::size_t slots, std::size_t ticks) {
    return Grid(slots, std::vector<double>(ticks, kNone));
}

/// Scores of every character of every slot at every tick, prior included; kNone where
/// the character would end past the last tick allowed.
class Scores {
public:
    Scores(const PayloadEvidence& evidence, const PayloadShape& shape)
        : ticks_(evidence.dot.size()) {
        const auto& slots = FrameLayout::instance().slots();
        table_.resize(shape.slots);
        for (std::size_t k = 0; k < shape.slots; ++k) {
            // Slots with the same characters and priors share their scores.
            if (k > 0 && slots[k].characters.size() == slots[k - 1].characters.size() &&
                slots[k].prior == slots[k - 1].prior &&
                slots[k].characters.front().character == slots[k - 1].characters.front().character) {
                table_[k] = table_[k - 1];
                continue;
            }
            table_[k].reserve(slots[k].characters.size());
            for (std::size_t c = 0; c < slots[k].characters.size(); ++c) {
                table_[k].push_back(characterScores(evidence, slots[k].characters[c],
                                                    slots[k].prior[c], shape.lastEnd));
            }
        }
    }

    double at(std::size_t k, std::size_t c, std::size_t tick) const { return table_[k][c][tick]; }
    std::size_t ticks() const { return ticks_; }

private:
    static std::vector<double> characterScores(const PayloadEvidence& evidence,
                                               const CharacterKeying& c, double prior,
                                               int lastEnd) {
        std::vector<double> scores(evidence.dot.size(), kNone);
        const int length = kTicksPerUnit * c.length;
        for (int p = 0; p + length <= lastEnd && p + length <= static_cast<int>(scores.size());
             ++p) {
            double sum = prior;
            for (const int u : c.dots) {
                sum += evidence.dot[static_cast<std::size_t>(p + kTicksPerUnit * u)];
            }
            for (const int u : c.dashes) {
                sum += evidence.dash[static_cast<std::size_t>(p + kTicksPerUnit * u)];
            }
            scores[static_cast<std::size_t>(p)] = sum;
        }
        return scores;
    }

    std::size_t ticks_;
    std::vector<std::vector<std::vector<double>>> table_;
};

std::size_t lengthOf(const CharacterKeying& c) {
    return static_cast<std::size_t>(kTicksPerUnit * c.length);
}

int gapAfter(const PayloadShape& shape, std::size_t k) {
    return FrameLayout::instance().slots()[k].wordGapAfter ? shape.wordGap : shape.characterGap;
}

/// The best of `values` over [from, from + 2 * slack], kNone outside.
double bestAround(const std::vector<double>& values, long from, int slack) {
    double best = kNone;
    for (long t = std::max(0L, from); t <= from + 2L * slack; ++t) {
        if (t < static_cast<long>(values.size())) {
            best = std::max(best, values[static_cast<std::size_t>(t)]);
        }
    }
    return best;
}

/// The forward pass: forward[k][t] is the best score of the slots before k with slot k
/// starting at tick t.
Grid forwardPass(const Scores& scores, const PayloadShape& shape) {
    const auto& slots = FrameLayout::instance().slots();
    const std::size_t ticks = scores.ticks();
    Grid forward = makeGrid(shape.slots, ticks);
    for (int t = std::max(0, shape.firstFrom); t <= shape.firstTo && t < static_cast<int>(ticks);
         ++t) {
        forward[0][static_cast<std::size_t>(t)] = 0.0;
    }
    // ends[t]: the best score up to slot k with its character ending (nominally) at t.
    std::vector<double> ends(ticks);
    for (std::size_t k = 0; k + 1 < shape.slots; ++k) {
        std::fill(ends.begin(), ends.end(), kNone);
        for (std::size_t t = 0; t < ticks; ++t) {
            const double here = forward[k][t];
            if (here == kNone) {
                continue;
            }
            for (std::size_t c = 0; c < slots[k].characters.size(); ++c) {
                const double s = scores.at(k, c, t);
                const std::size_t end = t + lengthOf(slots[k].characters[c]);
                if (s != kNone && end < ticks) {
                    ends[end] = std::max(ends[end], here + s);
                }
            }
        }
        const int gap = gapAfter(shape, k);
        for (std::size_t t = 0; t < ticks; ++t) {
            forward[k + 1][t] = bestAround(ends, static_cast<long>(t) - gap - shape.slack, shape.slack);
        }
    }
    return forward;
}

/// The backward pass: after[k][t] is the best score of the slots after k when slot k's
/// character ends (nominally) at tick t; the last slot may end anywhere.
Grid backwardPass(const Scores& scores, const PayloadShape& shape) {
    const auto& slots = FrameLayout::instance().slots();
    const std::size_t ticks = scores.ticks();
    Grid after = makeGrid(shape.slots, ticks);
    std::vector<double> starting(ticks, kNone); // best score of slots k + 1 on, from tick t
    for (std::size_t k = shape.slots; k-- > 0;) {
        if (k + 1 == shape.slots) {
            std::fill(after[k].begin(), after[k].end(), 0.0);
        } else {
            const int gap = gapAfter(shape, k);
            for (std::size_t t = 0; t < ticks; ++t) {
                after[k][t] = bestAround(starting, static_cast<long>(t) + gap - shape.slack,
                                         shape.slack);
            }
        }
        for (std::size_t t = 0; t < ticks; ++t) {
            double best = kNone;
            for (std::size_t c = 0; c < slots[k].characters.size(); ++c) {
                const double s = scores.at(k, c, t);
                const std::size_t end = t + lengthOf(slots[k].characters[c]);
                if (s != kNone && end < ticks && after[k][end] != kNone) {
                    best = std::max(best, s + after[k][end]);
                }
            }
            starting[t] = best;
        }
    }
    return after;
}

} // namespace

PayloadPath bestPayload(const PayloadEvidence& evidence, const PayloadShape& shape) {
    const auto& slots = FrameLayout::instance().slots();
    const Scores scores(evidence, shape);
    const std::size_t ticks = scores.ticks();
    const Grid forward = forwardPass(scores, shape);
    const Grid after = backwardPass(scores, shape);

    // Per slot and character, the best complete reading with that character there.
    std::vector<std::vector<double>> through(shape.slots);
    double total = kNone;
    for (std::size_t k = 0; k < shape.slots; ++k) {
        through[k].assign(slots[k].characters.size(), kNone);
        for (std::size_t c = 0; c < slots[k].characters.size(); ++c) {
            const std::size_t length = lengthOf(slots[k].characters[c]);
            for (std::size_t p = 0; p + length < ticks; ++p) {
                const double s = scores.at(k, c, p);
                if (s != kNone && forward[k][p] != kNone && after[k][p + length] != kNone) {
                    through[k][c] = std::max(through[k][c], forward[k][p] + s + after[k][p + length]);
                }
            }
            if (k == 0) {
                total = std::max(total, through[0][c]);
            }
        }
    }
    PayloadPath path;
    path.complete = total != kNone;
    if (!path.complete) {
        return path;
    }
    // The best path itself, slot by slot, each character starting within the gap's
    // slack after the one before; its margin is over the best reading with another
    // character in that slot.
    double reached = 0.0;
    long windowFrom = shape.firstFrom;
    long windowTo = shape.firstTo;
    for (std::size_t k = 0; k < shape.slots; ++k) {
        std::size_t chosen = slots[k].characters.size();
        std::size_t start = 0;
        for (std::size_t c = 0; c < slots[k].characters.size() && chosen == slots[k].characters.size(); ++c) {
            const std::size_t length = lengthOf(slots[k].characters[c]);
            for (long p = std::max(0L, windowFrom); p <= windowTo && p + static_cast<long>(length) < static_cast<long>(ticks); ++p) {
                const auto at = static_cast<std::size_t>(p);
                const double s = scores.at(k, c, at);
                if (s != kNone && after[k][at + length] != kNone &&
                    reached + s + after[k][at + length] >= total - kSamePath) {
                    chosen = c;
                    start = at;
                    break;
                }
            }
        }
        if (chosen == slots[k].characters.size()) {
            path.complete = false;
            return path;
        }
        double other = kNone;
        for (std::size_t c = 0; c < through[k].size(); ++c) {
            if (c != chosen) {
                other = std::max(other, through[k][c]);
            }
        }
        if (std::getenv("TDEBUG") && k == 1) {
            for (std::size_t c = 0; c < through[k].size(); ++c) {
                if (through[k][c] > total - 20) std::fprintf(stderr, "  slot1 %c through %.2f (total %.2f)\n", slots[k].characters[c].character, through[k][c], total);
            }
            for (std::size_t q = start; q < start + 48 && q < evidence.dot.size(); q += 2) std::fprintf(stderr, "   tick %zu: dot %.1f dash %.1f\n", q - start, evidence.dot[q], evidence.dash[q]);
        }
        path.characters.push_back(slots[k].characters[chosen].character);
        path.starts.push_back(static_cast<int>(start));
        path.margins.push_back(total - other);
        reached += scores.at(k, chosen, start);
        if (k + 1 < shape.slots) {
            const long end = static_cast<long>(start + lengthOf(slots[k].characters[chosen]));
            windowFrom = end + gapAfter(shape, k) - shape.slack;
            windowTo = end + gapAfter(shape, k) + shape.slack;
        }
    }
    return path;
}

} // namespace orvinta::cw
