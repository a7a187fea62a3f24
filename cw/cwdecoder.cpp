// SPDX-License-Identifier: GPL-3.0-or-later
#include "cwdecoder.h"

#include "morse.h"

#include <algorithm>
#include <cmath>

namespace orvinta::cw {
namespace {

/// A unit lasts 1.2 s divided by the speed in words per minute.
constexpr double kUnitSecondsAtOneWpm = 1.2;
constexpr double kSearchWindowSeconds = 8.0;
/// Ratio between neighbouring speeds tried while the speed is unknown.
constexpr double kUnitStep = 1.008;
/// Units either way of the best coarse start searched again (the prefix may run on past
/// the window); then unit lengths tried around the best, a fraction apart.
constexpr double kRefineReach = 30.0;
constexpr int kFineUnitSteps = 10;
constexpr double kFineUnitStep = 0.0015;
/// How far the unit length learnt on earlier frames may be off; unit lengths tried
/// around the one learnt on a prefix alone (each trusted to half the step either way).
constexpr double kLockedUnitTolerance = 0.002;
constexpr int kUnitTries = 4;
constexpr double kUnitTryStep = 0.0025;
/// A prefix matching this much better than needed is clear enough to try harder.
constexpr double kClearPrefix = 0.15;
/// A first reading this far below the frame match needed is not worth trying harder.
constexpr double kFrameMatchSlack = 0.15;
/// Weight of a new good frame's unit length in the one followed.
constexpr double kUnitLearning = 0.3;
/// Unreadable characters a frame may have and still fix the speed.
constexpr std::size_t kLockingUnreadable = 6;

/// The next frame's prefix must match about as well as this frame's, at most this much
/// less: a prefix matched by chance in a frame's tail, or in its payload, matches worse.
constexpr double kNextMatchShortfall = 0.2;
/// The next frame's prefix must have gaps as quiet as this frame's, within this factor:
/// inside a frame, a prefix matched by chance has key-down units in its gaps.
constexpr double kQuietFactor = 2.0;
/// A steady line in the tone's channel with this share of the tone's power, and the
/// likelihood margin a character then needs.
constexpr double kCrowdingShare = 0.1;
constexpr double kCrowdedMargin = 3.0;

struct Candidate {
    double start = 0.0;
    double unit = 0.0;
    double match = -1.0;
};

/// Pearson correlation of unit energies with key states (1 down, 0 up), from the sums
/// of the key-down energies, of the key-up energies and of all squared energies.
double keyCorrelation(double on, double off, double squares, std::size_t downCount,
                      std::size_t upCount) {
    const double n = static_cast<double>(downCount + upCount);
    const double p = static_cast<double>(downCount) / n;
    const double mean = (on + off) / n;
    const double variance = squares / n - mean * mean;
    if (variance <= 0.0) {
        return 0.0;
    }
    return (on / n - p * mean) / std::sqrt(variance * p * (1.0 - p));
}

/// The coarse search for the prefix at one unit length: energies of stretches one
/// (rounded) unit long from every sample on, looked up at each unit's start, at starts
/// a quarter unit apart from `first` to `windowEnd`. Keeps the best in `best`.
void scanPrefix(const CumulativeBaseband& sums, double unit, std::size_t first,
                std::size_t windowEnd, Candidate& best) {
    const auto& prefix = FrameLayout::instance().prefixUnits();
    const std::size_t held = sums.size() - 1;
    const auto length = static_cast<std::size_t>(std::max(1L, std::lround(unit)));
    std::vector<std::size_t> down;
    std::vector<std::size_t> up;
    for (std::size_t u = 0; u < prefix.size(); ++u) {
        const auto at = static_cast<std::size_t>(std::lround(static_cast<double>(u) * unit));
        (prefix[u] ? down : up).push_back(at);
    }
    const std::size_t reach = std::max(down.back(), up.back()) + length;
    if (held < reach || first + reach > held + 1) {
        return;
    }
    const std::size_t starts = std::min(windowEnd, held - reach + 1);
    if (starts <= first) {
        return;
    }
    const std::size_t count = starts - first + reach;
    std::vector<float> energy(count);
    std::vector<float> square(count);
    for (std::size_t i = 0; i + length <= count && first + i + length <= held; ++i) {
        const auto e = static_cast<float>(std::norm(sums[first + i + length] - sums[first + i]));
        energy[i] = e;
        square[i] = e * e;
    }
    const std::size_t stride = std::max<std::size_t>(1, static_cast<std::size_t>(unit / 4.0));
    for (std::size_t t = 0; first + t < starts; t += stride) {
        float on = 0.0f;
        float off = 0.0f;
        float squares = 0.0f;
        for (const std::size_t at : down) {
            on += energy[t + at];
            squares += square[t + at];
        }
        for (const std::size_t at : up) {
            off += energy[t + at];
            squares += square[t + at];
        }
        const double c = keyCorrelation(on, off, squares, down.size(), up.size());
        if (c > best.match) {
            best = {static_cast<double>(first + t), unit, c};
        }
    }
}

/// How well the unit energies match the keyed prefix at a start: their correlation with
/// the key states. About 0 for noise, near 1 for a clean prefix.
class PrefixProbe {
public:
    PrefixProbe(const CumulativeBaseband& sums, double unit)
        : sums_(sums) {
        const auto& prefix = FrameLayout::instance().prefixUnits();
        for (std::size_t u = 0; u <= prefix.size(); ++u) {
            bounds_.push_back(static_cast<std::size_t>(std::lround(static_cast<double>(u) * unit)));
        }
        for (std::size_t u = 0; u < prefix.size(); ++u) {
            (prefix[u] ? on_ : off_).push_back(u);
        }
    }

