// SPDX-License-Identifier: GPL-3.0-or-later
#include "cwdecoder.h"

#include "cw/audio/baseband.h"
#include "cw/audio/linetracker.h"
#include "cw/model/framelayout.h"
#include "cw/reading/framereader.h"
#include "linedecoder.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvinta::cw {
namespace {

/// A line's baseband starts this long before the line was first seen: a line stands out
/// only after a second or two of keying, and its prefix (6 s at 12 WpM) and the gap
/// before it must be in its baseband.
constexpr double kLookbackSeconds = 9.0;
/// The audio is kept this much longer: the tracker's smoothing and the finder's window
/// hold back what a new line's first seconds need.
constexpr double kTrackerDelaySeconds = 4.0;
/// Frames from two lines that start this close are the same frame, heard twice.
constexpr double kSameFrameSeconds = 1.0;
/// The frames given out are remembered this long, to know a duplicate that another line
/// reads later: longer than a frame and the next prefix take at the slowest speed, after
/// which a line that never found the frame complete reads it.
constexpr double kFramesKeptSeconds = 120.0;

/// A steady carrier this close to a frame's tone falls into the line's channel: where the
/// keying leaves the channel quiet it does not, and the likelihoods, which assume noise
/// there, overrate what they read. Its characters need this margin instead.
constexpr double kSteadyReachHz = 60.0;
constexpr double kBesideSteadyMargin = 10.0;
/// A steady line this close to a line followed is that line.
constexpr double kOwnLineHz = 10.0;
/// Moments of steady carriers and of the tones followed are kept this long: more than a
/// frame lasts at the slowest speed.
constexpr double kMomentsKeptSeconds = 60.0;
/// A frame lasts about this many units (prefix, payload, gaps).
constexpr double kFrameUnits = 300.0;

/// Turns the payload characters read by less than `margin` into "?".
void doubtBelow(double margin, HeardFrame& frame) {
    std::size_t slot = 0;
    for (std::size_t i = kFramePrefix.size(); i < frame.text.size() && slot < frame.margins.size();
         ++i) {
        if (frame.text[i] == ' ') {
            continue;
        }
        const double m = frame.margins[slot++];
        if (frame.text[i] != '?' && m < margin) {
            frame.text[i] = '?';
            ++frame.unreadable;
            frame.confidence /= chanceRight(m);
        }
    }
}

/// Of two readings of the same frame, the one with fewer "?", then the more confident.
bool better(const HeardFrame& a, const HeardFrame& b) {
    if (a.unreadable != b.unreadable) {
        return a.unreadable < b.unreadable;
    }
    return a.confidence > b.confidence;
}

} // namespace

struct CwDecoder::Line {
    Line(int lineId, const AudioFront& front, std::size_t first, const DecoderSettings& settings)
        : id(lineId)
        , mixer(front.rate(), first)
        , decoder(mixer.rate(), front.secondsOf(mixer.audioIndexOf(0.0)), settings) {}

    int id;
    LineMixer mixer;
    LineDecoder decoder;
};

CwDecoder::CwDecoder(int sampleRate, DecoderSettings settings)
    : settings_(settings)
    , front_(supportedSampleRate(sampleRate) ? std::make_unique<AudioFront>(sampleRate) : nullptr)
    , tracker_(front_ ? std::make_unique<LineTracker>(front_->rate()) : nullptr) {
}

CwDecoder::~CwDecoder() = default;

void CwDecoder::push(const float* audio, std::size_t count) {
    if (!front_) {
        return;
    }
    std::vector<SpectrumMoment> moments;
    front_->push(audio, count, moments);
    // Moment by moment, each with the audio it fell due at: what comes out does not
    // depend on the blocks the audio came in.
    for (const SpectrumMoment& moment : moments) {
        tracker_->update(moment);
        const double seconds = front_->secondsOf(moment.sample);
        for (const double hz : moment.steadyHz) {
            // A keyed line whose gaps are all shorter than a spectrum looks steady too.
            if (!tracker_->follows(hz, moment.sample, kOwnLineHz)) {
                steady_.push_back({seconds, hz, 0});
            }
        }
        follow(false, moment.due);
    }
    const double now = front_->secondsOf(static_cast<double>(front_->end()));
    forgetMomentsBefore(now - kMomentsKeptSeconds);
    std::erase_if(given_, [&](double seconds) { return seconds < now - kFramesKeptSeconds; });
}

void CwDecoder::finish() {
    if (!front_) {
        return;
    }
    tracker_->finish();
    follow(true, static_cast<double>(front_->end()));
}

void CwDecoder::follow(bool final, double due) {
    for (LineTracker::Line& tracked : tracker_->lines()) {
        feedLine(tracked, final || tracked.ended, due);
    }
    dropEndedLines();
    // Keep the audio that the lines still have to mix and a new line would look back to.
    const double keepFrom = due - (kLookbackSeconds + kTrackerDelaySeconds) * front_->rate();
    std::size_t keep = static_cast<std::size_t>(std::max(0.0, keepFrom));
    for (const auto& l : lines_) {
        keep = std::min(keep, l->mixer.next());
    }
    front_->forgetBefore(keep);
    release();
}

