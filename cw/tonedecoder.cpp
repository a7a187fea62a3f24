// SPDX-License-Identifier: GPL-3.0-or-later
#include "tonedecoder.h"

#include "cw/reading/framecompletion.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvinta::cw {
namespace {

/// Candidates whose "E" starts this close (units) are the same prefix found at two
/// speeds: the better one stays.
constexpr double kSameCandidateUnits = 4.0;
/// Units past a frame's longest end in which the next frame's prefix may end: a prefix
/// at its longest gaps, and its leading gap.
constexpr double kNextPrefixUnits = 150.0;
/// Units by which a frame may run into the word gap before the next frame's prefix,
/// as both timings are estimates.
constexpr double kLimitSlack = 1.5;
/// A prefix heard inside a frame's payload whose key correlation falls this far below the
/// frame's own prefix's is not taken for the next frame's start: the characters of a
/// payload and a steady carrier beside the tone can make one up. Where it is the next frame
/// after all, the reading explains it as such (readFrame()).
constexpr double kFainterPrefix = 0.2;
/// The search reports a prefix about this many units after its last character starts
/// (the "I", the silence after it, the peak's reach), and a lane up to this much slower
/// may report the same prefix, better: a candidate is heard only once they are all in.
constexpr double kReportUnits = 12.0;
constexpr double kSlowerLanes = 1.5;
/// The baseband is trimmed in chunks of at least this many samples.
constexpr std::size_t kTrimChunk = 4096;

/// Units from a frame's "E" to its longest end, gaps at their longest keyers use.
double longestFrameUnits() {
    const FrameLayout& layout = FrameLayout::instance();
    const Place p = layout.payloadStart() + layout.longestPayload();
    return p.units + p.characterGaps * kLongestCharacterGap + p.wordGaps * kLongestWordGap;
}

} // namespace

ToneDecoder::ToneDecoder(double rate, double firstSeconds, const DecoderSettings& settings)
    : settings_(settings)
    , rate_(rate)
    , firstSeconds_(firstSeconds)
    , sums_(1)
    , noise_(rate)
    , search_(kUnitSecondsAtOneWpm / settings.fastestWpm * rate,
              kUnitSecondsAtOneWpm / settings.slowestWpm * rate)
    , longestUnit_(kUnitSecondsAtOneWpm / settings.slowestWpm * rate) {
}

void ToneDecoder::push(const std::complex<float>* samples, const float* tones, std::size_t count) {
    samples_.insert(samples_.end(), samples, samples + count);
    tones_.insert(tones_.end(), tones, tones + count);
    for (std::size_t n = 0; n < count; ++n) {
        sums_.push_back(sums_.back() + std::complex<double>(samples[n]));
    }
    noise_.push(samples, count);
    process(false);
}

void ToneDecoder::finish() {
    process(true);
}

void ToneDecoder::lookAhead(const std::complex<float>* samples, const float* tones,
                            std::size_t count) {
    const std::size_t held = samples_.size();
    samples_.insert(samples_.end(), samples, samples + count);
    tones_.insert(tones_.end(), tones, tones + count);
    for (std::size_t n = 0; n < count; ++n) {
        sums_.push_back(sums_.back() + std::complex<double>(samples[n]));
    }
    while (readEarly()) {
    }
    samples_.resize(held);
    tones_.resize(held);
    sums_.resize(held + 1);
}

double ToneDecoder::wantsUpTo() const {
    if (candidates_.empty()) {
        return std::numeric_limits<double>::infinity();
    }
    const PrefixCandidate& c = candidates_.front().found;
    const double settled =
        c.starts[0] + kSlowerLanes * (c.starts.back() - c.starts[0] + kReportUnits * c.unit);
    return std::max(settled, candidates_.front().readyAt);
}

std::vector<HeardFrame> ToneDecoder::takeFrames() {
    std::vector<HeardFrame> frames;
    frames.swap(frames_);
    return frames;
}

