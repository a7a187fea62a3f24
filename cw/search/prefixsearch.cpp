// SPDX-License-Identifier: GPL-3.0-or-later
#include "prefixsearch.h"

#include "cw/model/framelayout.h"
#include "cw/model/trellis.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvinta::cw {
namespace {

/// The programme moves a quarter unit (a tick) at a time, as the trellis does.
/// Lanes: unit lengths this ratio apart. A character of 15 units (with its gap) read at a
/// speed 2.5 % off ends 0.4 units off: still within its marks.
constexpr double kLaneRatio = 1.05;
/// Every unit is scored as the log-likelihood ratio of a carrier 6 dB above the noise in
/// a unit (the weakest that frames are read at), less its mean over noise alone: noise
/// scores 0 on average whatever the template, and a strong carrier counts only with the
/// square root of its energy, so that a burst cannot make a prefix by itself.
constexpr double kAssumedUnitSnr = 4.0;
/// Silence scored before the "E" (the gap before a frame) and after each character: two
/// units after a character, six after a word, as keyers leave at least that much.
constexpr int kLeadingSilence = 6;
constexpr int kCharacterSilence = 2;
constexpr int kWordSilence = 6;
/// Gaps from a character's nominal end to the next one's start, in units: character
/// gaps up to 1.8 and word gaps up to 1.7 times their nominal 3 and 7, with room for a
/// lane's speed being off.
constexpr double kLaneShortestCharacterGap = 2.5;
constexpr double kLaneLongestCharacterGap = 5.5;
constexpr double kLaneShortestWordGap = 6.25;
constexpr double kLaneLongestWordGap = 12.5;
/// The score a prefix must reach to be a candidate: far above what noise alone reaches
/// (orvinta-cw-bench's recordings without a beacon give no frame).
constexpr double kCandidateScore = 130.0;
/// Nor can a prefix agree with less than this share of its units' scores: keyed text
/// that matches it only in part scores high at a strong signal, but agrees less.
constexpr double kCandidateAgreement = 0.5;
/// A candidate is the best score within this many ticks either way.
constexpr int kScorePeakReach = 8;
/// The prefix's characters from which "HI" starts the first and the second time.
constexpr std::size_t kFirstHi = 6;
constexpr std::size_t kSecondHi = 8;
/// Ticks kept in the rings: more than the longest prefix, about 140 units.
constexpr std::size_t kRing = 1024;

/// Mean of the unit score over noise alone (the matched filter's energy over its mean
/// is exponential), by the midpoint rule.
double noiseMean() {
    double sum = 0.0;
    constexpr int kSteps = 4000;
    constexpr double kTop = 40.0;
    for (int i = 0; i < kSteps; ++i) {
        const double e = (i + 0.5) * kTop / kSteps;
        sum += (logBesselI0(2.0 * std::sqrt(kAssumedUnitSnr * e)) - kAssumedUnitSnr) *
               std::exp(-e) * kTop / kSteps;
    }
    return sum;
}

/// One prefix character as the programme scores it: ticks from its start where a unit
/// must be key down (+1) or key up (-1), its nominal length, the silence it demands
/// after itself and the gap range before it.
struct Template {
    std::vector<std::pair<int, float>> units;
    int length = 0;
    int silence = 0;     ///< units of silence after it, scored with it
    int shortestGap = 0; ///< ticks from the previous character's nominal end
    int longestGap = 0;
};

/// Ticks in `units` units.
long long ticksOf(int units) {
    return static_cast<long long>(kTicksPerUnit) * units;
}

std::vector<Template> templates() {
    const FrameLayout& layout = FrameLayout::instance();
    const auto& characters = layout.prefixCharacters();
    const auto& places = layout.prefixPlaces();
    std::vector<Template> result;
    for (std::size_t j = 0; j < characters.size(); ++j) {
        const CharacterKeying& c = characters[j];
        Template t;
        t.length = c.length;
        for (int u = 0; u < c.length; ++u) {
            const bool on = std::find(c.onUnits.begin(), c.onUnits.end(), u) != c.onUnits.end();
            t.units.emplace_back(kTicksPerUnit * u, on ? 1.0f : -1.0f);
        }
        // The silence after it: before the next word, or the payload, a word gap.
        const bool wordAfter =
            j + 1 == characters.size() || places[j + 1].wordGaps > places[j].wordGaps;
        const int silence = wordAfter ? kWordSilence : kCharacterSilence;
        t.silence = silence;
        for (int u = 0; u < silence; ++u) {
            // A quarter unit in: a heavy keyer's mark runs on that far.
            t.units.emplace_back(kTicksPerUnit * (c.length + u) + 1, -1.0f);
        }
        if (j == 0) {
            for (int u = 1; u <= kLeadingSilence; ++u) {
                t.units.emplace_back(-kTicksPerUnit * u - 1, -1.0f);
            }
        } else {
            const bool word = places[j].wordGaps > places[j - 1].wordGaps;
            const double shortest = word ? kLaneShortestWordGap : kLaneShortestCharacterGap;
            const double longest = word ? kLaneLongestWordGap : kLaneLongestCharacterGap;
            t.shortestGap = static_cast<int>(std::floor(shortest * kTicksPerUnit));
            t.longestGap = static_cast<int>(std::ceil(longest * kTicksPerUnit));
        }
        result.push_back(std::move(t));
    }
    return result;
}

constexpr float kUnreached = -std::numeric_limits<float>::infinity();

/// The maximum of a ring's values over a window of ticks that slides forward: ticks whose
/// value can never be the maximum again are dropped as they come (a monotonic queue).
class WindowMaximum {
public:
    bool empty() const { return m_head == m_tail; }
    long long best() const { return m_ticks[m_head & kMask]; }

