// SPDX-License-Identifier: GPL-3.0-or-later
#include "cwdecoder.h"

#include "cw/audio/baseband.h"
#include "cw/audio/tonetracker.h"
#include "cw/model/framelayout.h"
#include "cw/reading/framereader.h"
#include "tonedecoder.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvinta::cw {
namespace {

/// A tone's baseband starts this long before the tone was first seen: a tone stands out
/// only after a second or two of keying, and its prefix (6 s at 12 WpM) and the gap
/// before it must be in its baseband.
constexpr double kLookbackSeconds = 9.0;
/// The audio is kept this much longer: the tracker's smoothing and the finder's window
/// hold back what a new tone's first seconds need.
constexpr double kTrackerDelaySeconds = 4.0;
/// Frames from two tones that start this close are the same frame, heard twice.
constexpr double kSameFrameSeconds = 1.0;
/// The frames given out are remembered this long, to know a duplicate that another tone
/// reads later: longer than a frame and the next prefix take at the slowest speed, after
/// which a tone that never found the frame complete reads it.
constexpr double kFramesKeptSeconds = 120.0;

/// A steady carrier this close to a frame's tone falls into the tone's channel: where the
/// keying leaves the channel quiet it does not, and the likelihoods, which assume noise
/// there, overrate what they read. Its characters need this margin instead.
constexpr double kSteadyReachHz = 60.0;
constexpr double kBesideSteadyMargin = 10.0;
/// A steady carrier this close to a tone followed is that tone.
constexpr double kOwnToneHz = 10.0;
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

struct CwDecoder::Tone {
    Tone(int toneId, const AudioFront& front, std::size_t first, const DecoderSettings& settings)
        : id(toneId)
        , mixer(front.rate(), first)
        , decoder(mixer.rate(), front.secondsOf(mixer.audioIndexOf(0.0)), settings) {}

    int id;
    ToneMixer mixer;
    ToneDecoder decoder;
};

CwDecoder::CwDecoder(int sampleRate, DecoderSettings settings)
    : settings_(settings)
    , front_(supportedSampleRate(sampleRate) ? std::make_unique<AudioFront>(sampleRate) : nullptr)
    , tracker_(front_ ? std::make_unique<ToneTracker>(front_->rate()) : nullptr) {
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
            // A keyed tone whose gaps are all shorter than a spectrum looks steady too.
            if (!tracker_->follows(hz, moment.sample, kOwnToneHz)) {
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
    for (ToneTracker::Tone& tracked : tracker_->tones()) {
        feedTone(tracked, final || tracked.ended, due);
    }
    dropEndedTones();
    // Keep the audio that the tones still have to mix and a new tone would look back to.
    const double keepFrom = due - (kLookbackSeconds + kTrackerDelaySeconds) * front_->rate();
    std::size_t keep = static_cast<std::size_t>(std::max(0.0, keepFrom));
    for (const auto& tone : tones_) {
        keep = std::min(keep, tone->mixer.next());
    }
    front_->forgetBefore(keep);
    release();
}

CwDecoder::Tone& CwDecoder::toneFor(const ToneTracker::Tone& tracked) {
    const auto tone = std::find_if(tones_.begin(), tones_.end(),
                                   [&](const auto& t) { return t->id == tracked.id; });
    if (tone != tones_.end()) {
        return **tone;
    }
    const double first = std::max(static_cast<double>(front_->begin()),
                                  tracked.firstSample - kLookbackSeconds * front_->rate());
    tones_.push_back(
        std::make_unique<Tone>(tracked.id, *front_, static_cast<std::size_t>(first), settings_));
    return *tones_.back();
}

void CwDecoder::feedTone(ToneTracker::Tone& tracked, bool ended, double due) {
    Tone& tone = toneFor(tracked);
    for (const ToneEstimate& e : tracked.smoothed) {
        // Only where the tone is heard keyed: not the tones noise starts, nor a tone held
        // on along its drift through the silence after a frame.
        if (e.keyed) {
            followed_.push_back({front_->secondsOf(e.sample), e.frequencyHz, tracked.id});
        }
    }
    std::vector<std::complex<float>> baseband;
    std::vector<float> tones;
    tone.mixer.mix(*front_, tracked.smoothed, ended, baseband, tones);
    tracked.smoothed.clear();
    tone.decoder.push(baseband.data(), tones.data(), baseband.size());
    ToneEstimate newest;
    if (ended) {
        tone.decoder.finish();
    } else if (settings_.readFramesEarly && tone.mixer.indexOf(due) >= tone.decoder.wantsUpTo() &&
               tracker_->newest(tracked.id, newest)) {
        // The smoothed tone lags the audio by seconds: a frame's last seconds are read on
        // the audio mixed along the newest tone.
        baseband.clear();
        tones.clear();
        tone.mixer.mixAhead(*front_, newest, due, baseband, tones);
        tone.decoder.lookAhead(baseband.data(), tones.data(), baseband.size());
    }
    for (HeardFrame& f : tone.decoder.takeFrames()) {
        pending_.push_back(std::move(f));
    }
}

void CwDecoder::dropEndedTones() {
    for (auto tone = tones_.begin(); tone != tones_.end();) {
        const auto tracked = std::find_if(tracker_->tones().begin(), tracker_->tones().end(),
                                          [&](const auto& t) { return t.id == (*tone)->id; });
        if (tracked == tracker_->tones().end() || tracked->ended) {
            tracker_->forget((*tone)->id);
            tone = tones_.erase(tone);
        } else {
            ++tone;
        }
    }
}

void CwDecoder::release() {
    std::sort(pending_.begin(), pending_.end(),
              [](const HeardFrame& a, const HeardFrame& b) { return a.seconds < b.seconds; });
    for (std::size_t done = 0; done < pending_.size();) {
        // The frame and its duplicates from other tones read at once: the best of them.
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
        // A duplicate of a frame given out already, read later on another tone.
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
    std::erase_if(followed_, older);
}

std::size_t CwDecoder::heldSamples() const {
    std::size_t held = front_ ? front_->end() - front_->begin() : 0;
    for (const auto& tone : tones_) {
        held += tone->decoder.held();
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
    tones.swap(followed_);
    return tones;
}

} // namespace orvinta::cw
