// SPDX-License-Identifier: GPL-3.0-or-later
#include "baseband.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <numbers>

namespace orvinta::cw {
namespace {

constexpr double kLowestToneHz = 200.0;
constexpr double kHighestToneHz = 3000.0;
/// Margin around the tone band kept by the first decimation, for drift at the edges.
constexpr double kBandEdgeHz = 3300.0;
constexpr double kSpectrumSeconds = 0.25;
constexpr double kTrackSeconds = 3.0;
/// Raw estimates (one per half spectrum) a straight line is fitted to.
constexpr std::size_t kSmoothedEstimates = 24;
/// The tracker looks this far around the last tone for the line to follow, unless a
/// line this many times stronger shows up elsewhere.
constexpr double kFollowHz = 40.0;
constexpr double kJumpRatio = 2.0;
/// A line whose quietest spectrum in the window stays above this many times the typical
/// quietest spectrum of a bin (noise) is never off: not a keyed tone.
constexpr double kKeyedQuietRatio = 4.0;
/// Nor is a strong line whose quietest spectrum keeps this share of its mean.
constexpr double kKeyedDepth = 0.1;
/// Half the width of the tone's channel: a steady line this close passes the matched
/// filter of a unit at the highest speeds.
constexpr double kChannelHz = 60.0;
/// A steady line stands clearly above the noise: its quietest spectrum is this many
/// times the quietest a keyed line may have.
constexpr double kSteadyQuietRatio = 3.0;
constexpr double kBasebandRate = 400.0;
constexpr double kBasebandPassHz = 120.0;
constexpr double kBasebandStopHz = 280.0;

std::size_t nextPowerOfTwo(double value) {
    std::size_t n = 1;
    while (static_cast<double>(n) < value) {
        n <<= 1U;
    }
    return n;
}

/// The factor that mixes a sample down by `phase`.
std::complex<double> rotation(double phase) {
    return {std::cos(phase), -std::sin(phase)};
}

/// Samples between exact evaluations of the mixing oscillator; in between it turns by
/// complex multiplication.
constexpr int kOscillatorRefresh = 32;

std::size_t audioFactor(int sampleRate) {
    return std::max<std::size_t>(1, static_cast<std::size_t>(sampleRate / 8000));
}

/// FFTW's planner is not thread-safe: decoders on several threads take turns.
std::mutex& planner() {
    static std::mutex mutex;
    return mutex;
}

} // namespace

struct ToneTracker::Plan {
    explicit Plan(std::size_t size)
        : in(static_cast<float*>(fftwf_malloc(sizeof(float) * size)))
        , out(static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * (size / 2 + 1)))) {
        const std::lock_guard<std::mutex> lock(planner());
        plan = fftwf_plan_dft_r2c_1d(static_cast<int>(size), in, out, FFTW_ESTIMATE);
    }
    ~Plan() {
        {
            const std::lock_guard<std::mutex> lock(planner());
            fftwf_destroy_plan(plan);
        }
        fftwf_free(out);
        fftwf_free(in);
    }
    Plan(const Plan&) = delete;
    Plan& operator=(const Plan&) = delete;

    float* in;
    fftwf_complex* out;
    fftwf_plan plan = nullptr;
};

ToneTracker::ToneTracker(double sampleRate)
    : sampleRate_(sampleRate)
    , size_(nextPowerOfTwo(sampleRate * kSpectrumSeconds))
    , hop_(size_ / 2)
    , firstBin_(static_cast<std::size_t>(kLowestToneHz * static_cast<double>(size_) / sampleRate))
    , lastBin_(static_cast<std::size_t>(
          std::ceil(kHighestToneHz * static_cast<double>(size_) / sampleRate)))
    , window_(std::max<std::size_t>(
          4, static_cast<std::size_t>(kTrackSeconds * sampleRate / static_cast<double>(hop_))))
    , hann_(size_)
    , plan_(std::make_unique<Plan>(size_))
    , sum_(lastBin_ - firstBin_ + 1, 0.0)
    , smooth_(sum_.size(), 0.0)
    , quietest_(sum_.size(), 0.0) {
    for (std::size_t n = 0; n < size_; ++n) {
        hann_[n] = static_cast<float>(
            0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(n) /
                                 static_cast<double>(size_)));
    }
}

