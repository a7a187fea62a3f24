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
    : m_settings(settings)
    , m_front(supportedSampleRate(sampleRate) ? std::make_unique<AudioFront>(sampleRate) : nullptr)
    , m_tracker(m_front ? std::make_unique<ToneTracker>(m_front->rate()) : nullptr) {
}

CwDecoder::~CwDecoder() = default;

void CwDecoder::push(const float* audio, std::size_t count) {
    if (!m_front) {
        return;
    }
    std::vector<SpectrumMoment> moments;
    m_front->push(audio, count, moments);
    // Moment by moment, each with the audio it fell due at: what comes out does not
    // depend on the blocks the audio came in.
    for (const SpectrumMoment& moment : moments) {
        m_tracker->update(moment);
        const double seconds = m_front->secondsOf(moment.sample);
        for (const double hz : moment.steadyHz) {
            // A keyed tone whose gaps are all shorter than a spectrum looks steady too.
            if (!m_tracker->follows(hz, moment.sample, kOwnToneHz)) {
                m_steady.push_back({seconds, hz, 0});
            }
        }
        follow(false, moment.due);
    }
    const double now = m_front->secondsOf(static_cast<double>(m_front->end()));
    forgetMomentsBefore(now - kMomentsKeptSeconds);
    std::erase_if(m_given, [&](double seconds) { return seconds < now - kFramesKeptSeconds; });
}

void CwDecoder::finish() {
    if (!m_front) {
        return;
    }
    m_tracker->finish();
    follow(true, static_cast<double>(m_front->end()));
}

void CwDecoder::follow(bool final, double due) {
    for (ToneTracker::Tone& tracked : m_tracker->tones()) {
        feedTone(tracked, final || tracked.ended, due);
    }
    dropEndedTones();
    // Keep the audio that the tones still have to mix and a new tone would look back to.
    const double keepFrom = due - (kLookbackSeconds + kTrackerDelaySeconds) * m_front->rate();
    std::size_t keep = static_cast<std::size_t>(std::max(0.0, keepFrom));
    for (const auto& tone : m_tones) {
        keep = std::min(keep, tone->mixer.next());
    }
    m_front->forgetBefore(keep);
    release();
}

CwDecoder::Tone& CwDecoder::toneFor(const ToneTracker::Tone& tracked) {
    const auto tone = std::find_if(m_tones.begin(), m_tones.end(),
                                   [&](const auto& t) { return t->id == tracked.id; });
    if (tone != m_tones.end()) {
        return **tone;
    }
    const double first = std::max(static_cast<double>(m_front->begin()),
                                  tracked.firstSample - kLookbackSeconds * m_front->rate());
    m_tones.push_back(
        std::make_unique<Tone>(tracked.id, *m_front, static_cast<std::size_t>(first), m_settings));
    return *m_tones.back();
}

void CwDecoder::feedTone(ToneTracker::Tone& tracked, bool ended, double due) {
    Tone& tone = toneFor(tracked);
    for (const ToneEstimate& e : tracked.smoothed) {
        // Only where the tone is heard keyed: not the tones noise starts, nor a tone held
        // on along its drift through the silence after a frame.
        if (e.keyed) {
            m_followed.push_back({m_front->secondsOf(e.sample), e.frequencyHz, tracked.id});
        }
    }
    std::vector<std::complex<float>> baseband;
    std::vector<float> tones;
    tone.mixer.mix(*m_front, tracked.smoothed, ended, baseband, tones);
    tracked.smoothed.clear();
    tone.decoder.push(baseband.data(), tones.data(), baseband.size());
    ToneEstimate newest;
    if (ended) {
        tone.decoder.finish();
    } else if (m_settings.readFramesEarly && tone.mixer.indexOf(due) >= tone.decoder.wantsUpTo() &&
               m_tracker->newest(tracked.id, newest)) {
        // The smoothed tone lags the audio by seconds: a frame's last seconds are read on
        // the audio mixed along the newest tone.
        baseband.clear();
        tones.clear();
        tone.mixer.mixAhead(*m_front, newest, due, baseband, tones);
        tone.decoder.lookAhead(baseband.data(), tones.data(), baseband.size());
    }
    for (HeardFrame& f : tone.decoder.takeFrames()) {
        m_pending.push_back(std::move(f));
    }
}

void CwDecoder::dropEndedTones() {
    for (auto tone = m_tones.begin(); tone != m_tones.end();) {
        const auto tracked = std::find_if(m_tracker->tones().begin(), m_tracker->tones().end(),
                                          [&](const auto& t) { return t.id == (*tone)->id; });
        if (tracked == m_tracker->tones().end() || tracked->ended) {
            m_tracker->forget((*tone)->id);
            tone = m_tones.erase(tone);
        } else {
            ++tone;
        }
    }
}

void CwDecoder::release() {
    std::sort(m_pending.begin(), m_pending.end(),
              [](const HeardFrame& a, const HeardFrame& b) { return a.seconds < b.seconds; });
    for (std::size_t done = 0; done < m_pending.size();) {
        // The frame and its duplicates from other tones read at once: the best of them.
        std::size_t end = done + 1;
        HeardFrame best = m_pending[done];
        while (end < m_pending.size() &&
               m_pending[end].seconds - m_pending[done].seconds < kSameFrameSeconds) {
            if (better(m_pending[end], best)) {
                best = m_pending[end];
            }
            ++end;
        }
        done = end;
        // A duplicate of a frame given out already, read later on another tone.
        if (std::any_of(m_given.begin(), m_given.end(), [&](double seconds) {
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
        m_given.push_back(best.seconds);
        m_frames.push_back(std::move(best));
    }
    m_pending.clear();
}

bool CwDecoder::besideSteadyCarrier(const HeardFrame& frame) const {
    const double lasts = kFrameUnits * kUnitSecondsAtOneWpm / std::max(frame.wordsPerMinute, 1.0);
    return std::any_of(m_steady.begin(), m_steady.end(), [&](const FollowedTone& s) {
        return s.seconds >= frame.seconds && s.seconds <= frame.seconds + lasts &&
               std::abs(s.hz - frame.toneHz) <= kSteadyReachHz;
    });
}

void CwDecoder::forgetMomentsBefore(double seconds) {
    const auto older = [&](const FollowedTone& t) { return t.seconds < seconds; };
    while (!m_steady.empty() && older(m_steady.front())) {
        m_steady.pop_front();
    }
    std::erase_if(m_followed, older);
}

std::size_t CwDecoder::heldSamples() const {
    std::size_t held = m_front ? m_front->end() - m_front->begin() : 0;
    for (const auto& tone : m_tones) {
        held += tone->decoder.held();
    }
    return held;
}

std::vector<HeardFrame> CwDecoder::takeFrames() {
    std::vector<HeardFrame> frames;
    frames.swap(m_frames);
    return frames;
}

std::vector<FollowedTone> CwDecoder::takeTones() {
    std::vector<FollowedTone> tones;
    tones.swap(m_followed);
    return tones;
}

} // namespace orvinta::cw