void ToneDecoder::process(bool final) {
    std::vector<PrefixCandidate> found;
    search_.advance(sums_, base_, noise_, found);
    for (const PrefixCandidate& c : found) {
        candidates_.push_back({c, {}, std::nullopt});
    }
    std::sort(candidates_.begin(), candidates_.end(), [](const Candidate& a, const Candidate& b) {
        return a.found.starts[0] < b.found.starts[0];
    });
    // The same prefix found at neighbouring speeds: the best found leads, the others stay
    // beside it until it is heard.
    std::vector<Candidate> kept;
    for (Candidate& c : candidates_) {
        if (!kept.empty() &&
            c.found.starts[0] - kept.back().found.starts[0] < kSameCandidateUnits * c.found.unit) {
            Candidate& same = kept.back();
            if (!same.heard) {
                if (c.found.score > same.found.score) {
                    std::swap(c.found, same.found);
                }
                same.others.push_back(c.found);
                same.others.insert(same.others.end(), c.others.begin(), c.others.end());
            }
            continue;
        }
        kept.push_back(std::move(c));
    }
    candidates_ = std::move(kept);
    while (readNext(final)) {
    }
    trim();
}

const HeardPrefix& ToneDecoder::hear(Candidate& candidate) {
    if (!candidate.heard) {
        // The prefix as found best; where that is not heard, as found at another speed,
        // better found first. The search's best is now and then a speed off, its
        // timing learnt wrongly, where a neighbouring speed is heard clearly.
        const auto heardAt = [&](const PrefixCandidate& found) {
            PrefixCandidate relative = found;
            for (double& s : relative.starts) {
                s -= static_cast<double>(base_);
            }
            HeardPrefix prefix = hearPrefix(sums_, relative);
            prefix.timing.start += static_cast<double>(base_);
            return prefix;
        };
        std::sort(
            candidate.others.begin(), candidate.others.end(),
            [](const PrefixCandidate& a, const PrefixCandidate& b) { return a.score > b.score; });
        HeardPrefix best = heardAt(candidate.found);
        for (std::size_t i = 0; i < candidate.others.size() && !best.heard; ++i) {
            best = heardAt(candidate.others[i]);
        }
        candidate.heard = best;
        candidate.others.clear();
    }
    return *candidate.heard;
}

/// Where the frame of `prefix` must end: before the next prefix heard about as clearly, or
/// past its longest payload and a word gap.
double ToneDecoder::limitAfter(std::size_t index, const HeardPrefix& prefix) {
    const FrameLayout& layout = FrameLayout::instance();
    const KeyingTiming& t = prefix.timing;
    const double shortestEnd = t.at(layout.payloadStart() + layout.shortestPayload());
    const double longestEnd =
        t.at(layout.payloadStart() + layout.longestPayload()) + t.wordGap * t.unit;
    for (std::size_t i = index + 1; i < candidates_.size(); ++i) {
        Candidate& next = candidates_[i];
        if (next.found.starts[0] < shortestEnd) {
            continue;
        }
        if (next.found.starts[0] > longestEnd + t.wordGap * t.unit) {
            break;
        }
        const HeardPrefix& heard = hear(next);
        if (heard.heard && heard.match >= prefix.match - kFainterPrefix) {
            // Its leading word gap, less a unit and a half for the timings' errors.
            return heard.timing.at({}, kLimitSlack - heard.timing.wordGap);
        }
    }
    // Past the data, the reading finds no evidence and gives "?"; a next frame's start
    // the audio holds within the frame's reach the reading takes for what it is.
    return longestEnd;
}

void ToneDecoder::dropInsideFramesRead() {
    while (!candidates_.empty() && candidates_.front().found.starts[0] < doneUntil_) {
        candidates_.erase(candidates_.begin());
    }
}

FrameReadout ToneDecoder::read(const HeardPrefix& prefix, bool placeOnly) {
    const double limit = limitAfter(0, prefix) - static_cast<double>(base_);
    KeyingTiming relative = prefix.timing;
    relative.start -= static_cast<double>(base_);
    FrameReadout reading =
        placeOnly ? placeFrame(sums_, relative, limit)
                  : readFrame(sums_, rate_, relative, limit, {settings_.minimumMargin, 0.0});
    if (!reading.text.empty()) {
        reading.timing.start += static_cast<double>(base_);
        reading.endSample += static_cast<double>(base_);
        reading.toldAt += static_cast<double>(base_);
        for (double& start : reading.starts) {
            start += static_cast<double>(base_);
        }
    }
    return reading;
}