ToneTracker::~ToneTracker() = default;

void ToneTracker::push(const float* samples, std::size_t count, std::vector<Estimate>& estimates) {
    input_.insert(input_.end(), samples, samples + count);
    std::size_t start = 0;
    while (start + size_ <= input_.size()) {
        for (std::size_t n = 0; n < size_; ++n) {
            plan_->in[n] = input_[start + n] * hann_[n];
        }
        fftwf_execute(plan_->plan);
        analyse();
        if (raw_.size() == kSmoothedEstimates) {
            emitSmoothed(kSmoothedEstimates / 2, estimates);
            raw_.pop_front();
            smoothing_ = true;
        }
        start += hop_;
    }
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(start));
    consumed_ += start;
}

void ToneTracker::finish(std::vector<Estimate>& estimates) {
    // Once the window has been full, the estimates up to its middle are out already.
    const std::size_t from = smoothing_ ? kSmoothedEstimates / 2 : 0;
    for (std::size_t middle = from; middle < raw_.size(); ++middle) {
        emitSmoothed(middle, estimates);
    }
    raw_.clear();
}

void ToneTracker::emitSmoothed(std::size_t middle, std::vector<Estimate>& estimates) const {
    const Estimate& centre = raw_[middle];
    double w = 0.0, wt = 0.0, wf = 0.0, wtt = 0.0, wtf = 0.0;
    for (const Estimate& e : raw_) {
        // A line counts by how far it stands above the noise.
        const double weight = std::max(0.0, e.strength - 1.0);
        const double t = e.sample - centre.sample;
        w += weight;
        wt += weight * t;
        wf += weight * e.frequencyHz;
        wtt += weight * t * t;
        wtf += weight * t * e.frequencyHz;
    }
    Estimate smoothed = centre;
    const double determinant = w * wtt - wt * wt;
    if (w > 0.0 && determinant > 1e-9 * w * wtt) {
        smoothed.frequencyHz = (wtt * wf - wt * wtf) / determinant;
    } else if (w > 0.0) {
        smoothed.frequencyHz = wf / w;
    }
    estimates.push_back(smoothed);
}