    std::size_t span() const { return bounds_.back(); }

    /// The correlation at `start`; also the mean energy of the prefix's gaps, if asked.
    double match(std::size_t start, double* gapEnergy = nullptr) const {
        const auto energy = [&](std::size_t u) {
            return std::norm(sums_[start + bounds_[u + 1]] - sums_[start + bounds_[u]]);
        };
        double on = 0.0;
        double squares = 0.0;
        for (const std::size_t u : on_) {
            const double e = energy(u);
            on += e;
            squares += e * e;
        }
        double off = 0.0;
        for (const std::size_t u : off_) {
            const double e = energy(u);
            off += e;
            squares += e * e;
        }
        if (gapEnergy != nullptr) {
            *gapEnergy = off / static_cast<double>(off_.size());
        }
        return keyCorrelation(on, off, squares, on_.size(), off_.size());
    }

private:
    const CumulativeBaseband& sums_;
    std::vector<std::size_t> bounds_;
    std::vector<std::size_t> on_;
    std::vector<std::size_t> off_;
};

} // namespace

CwDecoder::CwDecoder(int sampleRate, DecoderSettings settings)
    : settings_(settings)
    , baseband_(sampleRate)
    , shortestUnit_(kUnitSecondsAtOneWpm / settings.fastestWpm * baseband_.rate())
    , longestUnit_(kUnitSecondsAtOneWpm / settings.slowestWpm * baseband_.rate())
    , windowSamples_(std::round(kSearchWindowSeconds * baseband_.rate())) {
    baseband_.reportSteadyLines(&steady_);
}

void CwDecoder::push(const float* audio, std::size_t count) {
    baseband_.push(audio, count, samples_, tones_);
    search(false);
}

void CwDecoder::finish() {
    baseband_.finish(samples_, tones_);
    search(true);
}

std::vector<HeardFrame> CwDecoder::takeFrames() {
    std::vector<HeardFrame> frames;
    frames.swap(frames_);
    return frames;
}

std::vector<double> CwDecoder::unitGrid() const {
    if (lockedUnit_ > 0.0) {
        return {lockedUnit_};
    }
    std::vector<double> grid;
    for (double unit = shortestUnit_; unit <= longestUnit_ * 1.0001; unit *= kUnitStep) {
        grid.push_back(unit);
    }
    return grid;
}

void CwDecoder::search(bool final) {
    while (step(final)) {
    }
    trim();
}

bool CwDecoder::step(bool final) {
    const FrameLayout& layout = FrameLayout::instance();
    const double end = static_cast<double>(base_ + samples_.size());
    const double from = static_cast<double>(searchFrom_);
    const double frameSpan = static_cast<double>(layout.longestFrame() + 8) * longestUnit_;
    if (!final && end < from + windowSamples_ + 32.0 * longestUnit_ + frameSpan) {
        return false;
    }
    if (final && end < from + static_cast<double>(layout.payloadStart()) * shortestUnit_) {
        return false;
    }

    // Running sums over everything held, indexed relative to base_.
    sums_.assign(samples_.size() + 1, {});
    for (std::size_t n = 0; n < samples_.size(); ++n) {
        sums_[n + 1] = sums_[n] + std::complex<double>(samples_[n]);
    }
    const std::size_t held = samples_.size();
    const std::size_t first = searchFrom_ - base_;
    const std::size_t windowEnd = std::min(first + static_cast<std::size_t>(windowSamples_), held);

    Candidate best;
    for (const double unit : unitGrid()) {
        scanPrefix(sums_, unit, first, windowEnd, best);
    }
    const auto advance = [&] {
        searchFrom_ = base_ + windowEnd;
        return windowEnd < held;
    };
    if (best.match < 0.9 * settings_.minimumMatch) {
        return advance();
    }

    // Around the best start: the strongest start within some units either way (the
    // prefix may continue past the window), then start and speed finely.
    const auto refine = [&](double unit, double from0, double to0, std::size_t stride,
                            Candidate& into) {
        const PrefixProbe probe(sums_, unit);
        const auto lo = static_cast<std::size_t>(std::max(0.0, from0));
        for (std::size_t t = lo; static_cast<double>(t) <= to0 && t + probe.span() <= held;
             t += stride) {
            const double c = probe.match(t);
            if (c > into.match) {
                into = {static_cast<double>(t), unit, c};
            }
        }
    };
    Candidate coarse = best;
    refine(best.unit, best.start - kRefineReach * best.unit, best.start + kRefineReach * best.unit,
           std::max<std::size_t>(1, static_cast<std::size_t>(best.unit / 4.0)), coarse);
    Candidate fine = coarse;
    const int unitSteps = lockedUnit_ > 0.0 ? 0 : kFineUnitSteps;
    for (int i = -unitSteps; i <= unitSteps; ++i) {
        refine(coarse.unit * (1.0 + kFineUnitStep * i), coarse.start - coarse.unit / 2.0,
               coarse.start + coarse.unit / 2.0, 1, fine);
    }
    if (fine.match < settings_.minimumMatch) {
        return advance();
    }

    const PrefixProbe nextProbe(sums_, fine.unit);
    const double nextFrom =
        fine.start + (layout.payloadStart() + layout.shortestPayload()) * fine.unit;

    // A prefix that matches better where this frame would be cannot share the air with
    // it: this one is a chance match on the tail of one frame and the start of that one.
    Candidate overlapping;
    const auto stride = std::max<std::size_t>(1, static_cast<std::size_t>(fine.unit / 4.0));
    for (auto t = static_cast<std::size_t>(fine.start + fine.unit);
         static_cast<double>(t) < nextFrom && t + nextProbe.span() <= held; t += stride) {
        const double c = nextProbe.match(t);
        if (c > overlapping.match) {
            overlapping = {static_cast<double>(t), fine.unit, c};
        }
    }
    if (overlapping.match > fine.match) {
        searchFrom_ = std::max(searchFrom_ + 1,
                               base_ + static_cast<std::size_t>(overlapping.start - fine.unit));
        return true;
    }

    // A frame ends before the next one begins: look for the next prefix, so that the
    // reading does not stretch characters into it.
    Candidate next;
    double quiet = 0.0;
    nextProbe.match(static_cast<std::size_t>(fine.start), &quiet);
    const double nextTo = fine.start + (layout.longestFrame() + kWordGapUnits) * fine.unit;
    for (auto t = static_cast<std::size_t>(nextFrom);
         static_cast<double>(t) <= nextTo && t + nextProbe.span() <= held; ++t) {
        double gaps = 0.0;
        const double c = nextProbe.match(t, &gaps);
        if (c > next.match && gaps <= kQuietFactor * quiet) {
            next = {static_cast<double>(t), fine.unit, c};
        }
    }
    // The next prefix starts with the word gap after this frame's last character; a
    // unit or two more leaves room for rounding.
    const int units =
        static_cast<int>(
            ((next.match >= std::max(settings_.minimumMatch, fine.match - kNextMatchShortfall)
                  ? next.start
                  : nextTo) -
             fine.start) /
            fine.unit) +
        2;
    // A steady line in the tone's channel during the frame adds to the key-up units and
    // can make a wrong reading look sure: only characters read by a wide margin count.
    const auto frameFrom = static_cast<std::size_t>(fine.start);
    const auto frameTo = std::min(
        held, static_cast<std::size_t>(fine.start + static_cast<double>(units) * fine.unit));
    const bool crowded =
        frameFrom < frameTo &&
        *std::max_element(steady_.begin() + static_cast<std::ptrdiff_t>(frameFrom),
                          steady_.begin() + static_cast<std::ptrdiff_t>(frameTo)) >= kCrowdingShare;
    const double margin = crowded ? kCrowdedMargin : settings_.minimumMargin;
    // With the speed known, one reading; else readings from several unit lengths
    // around the prefix's (which may be off by a few tenths of a percent, too much
    // for the last characters), keeping the one that matches its frame best.
    const double tolerance = lockedUnit_ > 0.0 ? kLockedUnitTolerance : kUnitTryStep;
    const double hopeless = settings_.minimumFrameMatch - kFrameMatchSlack;
    FrameReading reading = readFrame(sums_, baseband_.rate(), fine.start, fine.unit, units,
                                     tolerance, margin, hopeless);
    // A clear prefix is worth the tries even when the first reading went astray: a unit
    // length off by a few tenths of a percent garbles the end of the frame.
    if (lockedUnit_ <= 0.0 &&
        (reading.match >= hopeless || fine.match >= settings_.minimumMatch + kClearPrefix)) {
        for (int i = -kUnitTries; i <= kUnitTries; ++i) {
            FrameReading r =
                readFrame(sums_, baseband_.rate(), fine.start, fine.unit * (1.0 + kUnitTryStep * i),
                          units, tolerance, margin, hopeless);
            if (r.match > reading.match) {
                reading = std::move(r);
            }
        }
    }
    if (reading.match < settings_.minimumFrameMatch) {
        return advance();
    }
    HeardFrame frame;
    frame.seconds = baseband_.timeOf(static_cast<double>(base_) + reading.firstUnitSample);
    frame.text = reading.text;
    frame.unreadable = reading.unreadable;
    // The tone as followed over the frame, on average.
    const auto firstHeld = static_cast<std::size_t>(
        std::clamp(reading.firstUnitSample, 0.0, static_cast<double>(held - 1)));
    const auto lastHeld = static_cast<std::size_t>(std::clamp(
        reading.endSample, static_cast<double>(firstHeld + 1), static_cast<double>(held)));
    double toneSum = 0.0;
    for (std::size_t n = firstHeld; n < lastHeld; ++n) {
        toneSum += tones_[n];
    }
    frame.toneHz = toneSum / static_cast<double>(lastHeld - firstHeld);
    frame.wordsPerMinute = kUnitSecondsAtOneWpm * baseband_.rate() / reading.unitSamples;
    frame.snrDb = reading.snrDb;
    frame.match = reading.match;
    frame.confidence = reading.match;
    frames_.push_back(frame);

    if (reading.unreadable <= kLockingUnreadable) {
        lockedUnit_ = lockedUnit_ > 0.0 ? (1.0 - kUnitLearning) * lockedUnit_ +
                                              kUnitLearning * reading.unitSamples
                                        : reading.unitSamples;
        lockedUntil_ = static_cast<double>(base_) + reading.endSample + 3.0 * frameSpan;
    }
    searchFrom_ = base_ + static_cast<std::size_t>(std::max(static_cast<double>(first + 1),
                                                            std::round(reading.endSample)));
    return searchFrom_ < base_ + held;
}

void CwDecoder::trim() {
    if (lockedUnit_ > 0.0 && static_cast<double>(searchFrom_) > lockedUntil_) {
        lockedUnit_ = 0.0;
    }
    const auto keep = static_cast<std::size_t>(40.0 * longestUnit_);
    if (searchFrom_ < base_ + keep) {
        return;
    }
    const std::size_t drop = std::min(searchFrom_ - keep - base_, samples_.size());
    samples_.erase(samples_.begin(), samples_.begin() + static_cast<std::ptrdiff_t>(drop));
    tones_.erase(tones_.begin(), tones_.begin() + static_cast<std::ptrdiff_t>(drop));
    steady_.erase(steady_.begin(), steady_.begin() + static_cast<std::ptrdiff_t>(drop));
    base_ += drop;
}

} // namespace orvinta::cw
