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
    : m_settings(settings)
    , m_rate(rate)
    , m_firstSeconds(firstSeconds)
    , m_sums(1)
    , m_noise(rate)
    , m_search(kUnitSecondsAtOneWpm / settings.fastestWpm * rate,
               kUnitSecondsAtOneWpm / settings.slowestWpm * rate)
    , m_longestUnit(kUnitSecondsAtOneWpm / settings.slowestWpm * rate) {
}

void ToneDecoder::push(const std::complex<float>* samples, const float* tones, std::size_t count) {
    m_samples.insert(m_samples.end(), samples, samples + count);
    m_tones.insert(m_tones.end(), tones, tones + count);
    for (std::size_t n = 0; n < count; ++n) {
        m_sums.push_back(m_sums.back() + std::complex<double>(samples[n]));
    }
    m_noise.push(samples, count);
    process(false);
}

void ToneDecoder::finish() {
    process(true);
}

void ToneDecoder::lookAhead(const std::complex<float>* samples, const float* tones,
                            std::size_t count) {
    const std::size_t held = m_samples.size();
    m_samples.insert(m_samples.end(), samples, samples + count);
    m_tones.insert(m_tones.end(), tones, tones + count);
    for (std::size_t n = 0; n < count; ++n) {
        m_sums.push_back(m_sums.back() + std::complex<double>(samples[n]));
    }
    while (readEarly()) {
    }
    m_samples.resize(held);
    m_tones.resize(held);
    m_sums.resize(held + 1);
}

double ToneDecoder::wantsUpTo() const {
    if (m_candidates.empty()) {
        return std::numeric_limits<double>::infinity();
    }
    const PrefixCandidate& c = m_candidates.front().found;
    const double settled =
        c.starts[0] + kSlowerLanes * (c.starts.back() - c.starts[0] + kReportUnits * c.unit);
    return std::max(settled, m_candidates.front().readyAt);
}

std::vector<HeardFrame> ToneDecoder::takeFrames() {
    std::vector<HeardFrame> frames;
    frames.swap(m_frames);
    return frames;
}

void ToneDecoder::process(bool final) {
    std::vector<PrefixCandidate> found;
    m_search.advance(m_sums, m_base, m_noise, found);
    for (const PrefixCandidate& c : found) {
        m_candidates.push_back({c, {}, std::nullopt});
    }
    std::sort(m_candidates.begin(), m_candidates.end(), [](const Candidate& a, const Candidate& b) {
        return a.found.starts[0] < b.found.starts[0];
    });
    // The same prefix found at neighbouring speeds: the best found leads, the others stay
    // beside it until it is heard.
    std::vector<Candidate> kept;
    for (Candidate& c : m_candidates) {
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
    m_candidates = std::move(kept);
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
                s -= static_cast<double>(m_base);
            }
            HeardPrefix prefix = hearPrefix(m_sums, relative);
            prefix.timing.start += static_cast<double>(m_base);
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
/// past its longest payload and a word gap; and whether a next prefix was heard at all.
ToneDecoder::FrameEnd ToneDecoder::limitAfter(std::size_t index, const HeardPrefix& prefix) {
    const FrameLayout& layout = FrameLayout::instance();
    const KeyingTiming& t = prefix.timing;
    const double shortestEnd = t.at(layout.payloadStart() + layout.shortestPayload());
    const double longestEnd =
        t.at(layout.payloadStart() + layout.longestPayload()) + t.wordGap * t.unit;
    bool nextHeard = false;
    for (std::size_t i = index + 1; i < m_candidates.size(); ++i) {
        Candidate& next = m_candidates[i];
        if (next.found.starts[0] < shortestEnd) {
            continue;
        }
        if (next.found.starts[0] > longestEnd + t.wordGap * t.unit) {
            break;
        }
        const HeardPrefix& heard = hear(next);
        nextHeard = nextHeard || heard.heard;
        if (heard.heard && heard.match >= prefix.match - kFainterPrefix) {
            // Its leading word gap, less a unit and a half for the timings' errors.
            return {heard.timing.at({}, kLimitSlack - heard.timing.wordGap), true};
        }
    }
    // Past the data, the reading finds no evidence and gives "?"; a next frame's start
    // the audio holds within the frame's reach the reading takes for what it is.
    return {longestEnd, nextHeard};
}

void ToneDecoder::dropInsideFramesRead() {
    while (!m_candidates.empty() && m_candidates.front().found.starts[0] < m_doneUntil) {
        m_candidates.erase(m_candidates.begin());
    }
}

FrameReadout ToneDecoder::read(const HeardPrefix& prefix, bool placeOnly) {
    const FrameEnd frameEnd = limitAfter(0, prefix);
    const double limit = frameEnd.limit - static_cast<double>(m_base);
    KeyingTiming relative = prefix.timing;
    relative.start -= static_cast<double>(m_base);
    FrameReadout reading = placeOnly
                               ? placeFrame(m_sums, relative, limit)
                               : readFrame(m_sums, m_rate, relative, limit,
                                           {m_settings.minimumMargin, 0.0, frameEnd.nextHeard});
    if (!reading.text.empty()) {
        reading.timing.start += static_cast<double>(m_base);
        reading.endSample += static_cast<double>(m_base);
        reading.toldAt += static_cast<double>(m_base);
        for (double& start : reading.starts) {
            start += static_cast<double>(m_base);
        }
    }
    return reading;
}

bool ToneDecoder::readEarly() {
    dropInsideFramesRead();
    if (m_candidates.empty() || end() < wantsUpTo()) {
        return false;
    }
    Candidate& c = m_candidates.front();
    const HeardPrefix prefix = hear(c);
    if (!prefix.heard) {
        m_candidates.erase(m_candidates.begin());
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
    m_doneUntil = reading.endSample;
    m_candidates.erase(m_candidates.begin());
    return true;
}

bool ToneDecoder::readNext(bool final) {
    dropInsideFramesRead();
    if (m_candidates.empty()) {
        return false;
    }
    Candidate& c = m_candidates.front();
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
            m_doneUntil = reading.endSample;
        }
    }
    m_candidates.erase(m_candidates.begin());
    return true;
}

