// SPDX-License-Identifier: GPL-3.0-or-later
#include "trellis.h"

#include <algorithm>
#include <limits>

namespace orvinta::cw {
namespace {

constexpr double kImpossible = -std::numeric_limits<double>::infinity();
constexpr auto kTicks = static_cast<std::size_t>(kTicksPerUnit);
/// Two scores this close count as the same path when it is traced.
constexpr double kSamePath = 1e-9;

/// A grid of log scores per slot and tick (a max-product trellis in the log domain: the
/// products of likelihoods become sums, the best path a maximum of sums).
using Grid = std::vector<std::vector<double>>;

Grid makeGrid(std::size_t slots, std::size_t ticks) {
    return Grid(slots, std::vector<double>(ticks, kImpossible));
}

const std::array<Slot, kPayloadSlots>& slotsOfFrame() {
    return FrameLayout::instance().slots();
}

/// Ticks from `tick` on by `units` units.
std::size_t ticksAfter(int tick, int units) {
    return static_cast<std::size_t>(tick) + kTicks * static_cast<std::size_t>(units);
}

std::size_t lengthOf(const CharacterKeying& c) {
    return ticksAfter(0, c.length);
}

int gapAfter(const PayloadShape& shape, std::size_t k) {
    return shape.gapAfter[k];
}

/// Scores of every character of every slot at every tick, prior included; kImpossible where
/// the character would end past the last tick allowed. Slots with the same characters
/// and priors share one table.
class Scores {
public:
    Scores(const PayloadEvidence& evidence, const PayloadShape& shape)
        : m_ticks(evidence.dot.size()) {
        const auto& slots = slotsOfFrame();
        for (std::size_t k = 0; k < shape.slots; ++k) {
            if (k > 0 && sameChoices(slots[k], slots[k - 1])) {
                m_tableOf.push_back(m_tableOf.back());
                continue;
            }
            m_tableOf.push_back(m_tables.size());
            auto& table = m_tables.emplace_back();
            for (std::size_t c = 0; c < slots[k].characters.size(); ++c) {
                table.push_back(characterScores(evidence, slots[k].characters[c], slots[k].prior[c],
                                                shape.lastEnd));
            }
        }
    }

    double at(std::size_t k, std::size_t c, std::size_t tick) const { return row(k, c)[tick]; }
    /// Character c's scores in slot k, by tick.
    const std::vector<double>& row(std::size_t k, std::size_t c) const {
        return m_tables[m_tableOf[k]][c];
    }
    std::size_t ticks() const { return m_ticks; }

private:
    static bool sameChoices(const Slot& a, const Slot& b) {
        return a.characters.size() == b.characters.size() && a.prior == b.prior &&
               a.characters.front().character == b.characters.front().character;
    }

    /// The matched filter of one character: the sum of its marks' log-likelihood ratios
    /// where it would put them, starting at each tick.
    static std::vector<double> characterScores(const PayloadEvidence& evidence,
                                               const CharacterKeying& c, double prior,
                                               int lastEnd) {
        std::vector<double> scores(evidence.dot.size(), kImpossible);
        const int length = kTicksPerUnit * c.length;
        const int last = std::min(lastEnd, static_cast<int>(scores.size())) - length;
        if (last < 0) {
            return scores;
        }
        const auto starts = static_cast<std::size_t>(last) + 1;
        std::fill_n(scores.begin(), starts, prior);
        // Element by element, each added at every start in turn (one contiguous run each).
        const auto addAll = [&](const std::vector<double>& marks, int unit) {
            const double* from = marks.data() + ticksAfter(0, unit);
            for (std::size_t p = 0; p < starts; ++p) {
                scores[p] += from[p];
            }
        };
        for (const int u : c.dots) {
            addAll(evidence.dot, u);
        }
        for (const int u : c.dashes) {
            addAll(evidence.dash, u);
        }
        return scores;
    }