bool ToneDecoder::readEarly() {
    dropInsideFramesRead();
    if (candidates_.empty() || end() < wantsUpTo()) {
        return false;
    }
    Candidate& c = candidates_.front();
    const HeardPrefix prefix = hear(c);
    if (!prefix.heard) {
        candidates_.erase(candidates_.begin());
        return true;
    }
    // A frame ending in doubt (lost in a fade, or cut off) is read once the longest
    // frame and the next prefix are in, by readNext().
    const KeyingTiming& t = prefix.timing;
    const FrameLayout& layout = FrameLayout::instance();
    const double longestEnd =
        t.at(layout.payloadStart() + layout.longestPayload(), t.weight) + t.wordGap * t.unit;
    c.readyAt = std::max(c.readyAt, firstChance(t));
    if (end() < c.readyAt) {
        return false;
    }
    // The characters placed first, and only once they end in the baseband the whole
    // reading, which tells whether the last group is clear.
    FrameReadout reading = read(prefix, true);
    if (frameEnded(reading, end())) {
        reading = read(prefix);
    }
    if (!frameComplete(reading, end())) {
        c.readyAt = end() < longestEnd ? nextChance(reading, t, end())
                                       : std::numeric_limits<double>::infinity();
        return false;
    }
    emit(reading);
    doneUntil_ = reading.endSample;
    candidates_.erase(candidates_.begin());
    return true;
}

bool ToneDecoder::readNext(bool final) {
    dropInsideFramesRead();
    if (candidates_.empty()) {
        return false;
    }
    Candidate& c = candidates_.front();
    // Wait until the longest frame and the next prefix after it are in.
    const double needed =
        c.found.starts[0] + (longestFrameUnits() + kNextPrefixUnits) * c.found.unit;
    if (!final && end() < needed) {
        return false;
    }
    const HeardPrefix prefix = hear(c);
    if (prefix.heard) {
        const FrameReadout reading = read(prefix);
        if (!reading.text.empty()) {
            emit(reading);
            doneUntil_ = reading.endSample;
        }
    }
    candidates_.erase(candidates_.begin());
    return true;
}

void ToneDecoder::emit(const FrameReadout& reading) {
    HeardFrame frame;
    frame.seconds = firstSeconds_ + reading.timing.start / rate_;
    frame.endSeconds = firstSeconds_ + reading.endSample / rate_;
    frame.text = reading.text;
    frame.unreadable = reading.unreadable;
    const auto from =
        static_cast<std::size_t>(std::clamp(reading.timing.start - static_cast<double>(base_), 0.0,
                                            static_cast<double>(samples_.size() - 1)));
    const auto to = static_cast<std::size_t>(
        std::clamp(reading.endSample - static_cast<double>(base_), static_cast<double>(from + 1),
                   static_cast<double>(samples_.size())));
    double tone = 0.0;
    for (std::size_t n = from; n < to; ++n) {
        tone += tones_[n];
    }
    frame.toneHz = tone / static_cast<double>(to - from);
    frame.wordsPerMinute = kUnitSecondsAtOneWpm * rate_ / reading.timing.unit;
    frame.snrDb = reading.snrDb;
    frame.confidence = reading.confidence;
    frame.margins = reading.margins;
    frames_.push_back(frame);
}

void ToneDecoder::trim() {
    // Keep what the search and the pending candidates still need, and a prefix's
    // leading gap before them. A candidate still to come starts up to a prefix before
    // where the search is.
    double keep = static_cast<double>(search_.needsFrom()) - kNextPrefixUnits * longestUnit_;
    if (!candidates_.empty()) {
        keep = std::min(keep,
                        candidates_.front().found.starts[0] - 2.0 * kLongestWordGap * longestUnit_);
    }
    if (keep < static_cast<double>(base_ + kTrimChunk)) {
        return;
    }
    const auto drop = std::min(static_cast<std::size_t>(keep) - base_, samples_.size());
    noise_.forgetBefore(static_cast<std::size_t>(keep));
    samples_.erase(samples_.begin(), samples_.begin() + static_cast<std::ptrdiff_t>(drop));
    tones_.erase(tones_.begin(), tones_.begin() + static_cast<std::ptrdiff_t>(drop));
    sums_.erase(sums_.begin(), sums_.begin() + static_cast<std::ptrdiff_t>(drop));
    base_ += drop;
}

} // namespace orvinta::cw