    void push(long long tick, const std::vector<float>& values) {
        const float value = values[ring(tick)];
        while (!empty() && values[ring(m_ticks[(m_tail - 1) & kMask])] <= value) {
            --m_tail;
        }
        m_ticks[m_tail++ & kMask] = tick;
    }

    void dropBefore(long long tick) {
        while (!empty() && m_ticks[m_head & kMask] < tick) {
            ++m_head;
        }
    }

private:
    static constexpr std::size_t kSize = 64; ///< more than the widest gap range in ticks
    static constexpr std::size_t kMask = kSize - 1;
    static std::size_t ring(long long tick) { return static_cast<std::size_t>(tick) & (kRing - 1); }

    std::array<long long, kSize> m_ticks{};
    std::size_t m_head = 0;
    std::size_t m_tail = 0;
};

} // namespace

struct PrefixSearch::Lane {
    explicit Lane(double u, const std::vector<Template>& shapes, double mean)
        : unit(u)
        , tick(tickSamples(u))
        , window(std::max(1L, std::lround(u)))
        , templates(shapes)
        , noiseMean(static_cast<float>(mean))
        , mark(kRing, 0.0f) {
        for (std::size_t j = 0; j < kPrefixCharacters; ++j) {
            dp[j].assign(kRing, kUnreached);
            back[j].assign(kRing, 0);
        }
        for (const Template& t : templates) {
            for (const auto& [offset, sign] : t.units) {
                ahead = std::max(ahead, offset);
                behind = std::max(behind, -offset);
            }
        }
    }

    std::size_t sampleOf(long long i) const {
        return static_cast<std::size_t>(std::llround(static_cast<double>(i) * tick));
    }
    static std::size_t at(long long i) { return static_cast<std::size_t>(i) & (kRing - 1); }

    /// The unit score at tick i: the carrier's likelihood ratio less its mean over noise.
    void scoreUnit(const CumulativeBaseband& sums, std::size_t base, const NoiseFloor& floor) {
        const double noise = floor.powerAt(sampleOf(markNext));
        const std::size_t from = sampleOf(markNext) - base;
        const double energy = std::norm(sums[from + static_cast<std::size_t>(window)] - sums[from]);
        const double e = energy / (noise * static_cast<double>(window));
        mark[at(markNext)] = static_cast<float>(logBesselI0(2.0 * std::sqrt(kAssumedUnitSnr * e)) -
                                                kAssumedUnitSnr - noiseMean);
        ++markNext;
    }

    /// The unit score at tick k; 0 (no evidence) before the data.
    float scoreAt(long long k) const { return k >= markFirst ? mark[at(k)] : 0.0f; }

    /// Character j's score with its start at tick i; step() asks only for ticks whose
    /// template lies wholly within the unit scores.
    float templateScore(std::size_t j, long long i) const {
        float sum = 0.0f;
        for (const auto& [offset, sign] : templates[j].units) {
            sum += sign * mark[at(i + offset)];
        }
        return sum;
    }

    /// Unit scores added with the sign the prefix gives them, and their sizes.
    struct SignedScores {
        double signedSum = 0.0;
        double sizes = 0.0;
        void add(float score, float sign) {
            signedSum += sign * score;
            sizes += std::abs(score);
        }
    };

    /// The score of the prefix with its characters at `ticks` over the sum of the sizes of
    /// the same unit scores.
    double agreement(const std::array<long long, kPrefixCharacters>& ticks) const {
        SignedScores scores;
        for (std::size_t j = 0; j < kPrefixCharacters; ++j) {
            for (const auto& [offset, sign] : templates[j].units) {
                scores.add(scoreAt(ticks[j] + offset), sign);
            }
            if (j + 1 < kPrefixCharacters) {
                const long long end = ticks[j] + ticksOf(templates[j].length);
                const long long first = end + 1 + ticksOf(templates[j].silence);
                for (long long u = first; u + kTicksPerUnit <= ticks[j + 1]; u += kTicksPerUnit) {
                    scores.add(scoreAt(u), -1.0f);
                }
            }
        }
        return scores.sizes > 0.0 ? scores.signedSum / scores.sizes : 0.0;
    }

