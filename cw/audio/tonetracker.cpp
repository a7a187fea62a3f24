// SPDX-License-Identifier: GPL-3.0-or-later
#include "tonetracker.h"

#include <algorithm>
#include <cmath>

namespace orvinta::cw {
namespace {

/// A tone takes the strongest peak this close to its frequency: drift of 15 Hz/s moves a
/// tone by 2 Hz between two analyses, and the peak of a drifting tone wanders a little.
constexpr double kFollowHz = 40.0;
/// A new tone starts where a peak at least this strong over the floor (some 4 dB, far
/// beyond what noise reaches) stays clear of the tones followed for this many analyses
/// in a row (about half a second).
constexpr double kBirthStrength = 2.5;
constexpr int kBirthAnalyses = 4;
/// While a tone is silent its frequency goes on along its last drift, which may change by up
/// to this much per second (Doppler near the pass's middle): the tone takes a peak
/// that much further off for every second of silence, up to the widest reach, short of
/// the nearest other stations.
constexpr double kSilentDriftHz = 10.0;
constexpr double kWidestFollowHz = 100.0;
/// The fastest drift a tone goes on along while silent, learnt from estimates whose
/// times spread this much (standard deviation) at least.
constexpr double kFastestDriftHz = 20.0;
constexpr double kDriftSpreadSeconds = 0.6;
/// A tone silent this long takes up again only a peak as strong as a new tone's: a
/// stray peak of the noise would lead it astray while the next frame has not begun.
constexpr double kSilentSeconds = 1.0;
/// Tones are at least this far apart: nearer peaks belong to the same tone.
constexpr double kSeparationHz = 50.0;
/// Tones followed at once; a new one replaces the one silent longest.
constexpr std::size_t kMostLines = 6;
/// A tone ends after this long without a peak: the beacon's frames come far more often.
constexpr double kLifetimeSeconds = 30.0;
/// Raw estimates a straight line is fitted to (about three seconds).
constexpr std::size_t kSmoothedEstimates = 24;
/// A tone is keyed around a moment when at least this many of the analyses fitted there
/// (half a second of them) found its peak this strong over the floor (about 7 dB): tones
/// that white or speech-like noise starts stay below that count, a beacon at the weakest
/// signals read reaches it through most of its frames (ToneTraceTest in tests/cw keeps
/// both).
constexpr double kKeyedStrength = 5.0;
constexpr std::size_t kKeyedAnalyses = 4;

} // namespace

void ToneTracker::update(const SpectrumMoment& moment) {
    std::vector<bool> taken(moment.peaks.size(), false);
    assign(moment, taken);
    welcome(moment, taken);
    retire(moment.sample);
}

double ToneTracker::Followed::expectedHz(double sample) const {
    return frequencyHz + slopeHzPerSample * (sample - lastSeen);
}

std::size_t ToneTracker::peakFor(const Followed& f, const SpectrumMoment& moment,
                                 const std::vector<bool>& taken) const {
    // The strongest peak near the tone expected; failing that, after a silence, the
    // nearest one within the reach the drift may have taken it.
    const double expected = f.expectedHz(moment.sample);
    const double silent = (moment.sample - f.lastSeen) / m_sampleRate;
    const double reach = std::min(kWidestFollowHz, kFollowHz + kSilentDriftHz * silent);
    std::size_t strongest = moment.peaks.size();
    std::size_t nearest = moment.peaks.size();
    for (std::size_t p = 0; p < moment.peaks.size(); ++p) {
        const TonePeak& peak = moment.peaks[p];
        const double off = std::abs(peak.frequencyHz - expected);
        if (taken[p] || off > reach ||
            (silent > kSilentSeconds && peak.strength < kBirthStrength)) {
            continue;
        }
        if (off <= kFollowHz && (strongest == moment.peaks.size() ||
                                 peak.strength > moment.peaks[strongest].strength)) {
            strongest = p;
        }
        if (nearest == moment.peaks.size() ||
            off < std::abs(moment.peaks[nearest].frequencyHz - expected)) {
            nearest = p;
        }
    }
    return strongest < moment.peaks.size() ? strongest : nearest;
}

void ToneTracker::assign(const SpectrumMoment& moment, std::vector<bool>& taken) {
    for (Followed& f : m_followed) {
        const std::size_t best = peakFor(f, moment, taken);
        Raw raw{moment.sample, moment.sample, f.expectedHz(moment.sample), 0.0};
        if (best < moment.peaks.size()) {
            const TonePeak& peak = moment.peaks[best];
            taken[best] = true;
            raw = {moment.sample, peak.sample, peak.frequencyHz, peak.strength};
            f.frequencyHz = peak.frequencyHz;
            f.lastSeen = peak.sample;
        }
        f.raw.push_back(raw);
        if (f.raw.size() == kSmoothedEstimates) {
            emitSmoothed(f, kSmoothedEstimates / 2);
            f.raw.pop_front();
            f.smoothing = true;
        }
    }
}

void ToneTracker::welcome(const SpectrumMoment& moment, const std::vector<bool>& taken) {
    for (Newcomer& n : m_newcomers) {
        n.matched = false;
    }
    for (std::size_t p = 0; p < moment.peaks.size(); ++p) {
        const TonePeak& peak = moment.peaks[p];
        const bool clear =
            std::none_of(m_followed.begin(), m_followed.end(), [&](const Followed& f) {
                return std::abs(f.expectedHz(moment.sample) - peak.frequencyHz) < kSeparationHz;
            });
        if (taken[p] || !clear || peak.strength < kBirthStrength) {
            continue;
        }
        auto n = std::find_if(m_newcomers.begin(), m_newcomers.end(), [&](const Newcomer& c) {
            return !c.matched && std::abs(c.frequencyHz - peak.frequencyHz) <= kFollowHz;
        });
        if (n == m_newcomers.end()) {
            m_newcomers.push_back({peak.frequencyHz, 0, false});
            n = m_newcomers.end() - 1;
        }
        n->frequencyHz = peak.frequencyHz;
        n->matched = true;
        if (++n->seen < kBirthAnalyses) {
            continue;
        }
        if (m_followed.size() == kMostLines) {
            // Make room: the tone silent longest ends.
            const auto oldest = std::min_element(
                m_followed.begin(), m_followed.end(),
                [](const Followed& a, const Followed& b) { return a.lastSeen < b.lastSeen; });
            flush(*oldest);
            m_followed.erase(oldest);
        }
        Followed f;
        f.id = m_nextId++;
        f.frequencyHz = peak.frequencyHz;
        f.lastSeen = moment.sample;
        m_followed.push_back(f);
        m_tones.push_back({f.id, moment.sample, false, {}});
        n->seen = -1; // born: drop below
    }
    std::erase_if(m_newcomers, [](const Newcomer& n) { return !n.matched || n.seen < 0; });
}

bool ToneTracker::follows(double hz, double sample, double reachHz) const {
    return std::any_of(m_followed.begin(), m_followed.end(), [&](const Followed& f) {
        return std::abs(f.expectedHz(sample) - hz) <= reachHz;
    });
}

void ToneTracker::retire(double now) {
    for (auto f = m_followed.begin(); f != m_followed.end();) {
        if (now - f->lastSeen > kLifetimeSeconds * m_sampleRate) {
            flush(*f);
            f = m_followed.erase(f);
        } else {
            ++f;
        }
    }
}

ToneEstimate ToneTracker::fitted(const Followed& f, double moment, double fallbackHz,
                                 double sampleRate, double& slope) {
    // A straight line fitted to the estimates where they were heard, each counting by
    // how far it stands above the noise.
    double w = 0.0;
    double wt = 0.0;
    double wf = 0.0;
    double wtt = 0.0;
    double wtf = 0.0;
    for (const Raw& r : f.raw) {
        const double weight = std::max(0.0, r.strength - 1.0);
        const double t = r.heard - moment;
        w += weight;
        wt += weight * t;
        wf += weight * r.frequencyHz;
        wtt += weight * t * t;
        wtf += weight * t * r.frequencyHz;
    }
    ToneEstimate estimate{moment, fallbackHz, 0.0, 0.0};
    // The drift is learnt only from estimates spread over a good part of the window;
    // estimates bunched at one end (a frame's start or end) keep the drift learnt before.
    const double spread = kDriftSpreadSeconds * sampleRate;
    const double determinant = w * wtt - wt * wt;
    if (w > 0.0 && determinant >= w * w * spread * spread) {
        const double fastest = kFastestDriftHz / sampleRate;
        slope = std::clamp((w * wtf - wt * wf) / determinant, -fastest, fastest);
    }
    if (w > 0.0) {
        estimate.frequencyHz = (wf - slope * wt) / w;
    }
    estimate.slopeHzPerSample = slope;
    return estimate;
}

void ToneTracker::emitSmoothed(Followed& f, std::size_t middle) {
    // Read at the analysis in the middle of the fit.
    const Raw& centre = f.raw[middle];
    ToneEstimate smoothed =
        fitted(f, centre.moment, centre.frequencyHz, m_sampleRate, f.slopeHzPerSample);
    smoothed.strength = centre.strength;
    smoothed.keyed =
        static_cast<std::size_t>(std::count_if(f.raw.begin(), f.raw.end(), [](const Raw& r) {
            return r.strength >= kKeyedStrength;
        })) >= kKeyedAnalyses;
    if (Tone* tone = toneOf(f.id)) {
        tone->smoothed.push_back(smoothed);
    }
}

bool ToneTracker::newest(int id, ToneEstimate& estimate) const {
    const auto f = std::find_if(m_followed.begin(), m_followed.end(),
                                [&](const Followed& l) { return l.id == id; });
    if (f == m_followed.end() || f->raw.empty()) {
        return false;
    }
    const double moment = f->raw.back().moment;
    double slope = f->slopeHzPerSample;
    estimate = fitted(*f, moment, f->expectedHz(moment), m_sampleRate, slope);
    return true;
}

void ToneTracker::flush(Followed& f) {
    // Once the window has been full, the estimates up to its middle are out already.
    const std::size_t from = f.smoothing ? kSmoothedEstimates / 2 : 0;
    for (std::size_t middle = from; middle < f.raw.size(); ++middle) {
        emitSmoothed(f, middle);
    }
    f.raw.clear();
    if (Tone* tone = toneOf(f.id)) {
        tone->ended = true;
    }
}

void ToneTracker::finish() {
    for (Followed& f : m_followed) {
        flush(f);
    }
    m_followed.clear();
}

ToneTracker::Tone* ToneTracker::toneOf(int id) {
    const auto it =
        std::find_if(m_tones.begin(), m_tones.end(), [&](const Tone& t) { return t.id == id; });
    return it == m_tones.end() ? nullptr : &*it;
}

void ToneTracker::forget(int id) {
    std::erase_if(m_tones, [&](const Tone& t) { return t.id == id; });
}

} // namespace orvinta::cw