CwDecoder::Line& CwDecoder::lineFor(const LineTracker::Line& tracked) {
    const auto line = std::find_if(lines_.begin(), lines_.end(),
                                   [&](const auto& l) { return l->id == tracked.id; });
    if (line != lines_.end()) {
        return **line;
    }
    const double first = std::max(static_cast<double>(front_->begin()),
                                  tracked.firstSample - kLookbackSeconds * front_->rate());
    lines_.push_back(
        std::make_unique<Line>(tracked.id, *front_, static_cast<std::size_t>(first), settings_));
    return *lines_.back();
}

void CwDecoder::feedLine(LineTracker::Line& tracked, bool ended, double due) {
    Line& line = lineFor(tracked);
    for (const ToneEstimate& e : tracked.smoothed) {
        // Only where the line is heard keyed: not the lines noise starts, nor a line held
        // on along its drift through the silence after a frame.
        if (e.keyed) {
            tones_.push_back({front_->secondsOf(e.sample), e.frequencyHz, tracked.id});
        }
    }
    std::vector<std::complex<float>> baseband;
    std::vector<float> tones;
    line.mixer.mix(*front_, tracked.smoothed, ended, baseband, tones);
    tracked.smoothed.clear();
    line.decoder.push(baseband.data(), tones.data(), baseband.size());
    ToneEstimate newest;
    if (ended) {
        line.decoder.finish();
    } else if (settings_.readFramesEarly && line.mixer.indexOf(due) >= line.decoder.wantsUpTo() &&
               tracker_->newest(tracked.id, newest)) {
        // The smoothed tone lags the audio by seconds: a frame's last seconds are read on
        // the audio mixed along the newest tone.
        baseband.clear();
        tones.clear();
        line.mixer.mixAhead(*front_, newest, due, baseband, tones);
        line.decoder.lookAhead(baseband.data(), tones.data(), baseband.size());
    }
    for (HeardFrame& f : line.decoder.takeFrames()) {
        pending_.push_back(std::move(f));
    }
}

void CwDecoder::dropEndedLines() {
    for (auto l = lines_.begin(); l != lines_.end();) {
        const auto tracked = std::find_if(tracker_->lines().begin(), tracker_->lines().end(),
                                          [&](const auto& t) { return t.id == (*l)->id; });
        if (tracked == tracker_->lines().end() || tracked->ended) {
            tracker_->forget((*l)->id);
            l = lines_.erase(l);
        } else {
            ++l;
        }
    }
}

void CwDecoder::release() {
    std::sort(pending_.begin(), pending_.end(),
              [](const HeardFrame& a, const HeardFrame& b) { return a.seconds < b.seconds; });
    for (std::size_t done = 0; done < pending_.size();) {
        // The frame and its duplicates from other lines read at once: the best of them.
        std::size_t end = done + 1;
        HeardFrame best = pending_[done];
        while (end < pending_.size() &&
               pending_[end].seconds - pending_[done].seconds < kSameFrameSeconds) {
            if (better(pending_[end], best)) {
                best = pending_[end];
            }
            ++end;
        }
        done = end;
        // A duplicate of a frame given out already, read later on another line.
        if (std::any_of(given_.begin(), given_.end(), [&](double seconds) {
                return std::abs(seconds - best.seconds) < kSameFrameSeconds;
            })) {
            continue;
        }
        if (besideSteadyCarrier(best)) {
            doubtBelow(kBesideSteadyMargin, best);
        }
        // A prefix followed by nothing readable (the audio ends after it) is no frame.
        if (best.unreadable >= kPayloadSlots) {
            continue;
        }
        given_.push_back(best.seconds);
        frames_.push_back(std::move(best));
    }
    pending_.clear();
}

bool CwDecoder::besideSteadyCarrier(const HeardFrame& frame) const {
    const double lasts = kFrameUnits * kUnitSecondsAtOneWpm / std::max(frame.wordsPerMinute, 1.0);
    return std::any_of(steady_.begin(), steady_.end(), [&](const FollowedTone& s) {
        return s.seconds >= frame.seconds && s.seconds <= frame.seconds + lasts &&
               std::abs(s.hz - frame.toneHz) <= kSteadyReachHz;
    });
}

void CwDecoder::forgetMomentsBefore(double seconds) {
    const auto older = [&](const FollowedTone& t) { return t.seconds < seconds; };
    while (!steady_.empty() && older(steady_.front())) {
        steady_.pop_front();
    }
    std::erase_if(tones_, older);
}

std::size_t CwDecoder::heldSamples() const {
    std::size_t held = front_ ? front_->end() - front_->begin() : 0;
    for (const auto& l : lines_) {
        held += l->decoder.held();
    }
    return held;
}

std::vector<HeardFrame> CwDecoder::takeFrames() {
    std::vector<HeardFrame> frames;
    frames.swap(frames_);
    return frames;
}

std::vector<FollowedTone> CwDecoder::takeTones() {
    std::vector<FollowedTone> tones;
    tones.swap(tones_);
    return tones;
}

} // namespace orvinta::cw