void ToneTracker::analyse() {
    const std::size_t bins = sum_.size();
    std::vector<float> power(bins);
    for (std::size_t k = 0; k < bins; ++k) {
        const fftwf_complex& c = plan_->out[firstBin_ + k];
        power[k] = c[0] * c[0] + c[1] * c[1];
        sum_[k] += power[k];
    }
    spectra_.push_back(std::move(power));
    if (spectra_.size() > window_) {
        const std::vector<float>& oldest = spectra_.front();
        for (std::size_t k = 0; k < bins; ++k) {
            sum_[k] = std::max(0.0, sum_[k] - oldest[k]);
        }
        spectra_.pop_front();
    }
    const long long index = spectrumCount_++;

    smooth_[0] = sum_[0];
    smooth_[bins - 1] = sum_[bins - 1];
    for (std::size_t k = 1; k + 1 < bins; ++k) {
        smooth_[k] = sum_[k - 1] + sum_[k] + sum_[k + 1];
    }
    // The quietest spectrum of each line in the window: a keyed tone is off between
    // characters and words, a steady carrier never is.
    for (std::size_t k = 1; k + 1 < bins; ++k) {
        quietest_[k] = std::numeric_limits<double>::max();
    }
    for (const std::vector<float>& spectrum : spectra_) {
        for (std::size_t k = 1; k + 1 < bins; ++k) {
            const double s = static_cast<double>(spectrum[k - 1]) + spectrum[k] + spectrum[k + 1];
            quietest_[k] = std::min(quietest_[k], s);
        }
    }
    const double held = static_cast<double>(spectra_.size());
    sorted_ = smooth_;
    std::nth_element(sorted_.begin(), sorted_.begin() + static_cast<std::ptrdiff_t>(bins / 2),
                     sorted_.end());
    const double floor = std::max(sorted_[bins / 2], 1e-30);

    const double binHz = sampleRate_ / static_cast<double>(size_);
    // Only a line that drops to the noise, or far below its mean, at some moment in the
    // window is followed: a steady carrier must not lure the tracker away, nor pull its
    // estimate, however strong it is.
    sorted_.assign(quietest_.begin() + 1, quietest_.end() - 1);
    std::nth_element(sorted_.begin(), sorted_.begin() + static_cast<std::ptrdiff_t>(bins / 2 - 1),
                     sorted_.end());
    const double keyedQuiet = kKeyedQuietRatio * sorted_[bins / 2 - 1];
    const auto keyed = [&](std::size_t k) {
        return quietest_[k] <= keyedQuiet || quietest_[k] * held <= kKeyedDepth * smooth_[k];
    };
    const auto peakIn = [&](std::size_t from, std::size_t to) {
        std::size_t best = bins;
        for (std::size_t k = from; k <= to; ++k) {
            if (keyed(k) && (best == bins || smooth_[k] > smooth_[best])) {
                best = k;
            }
        }
        return best;
    };
    const std::size_t global = peakIn(1, bins - 2);
    const double count = static_cast<double>(spectra_.size());
    const double present = 1.0 + 5.0 / std::sqrt(1.5 * count);
    std::size_t chosen = global;
    if (acquired_) {
        const double toneBin = tone_ / binHz - static_cast<double>(firstBin_);
        const double reach = kFollowHz / binHz;
        const double last = static_cast<double>(bins - 2);
        const auto from = static_cast<std::size_t>(std::clamp(toneBin - reach, 1.0, last));
        const auto to = static_cast<std::size_t>(std::clamp(toneBin + reach, 1.0, last));
        const std::size_t local = peakIn(from, to);
        const bool localThere = local < bins && smooth_[local] / floor >= present;
        const bool globalThere = global < bins && smooth_[global] / floor >= present;
        if (globalThere && (!localThere || smooth_[global] >= kJumpRatio * smooth_[local])) {
            chosen = global; // the tone is gone from here, or a far stronger line is elsewhere
        } else if (localThere) {
            chosen = local;
        } else {
            chosen = bins; // nothing there: hold the tone
        }
    }
    double strength = 0.0;
    double steadyNearby = 0.0;
    if (chosen < bins) {
        const double a = smooth_[chosen - 1];
        const double b = smooth_[chosen];
        const double c = smooth_[chosen + 1];
        const double curvature = a - 2.0 * b + c;
        const double offset =
            curvature < 0.0 ? std::clamp(0.5 * (a - c) / curvature, -0.5, 0.5) : 0.0;
        tone_ = (static_cast<double>(firstBin_ + chosen) + offset) * binHz;
        strength = b / floor;
        const auto channel = static_cast<std::size_t>(kChannelHz / binHz);
        for (std::size_t k = chosen > channel ? chosen - channel : 1;
             k <= std::min(chosen + channel, bins - 2); ++k) {
            if ((k + 2 < chosen || k > chosen + 2) && !keyed(k) &&
                quietest_[k] >= kSteadyQuietRatio * keyedQuiet && b > 0.0) {
                steadyNearby = std::max(steadyNearby, smooth_[k] / b);
            }
        }
        acquired_ = acquired_ || strength >= present;
        // Lines picked before the tone stood out once are noise: they get no say in
        // the smoothed track.
        strength = acquired_ ? strength : 0.0;
    }
    const double first = static_cast<double>(index + 1) - count;
    const double centre = 0.5 * ((first + static_cast<double>(index)) * static_cast<double>(hop_) +
                                 static_cast<double>(size_));
    raw_.push_back({centre, tone_, strength, steadyNearby});
}

Baseband::Baseband(int sampleRate)
    : inputRate_(sampleRate)
    , audioRate_(static_cast<double>(sampleRate) / static_cast<double>(audioFactor(sampleRate)))
    , rate_(audioRate_ / std::round(audioRate_ / kBasebandRate))
    , audioDecimator_(audioFactor(sampleRate) == 1
                          ? std::vector<float>{1.0f}
                          : designLowpass(kBandEdgeHz, audioRate_ - kBandEdgeHz, sampleRate),
                      audioFactor(sampleRate))
    , basebandDecimator_(designLowpass(kBasebandPassHz, kBasebandStopHz, audioRate_),
                         static_cast<std::size_t>(std::round(audioRate_ / kBasebandRate)))
    , tracker_(audioRate_) {
}