    void step() {
        const long long i = dpNext++;
        // "HI" comes twice, with the same silence after each: scored once.
        std::array<float, kPrefixCharacters> scores{};
        for (std::size_t j = 0; j < kPrefixCharacters; ++j) {
            scores[j] = j >= kSecondHi ? scores[j - kSecondHi + kFirstHi] : templateScore(j, i);
        }
        dp[0][at(i)] = scores[0];
        for (std::size_t j = 1; j < kPrefixCharacters; ++j) {
            // The best start of the character before, over the gaps allowed: a sliding
            // maximum, as the window moves by one tick each step.
            const long long span = ticksOf(templates[j - 1].length);
            WindowMaximum& starts = windows[j];
            const long long newest = i - templates[j].shortestGap - span;
            if (newest >= markFirst) {
                starts.push(newest, dp[j - 1]);
            }
            starts.dropBefore(i - templates[j].longestGap - span);
            if (starts.empty()) {
                dp[j][at(i)] = kUnreached;
                continue;
            }
            const long long k = starts.best();
            dp[j][at(i)] = dp[j - 1][at(k)] + scores[j];
            back[j][at(i)] = static_cast<std::uint8_t>(i - k - span);
        }
    }

    /// A candidate when the last character's score at tick i peaks above the threshold.
    void emit(long long i, const NoiseFloor& floor, std::vector<PrefixCandidate>& found) const {
        const auto& last = dp[kPrefixCharacters - 1];
        const float score = last[at(i)];
        if (score < kCandidateScore) {
            return;
        }
        for (long long k = i - kScorePeakReach; k <= i + kScorePeakReach; ++k) {
            if (k != i && k >= markFirst &&
                (last[at(k)] > score || (k < i && last[at(k)] == score))) {
                return;
            }
        }
        PrefixCandidate c;
        c.score = score;
        c.unit = unit;
        c.noise = floor.powerAt(sampleOf(i));
        std::array<long long, kPrefixCharacters> ticks{};
        long long k = i;
        for (std::size_t j = kPrefixCharacters; j-- > 0;) {
            ticks[j] = k;
            c.starts[j] = static_cast<double>(k) * tick;
            if (j > 0) {
                k -= back[j][at(k)] + ticksOf(templates[j - 1].length);
            }
        }
        c.agreement = agreement(ticks);
        if (c.agreement >= kCandidateAgreement) {
            found.push_back(c);
        }
    }

    void advance(const CumulativeBaseband& sums, std::size_t base, const NoiseFloor& noise,
                 std::vector<PrefixCandidate>& found) {
        const std::size_t end = base + sums.size() - 1;
        if (!started) {
            // Start at the first whole tick of the data.
            markFirst = static_cast<long long>(std::ceil(static_cast<double>(base) / tick));
            markNext = markFirst;
            dpNext = markFirst + behind;
            emitNext = dpNext;
            started = true;
        }
        while (sampleOf(markNext) + static_cast<std::size_t>(window) <= end) {
            scoreUnit(sums, base, noise);
            // The programme at tick i needs the unit scores up to i + ahead, and it must
            // not fall so far behind that the ring forgets what it needs.
            while (dpNext + ahead < markNext) {
                step();
            }
            while (emitNext + kScorePeakReach < dpNext) {
                emit(emitNext++, noise, found);
            }
        }
    }

    double unit;
    double tick;
    long window;
    const std::vector<Template>& templates;
    float noiseMean;
    std::vector<float> mark;
    std::array<WindowMaximum, kPrefixCharacters> windows;
    std::array<std::vector<float>, kPrefixCharacters> dp;
    std::array<std::vector<std::uint8_t>, kPrefixCharacters> back;
    int ahead = 0;
    int behind = 0;
    long long markFirst = 0;
    long long markNext = 0;
    long long dpNext = 0;
    long long emitNext = 0;
    bool started = false;
};

namespace {

const std::vector<Template>& sharedTemplates() {
    static const std::vector<Template> shapes = templates();
    return shapes;
}

} // namespace

PrefixSearch::PrefixSearch(double shortestUnit, double longestUnit) {
    const double mean = noiseMean();
    for (double u = shortestUnit; u <= longestUnit * kLaneRatio; u *= kLaneRatio) {
        m_lanes.emplace_back(u, sharedTemplates(), mean);
    }
}

PrefixSearch::~PrefixSearch() = default;
PrefixSearch::PrefixSearch(PrefixSearch&&) noexcept = default;
PrefixSearch& PrefixSearch::operator=(PrefixSearch&&) noexcept = default;

void PrefixSearch::advance(const CumulativeBaseband& sums, std::size_t base,
                           const NoiseFloor& noise, std::vector<PrefixCandidate>& found) {
    for (Lane& lane : m_lanes) {
        lane.advance(sums, base, noise, found);
    }
}

std::size_t PrefixSearch::needsFrom() const {
    std::size_t earliest = std::numeric_limits<std::size_t>::max();
    for (const Lane& lane : m_lanes) {
        earliest = std::min(earliest, lane.sampleOf(lane.markNext));
    }
    return earliest;
}

} // namespace orvinta::cw