    std::size_t m_ticks;
    std::vector<std::size_t> m_tableOf;                     ///< per slot
    std::vector<std::vector<std::vector<double>>> m_tables; ///< per table, character, tick
};

/// The best of `values` over [from, from + 2 * slack]: the gap may be `slack` ticks
/// either way of the keyer's.
double bestAround(const std::vector<double>& values, long from, int slack) {
    double best = kImpossible;
    const long to = std::min(from + 2L * slack, static_cast<long>(values.size()) - 1);
    for (long t = std::max(0L, from); t <= to; ++t) {
        best = std::max(best, values[static_cast<std::size_t>(t)]);
    }
    return best;
}

/// forward[k][t]: the best score of the slots before k with slot k starting at tick t.
Grid forwardPass(const Scores& scores, const PayloadShape& shape) {
    const auto& slots = slotsOfFrame();
    const std::size_t ticks = scores.ticks();
    Grid forward = makeGrid(shape.slots, ticks);
    for (int t = std::max(0, shape.firstFrom); t <= shape.firstTo && t < static_cast<int>(ticks);
         ++t) {
        forward[0][static_cast<std::size_t>(t)] = 0.0;
    }
    std::vector<double> ends(ticks); // best score up to slot k, its character ending at t
    for (std::size_t k = 0; k + 1 < shape.slots; ++k) {
        std::fill(ends.begin(), ends.end(), kImpossible);
        for (std::size_t t = 0; t < ticks; ++t) {
            if (forward[k][t] == kImpossible) {
                continue;
            }
            for (std::size_t c = 0; c < slots[k].characters.size(); ++c) {
                const std::size_t end = t + lengthOf(slots[k].characters[c]);
                if (end < ticks) {
                    ends[end] = std::max(ends[end], forward[k][t] + scores.at(k, c, t));
                }
            }
        }
        const int gap = gapAfter(shape, k);
        for (std::size_t t = 0; t < ticks; ++t) {
            forward[k + 1][t] =
                bestAround(ends, static_cast<long>(t) - gap - shape.slack, shape.slack);
        }
    }
    return forward;
}

/// after[k][t]: the best score of the slots after k when slot k's character ends at
/// tick t; the last slot may end anywhere, with what follows the frame from there.
Grid backwardPass(const Scores& scores, const PayloadShape& shape) {
    const auto& slots = slotsOfFrame();
    const std::size_t ticks = scores.ticks();
    Grid after = makeGrid(shape.slots, ticks);
    std::vector<double> starting(ticks, kImpossible); // best score of slots k + 1 on, from tick t
    for (std::size_t k = shape.slots; k-- > 0;) {
        if (k + 1 == shape.slots) {
            std::fill(after[k].begin(), after[k].end(), 0.0);
            if (!shape.afterFrame.empty()) {
                std::copy_n(shape.afterFrame.begin(), std::min(ticks, shape.afterFrame.size()),
                            after[k].begin());
            }
        } else {
            const int gap = gapAfter(shape, k);
            for (std::size_t t = 0; t < ticks; ++t) {
                after[k][t] =
                    bestAround(starting, static_cast<long>(t) + gap - shape.slack, shape.slack);
            }
        }
        std::fill(starting.begin(), starting.end(), kImpossible);
        for (std::size_t c = 0; c < slots[k].characters.size(); ++c) {
            const std::size_t length = lengthOf(slots[k].characters[c]);
            const std::vector<double>& row = scores.row(k, c);
            for (std::size_t t = 0; t + length < ticks; ++t) {
                starting[t] = std::max(starting[t], row[t] + after[k][t + length]);
            }
        }
    }
    return after;
}

/// through[k][c]: the best complete reading with character c in slot k.
Grid throughScores(const Scores& scores, const Grid& forward, const Grid& after,
                   const PayloadShape& shape) {
    const auto& slots = slotsOfFrame();
    Grid through(shape.slots);
    for (std::size_t k = 0; k < shape.slots; ++k) {
        through[k].assign(slots[k].characters.size(), kImpossible);
        for (std::size_t c = 0; c < slots[k].characters.size(); ++c) {
            const std::size_t length = lengthOf(slots[k].characters[c]);
            const std::vector<double>& row = scores.row(k, c);
            double best = kImpossible;
            for (std::size_t p = 0; p + length < scores.ticks(); ++p) {
                best = std::max(best, forward[k][p] + row[p] + after[k][p + length]);
            }
            through[k][c] = best;
        }
    }
    return through;
}

/// The best path itself, slot by slot: the first character, in slot order, that starts
/// within the gap's slack after the one before and still reaches the best total.
void tracePath(const Scores& scores, const Grid& after, const Grid& through, double total,
               const PayloadShape& shape, PayloadPath& path) {
    const auto& slots = slotsOfFrame();
    double reached = 0.0;
    long windowFrom = shape.firstFrom;
    long windowTo = shape.firstTo;
    for (std::size_t k = 0; k < shape.slots; ++k) {
        const std::size_t choices = slots[k].characters.size();
        std::size_t chosen = choices;
        std::size_t start = 0;
        for (std::size_t c = 0; c < choices && chosen == choices; ++c) {
            const auto length = static_cast<long>(lengthOf(slots[k].characters[c]));
            const long last = std::min(windowTo, static_cast<long>(scores.ticks()) - length - 1);
            for (long p = std::max(0L, windowFrom); p <= last; ++p) {
                const auto at = static_cast<std::size_t>(p);
                const double score = scores.at(k, c, at);
                if (reached + score + after[k][at + static_cast<std::size_t>(length)] >=
                    total - kSamePath) {
                    chosen = c;
                    start = at;
                    break;
                }
            }
        }
        if (chosen == choices) {
            path.complete = false;
            return;
        }
        // The margin: over the best complete reading with another character here.
        double other = kImpossible;
        for (std::size_t c = 0; c < choices; ++c) {
            other = c == chosen ? other : std::max(other, through[k][c]);
        }
        path.characters.push_back(slots[k].characters[chosen].character);
        path.starts.push_back(static_cast<int>(start));
        path.margins.push_back(total - other);
        reached += scores.at(k, chosen, start);
        const long end = static_cast<long>(start + lengthOf(slots[k].characters[chosen]));
        windowFrom = end + gapAfter(shape, k) - shape.slack;
        windowTo = end + gapAfter(shape, k) + shape.slack;
    }
}

} // namespace

PayloadPath bestPayload(const PayloadEvidence& evidence, const PayloadShape& shape) {
    const Scores scores(evidence, shape);
    const Grid forward = forwardPass(scores, shape);
    const Grid after = backwardPass(scores, shape);
    const Grid through = throughScores(scores, forward, after, shape);
    PayloadPath path;
    if (shape.slots == 0) {
        return path;
    }
    const double total = *std::max_element(through[0].begin(), through[0].end());
    path.complete = total != kImpossible;
    if (path.complete) {
        tracePath(scores, after, through, total, shape, path);
    }
    return path;
}

} // namespace orvinta::cw