double Baseband::timeOf(double index) const {
    const double audioIndex = index * static_cast<double>(basebandDecimator_.factor()) +
                              0.5 * static_cast<double>(basebandDecimator_.length() - 1);
    const double inputIndex = audioIndex * static_cast<double>(audioDecimator_.factor()) +
                              0.5 * static_cast<double>(audioDecimator_.length() - 1);
    return inputIndex / static_cast<double>(inputRate_);
}

void Baseband::push(const float* audio, std::size_t count, std::vector<std::complex<float>>& out,
                    std::vector<float>& toneHz) {
    // A sample that is not a finite number (a damaged float file) would spoil the filters'
    // memory and the running sums for good: it counts as silence.
    if (!std::all_of(audio, audio + count, [](float x) { return std::isfinite(x); })) {
        clean_.assign(audio, audio + count);
        std::replace_if(
            clean_.begin(), clean_.end(), [](float x) { return !std::isfinite(x); }, 0.0f);
        audio = clean_.data();
    }
    audio_.clear();
    audioDecimator_.push(audio, count, audio_);
    if (audio_.empty()) {
        return;
    }
    pending_.insert(pending_.end(), audio_.begin(), audio_.end());
    estimates_.clear();
    tracker_.push(audio_.data(), audio_.size(), estimates_);
    follow(out, toneHz);
}

void Baseband::follow(std::vector<std::complex<float>>& out, std::vector<float>& toneHz) {
    for (const ToneTracker::Estimate& estimate : estimates_) {
        if (!haveLast_) {
            last_ = estimate;
            haveLast_ = true;
        }
        // Samples before the estimate's moment: interpolate from the previous one.
        const ToneTracker::Estimate previous = last_;
        last_ = estimate;
        const double span = std::max(1.0, estimate.sample - previous.sample);
        while (!pending_.empty() && static_cast<double>(pendingStart_) <= estimate.sample) {
            const double w =
                std::clamp((static_cast<double>(pendingStart_) - previous.sample) / span, 0.0, 1.0);
            const double f =
                previous.frequencyHz + w * (estimate.frequencyHz - previous.frequencyHz);
            mixed_.push_back(pending_.front() * oscillator(f));
            pending_.pop_front();
            ++pendingStart_;
        }
        mixUpTo(estimate.frequencyHz, estimate.steadyNearby, out, toneHz);
    }
}

std::complex<float> Baseband::oscillator(double frequencyHz) {
    const double step = 2.0 * std::numbers::pi * frequencyHz / audioRate_;
    if (oscillatorCountdown_ == 0) {
        oscillator_ = rotation(phase_);
        oscillatorStep_ = rotation(step);
        oscillatorCountdown_ = kOscillatorRefresh;
    }
    --oscillatorCountdown_;
    const std::complex<double> now = oscillator_;
    oscillator_ *= oscillatorStep_;
    phase_ += step;
    if (phase_ > 2.0 * std::numbers::pi) {
        phase_ -= 2.0 * std::numbers::pi;
    }
    return std::complex<float>(now);
}

void Baseband::mixUpTo(double frequencyHz, double steadyNearby,
                       std::vector<std::complex<float>>& out, std::vector<float>& toneHz) {
    basebandDecimator_.push(mixed_.data(), mixed_.size(), out);
    mixed_.clear();
    toneHz.resize(out.size(), static_cast<float>(frequencyHz));
    if (steady_ != nullptr) {
        steady_->resize(out.size(), static_cast<float>(steadyNearby));
    }
}

void Baseband::finish(std::vector<std::complex<float>>& out, std::vector<float>& toneHz) {
    estimates_.clear();
    tracker_.finish(estimates_);
    follow(out, toneHz);
    const double f = haveLast_ ? last_.frequencyHz : 1000.0;
    while (!pending_.empty()) {
        mixed_.push_back(pending_.front() * oscillator(f));
        pending_.pop_front();
        ++pendingStart_;
    }
    // Pad with silence so that the last samples leave the low-pass.
    mixed_.resize(mixed_.size() + basebandDecimator_.length(), {});
    mixUpTo(f, haveLast_ ? last_.steadyNearby : 0.0, out, toneHz);
}

} // namespace orvinta::cw