void ToneDecoder::emit(const FrameReadout& reading) {
    HeardFrame frame;
    frame.seconds = m_firstSeconds + reading.timing.start / m_rate;
    frame.endSeconds = m_firstSeconds + reading.endSample / m_rate;
    frame.text = reading.text;
    frame.unreadable = reading.unreadable;
    const auto from =
        static_cast<std::size_t>(std::clamp(reading.timing.start - static_cast<double>(m_base), 0.0,
                                            static_cast<double>(m_samples.size() - 1)));
    const auto to = static_cast<std::size_t>(
        std::clamp(reading.endSample - static_cast<double>(m_base), static_cast<double>(from + 1),
                   static_cast<double>(m_samples.size())));
    double tone = 0.0;
    for (std::size_t n = from; n < to; ++n) {
        tone += m_tones[n];
    }
    frame.toneHz = tone / static_cast<double>(to - from);
    frame.wordsPerMinute = kUnitSecondsAtOneWpm * m_rate / reading.timing.unit;
    frame.snrDb = reading.snrDb;
    frame.confidence = reading.confidence;
    frame.margins = reading.margins;
    frame.guess = reading.guess;
    m_frames.push_back(frame);
}

void ToneDecoder::trim() {
    // Keep what the search and the pending candidates still need, and a prefix's
    // leading gap before them. A candidate still to come starts up to a prefix before
    // where the search is.
    double keep = static_cast<double>(m_search.needsFrom()) - kNextPrefixUnits * m_longestUnit;
    if (!m_candidates.empty()) {
        keep = std::min(keep, m_candidates.front().found.starts[0] -
                                  2.0 * kLongestWordGap * m_longestUnit);
    }
    if (keep < static_cast<double>(m_base + kTrimChunk)) {
        return;
    }
    const auto drop = std::min(static_cast<std::size_t>(keep) - m_base, m_samples.size());
    m_noise.forgetBefore(static_cast<std::size_t>(keep));
    m_samples.erase(m_samples.begin(), m_samples.begin() + static_cast<std::ptrdiff_t>(drop));
    m_tones.erase(m_tones.begin(), m_tones.begin() + static_cast<std::ptrdiff_t>(drop));
    m_sums.erase(m_sums.begin(), m_sums.begin() + static_cast<std::ptrdiff_t>(drop));
    m_base += drop;
}

} // namespace orvinta::cw
