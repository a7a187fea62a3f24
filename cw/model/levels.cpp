// SPDX-License-Identifier: GPL-3.0-or-later
#include "levels.h"

#include "cw/audio/carrierfit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvinta::cw {
namespace {

/// Weight of nothing (a level of 0) against the marks, each of which weighs its length
/// in cells: beyond about log(1 / kNothingWeight) reaches from the last mark, the signal
/// level is gone.
constexpr double kNothingWeight = 3e-4;
/// A mark's level counts toward its fading only where its neighbours show the carrier
/// at least this far above the noise in a mark's length (per-mark SNR 13 dB): below,
/// noise alone spreads the marks' energies as much as fading does.
constexpr double kFadeLearningSnr = 20.0;
/// Bounds between the fade factors {1, 0.2, 0.04}: a mark at less than 35 % of its
/// neighbours' level counts as faded to 0.2, at less than 8 % as faded to 0.04.
constexpr double kFadeBounds[] = {0.35, 0.08};
/// A signal fades where more than this share of the marks is well below its
/// neighbours; a steady one shows none or one in a frame.
constexpr double kFadingShare = 0.03;
/// A signal also fades where its level swings by more than this between the quietest and
/// the loudest tenth of the frame: a slow fade takes whole characters into the noise
/// without any mark standing out from its neighbours. The level followed through white
/// noise at the weakest signals read swings by less (orvinta-cw-bench's white-noise runs
/// show what a frame that it takes for fading costs).
constexpr double kFadingSwingDb = 6.0;
/// Levels below this count as this (the swing of a frame whose level falls to nothing).
constexpr double kLeastLevel = 1e-300;
/// Every fade keeps at least this weight: a steady carrier can still fade now and then.
constexpr double kLeastFadeWeight = 1e-8;
/// A level estimate within 20 % of the truth needs the marks' noise to average out.
constexpr double kLevelPrecision = 0.2;
/// About this share of a frame's units is key down.
constexpr double kMarkShare = 0.45;
/// Bounds of the reach over which the signal level is followed, in units: a fade of the
/// fastest kind (0.5 s) lasts a few units; beyond 40 units a level is stale.
constexpr double kShortestReach = 1.0;
constexpr double kLongestReach = 40.0;
/// The noise changes slowly (it is the receiver's): it is learnt over this many units.
constexpr double kNoiseReach = 60.0;
/// The carrier's gain is fitted over marks within about this many units (a Gaussian's
/// width): the fastest fades (0.5 s) turn it within a few units at the slowest speeds,
/// and a narrower fit leaves too few marks to span a character gap.
constexpr double kCarrierFitUnits = 1.5;
/// A steady carrier's phase is fitted over marks within about this many units: the
/// wider, the less noise it keeps, but the tone track's residual offset turns it, and
/// the turn taken out of it is not exact.
constexpr double kPhaseFitUnits = 2.0;
/// A phase is never taken as surer than a von Mises density of this concentration (a
/// spread of about 0.2 rad): the fit is a model, its noise not all it may miss.
constexpr double kMostPhaseConcentration = 20.0;
/// Where the signal fades, the carrier's phase is taken only where the fit misses the
/// marks (each told from the others) by less than this share of their power: a fade
/// over a second or more, not one over half a second.
constexpr double kMostPhaseMisfit = 0.1;
/// The fitted level is taken where the noise it keeps is under this share of the level
/// the marks' power gave.
constexpr double kCarrierFitNoise = 0.1;
/// The median of exponential energies is ln 2 times their mean.
constexpr double kMedianOverMean = 0.6931471805599453;
/// A space counts for at most this many times the noise: noise alone exceeds it once in
/// some four hundred spaces, a mark's edge leaking into its gap far more often.
constexpr double kLoudestSpace = 6.0;
/// Spaces away from the marks needed to tell the noise without the ones beside them.
constexpr long kFewestSpaces = 8;

/// Units of reach that leave enough marks for a level within kLevelPrecision when a
/// mark of one unit shows the carrier `snr` times above the noise: the energy of such a
/// mark varies by sqrt(1 + 2 snr) around snr (in noise units).
double reachUnits(double snr) {
    const double rho = std::max(snr, 1e-3);
    const double marksNeeded = (1.0 + 2.0 * rho) / (rho * rho * kLevelPrecision * kLevelPrecision);
    return std::clamp(marksNeeded / kMarkShare, kShortestReach, kLongestReach);
}

/// Sums of a per-cell quantity over every cell, each weighted by exp(-distance / reach)
/// (cells): a forward and a backward first-order recursion, so the cost does not grow
/// with the reach.
std::vector<double> spread(const std::vector<double>& values, double reachCells) {
    const double keep = std::exp(-1.0 / std::max(reachCells, 1e-3));
    std::vector<double> forward(values.size());
    std::vector<double> result(values.size());
    double running = 0.0;
    for (std::size_t c = 0; c < values.size(); ++c) {
        running = values[c] + keep * running;
        forward[c] = running;
    }
    running = 0.0;
    for (std::size_t c = values.size(); c-- > 0;) {
        running = values[c] + keep * running;
        result[c] = forward[c] + running - values[c];
    }
    return result;
}

} // namespace

LevelTrack::LevelTrack(double from, double to, double cellSamples)
    : m_from(from)
    , m_cell(std::max(cellSamples, 1.0))
    , m_signal(static_cast<std::size_t>(std::max(1.0, std::ceil((to - from) / m_cell))), 0.0)
    , m_noise(m_signal.size(), 1.0) {
}

std::size_t LevelTrack::cellOf(double t) const {
    const double c = std::floor((t - m_from) / m_cell);
    return static_cast<std::size_t>(std::clamp(c, 0.0, static_cast<double>(m_signal.size() - 1)));
}

void LevelTrack::addSpace(double from, double to, double energy, bool edge) {
    if (to > from) {
        m_spaces.push_back({0.5 * (from + to), to - from, energy, edge, false});
    }
}

void LevelTrack::addMark(double from, double to, double energy, bool teaches) {
    if (to > from) {
        m_marks.push_back({0.5 * (from + to), to - from, energy, false, teaches});
    }
}

void LevelTrack::follow(double unit) {
    // Once over the longest reach for the frame's SNR, then over the reach it allows.
    followOver(kLongestReach * unit, kNoiseReach * unit);
    followOver(reachUnits(m_meanSignal * unit / m_meanNoise) * unit, kNoiseReach * unit);
    learnSwing();
}

void LevelTrack::learnSwing() {
    m_swingDb = 0.0;
    if (m_marks.empty()) {
        return;
    }
    const auto [first, last] =
        std::minmax_element(m_marks.begin(), m_marks.end(),
                            [](const Stretch& a, const Stretch& b) { return a.centre < b.centre; });
    std::vector<double> levels(
        m_signal.begin() + static_cast<std::ptrdiff_t>(cellOf(first->centre)),
        m_signal.begin() + static_cast<std::ptrdiff_t>(cellOf(last->centre)) + 1);
    const auto low = levels.begin() + static_cast<std::ptrdiff_t>(levels.size() / 10);
    const auto high = levels.begin() + static_cast<std::ptrdiff_t>(levels.size() * 9 / 10);
    std::nth_element(levels.begin(), low, levels.end());
    const double lowest = *low;
    std::nth_element(levels.begin(), high, levels.end());
    m_swingDb = 10.0 * std::log10(std::max(*high, kLeastLevel) / std::max(lowest, kLeastLevel));
}

void LevelTrack::followCarrier(const CumulativeBaseband& sums, double unit) {
    std::vector<MarkSpan> spans;
    for (const Stretch& m : m_marks) {
        spans.push_back({m.centre - 0.5 * m.length, m.centre + 0.5 * m.length});
    }
    if (!fading()) {
        m_phase.emplace(sums, spans, unit, kPhaseFitUnits * unit);
        return;
    }
    const CarrierFit& fit = m_phase.emplace(sums, spans, unit, kCarrierFitUnits * unit);
    for (std::size_t c = 0; c < m_signal.size(); ++c) {
        const double t = m_from + (static_cast<double>(c) + 0.5) * m_cell;
        if (const auto power = fit.powerAt(t, m_noise[c], kCarrierFitNoise * m_signal[c])) {
            m_signal[c] = *power;
        }
    }
    // A slow fade keeps the carrier's phase from one mark to the next, a fast one does
    // not: the phase is kept where the fit tells each mark's gain from the others.
    m_phaseMisfit = phaseMisfit(sums);
    if (m_phaseMisfit > kMostPhaseMisfit) {
        m_phase.reset();
    }
}

double LevelTrack::phaseMisfit(const CumulativeBaseband& sums) const {
    // Each mark's gain as the fit tells it from the others, against its own: the miss
    // beyond what the noise of both explains, as a share of the gain's power.
    double miss = 0.0;
    double power = 0.0;
    for (const Stretch& m : m_marks) {
        const double from = m.centre - 0.5 * m.length;
        const double to = m.centre + 0.5 * m.length;
        const auto fitted = m_phase->gainAt(m.centre, noise(m.centre), from, to);
        if (!fitted || !stretchHeld(sums, from, to)) {
            continue;
        }
        const std::complex<double> own = stretchSum(sums, from, to) / m.length;
        miss += m.length *
                (std::norm(own - fitted->gain) - fitted->variance - noise(m.centre) / m.length);
        power += m.length * std::norm(fitted->gain);
    }
    return power > 0.0 ? std::max(0.0, miss / power) : 0.0;
}

void LevelTrack::followOver(double signalReach, double noiseReach) {
    followNoise(noiseReach);
    followSignal(signalReach);
}

void LevelTrack::followNoise(double reach) {
    // A stretch of noise alone has energy noise * length on average. Spaces away from
    // the marks tell it, as the marks' edges leak into the spaces beside them; the
    // median keeps a stray mark out of it, and no space counts for more than a few times
    // that.
    const bool clear = std::count_if(m_spaces.begin(), m_spaces.end(),
                                     [](const Stretch& s) { return !s.edge; }) >= kFewestSpaces;
    const auto counts = [&](const Stretch& s) { return !clear || !s.edge; };
    std::vector<double> perSample;
    for (const Stretch& s : m_spaces) {
        if (counts(s)) {
            perSample.push_back(s.energy / s.length);
        }
    }
    if (!perSample.empty()) {
        const auto middle = perSample.begin() + static_cast<std::ptrdiff_t>(perSample.size() / 2);
        std::nth_element(perSample.begin(), middle, perSample.end());
        // The mean is the better estimate; the median only bounds what a space may add.
        const double bound = kLoudestSpace * *middle / kMedianOverMean;
        double sum = 0.0;
        for (const double x : perSample) {
            sum += std::min(x, bound);
        }
        m_meanNoise = std::max(sum / static_cast<double>(perSample.size()), 1e-30);
    }
    std::vector<double> weight(m_noise.size(), 0.0);
    std::vector<double> sum(m_noise.size(), 0.0);
    for (const Stretch& s : m_spaces) {
        if (counts(s)) {
            weight[cellOf(s.centre)] += s.length;
            sum[cellOf(s.centre)] += std::min(s.energy, kLoudestSpace * m_meanNoise * s.length);
        }
    }
    const std::vector<double> noiseWeight = spread(weight, reach / m_cell);
    const std::vector<double> noiseSum = spread(sum, reach / m_cell);
    for (std::size_t c = 0; c < m_noise.size(); ++c) {
        // One cell of the mean noise keeps the estimate sane where spaces are few.
        m_noise[c] = (noiseSum[c] + m_meanNoise * m_cell) / (noiseWeight[c] + m_cell);
    }
}

void LevelTrack::followSignal(double reach) {
    // A mark's energy is signal * length^2 + noise * length on average (its matched
    // filter); each mark weighs its length in cells.
    m_markWeight.assign(m_signal.size(), 0.0);
    m_markSum.assign(m_signal.size(), 0.0);
    std::vector<double> ownLevel;
    std::vector<double> ownWeight;
    double allSignal = 0.0;
    double allMarks = 0.0;
    for (const Stretch& m : m_marks) {
        const std::size_t c = cellOf(m.centre);
        const double level =
            std::max(0.0, (m.energy - m_noise[c] * m.length) / (m.length * m.length));
        const double w = m.length / m_cell;
        m_markWeight[c] += w;
        m_markSum[c] += w * level;
        ownLevel.push_back(level);
        ownWeight.push_back(w);
        allSignal += m.length * level;
        allMarks += m.length;
    }
    m_meanSignal = allMarks > 0.0 ? allSignal / allMarks : 0.0;
    m_spreadWeight = spread(m_markWeight, reach / m_cell);
    m_spreadSum = spread(m_markSum, reach / m_cell);
    m_keep = std::exp(-1.0 / std::max(reach / m_cell, 1e-3));
    for (std::size_t c = 0; c < m_signal.size(); ++c) {
        m_signal[c] = m_spreadSum[c] / (m_spreadWeight[c] + kNothingWeight);
    }
    // Each mark against its neighbours alone: its own share taken out.
    std::vector<double> neighbours(m_marks.size());
    for (std::size_t i = 0; i < m_marks.size(); ++i) {
        const std::size_t c = cellOf(m_marks[i].centre);
        const double w = m_spreadWeight[c] - ownWeight[i];
        neighbours[i] = w > 1e-9 ? (m_spreadSum[c] - ownWeight[i] * ownLevel[i]) / w : 0.0;
    }
    learnFades(ownLevel, neighbours);
}

void LevelTrack::learnFades(const std::vector<double>& ownLevel,
                            const std::vector<double>& neighbours) {
    std::array<double, FadeSpread::kFactors.size()> counts{};
    double total = 0.0;
    for (std::size_t i = 0; i < m_marks.size(); ++i) {
        const double expected = neighbours[i] * m_marks[i].length / noise(m_marks[i].centre);
        if (!m_marks[i].teaches || expected < kFadeLearningSnr) {
            continue;
        }
        const double ratio = ownLevel[i] / neighbours[i];
        const std::size_t k = ratio >= kFadeBounds[0] ? 0 : ratio >= kFadeBounds[1] ? 1 : 2;
        counts[k] += 1.0;
        total += 1.0;
    }
    for (std::size_t k = 0; k < counts.size(); ++k) {
        const double share = total > 0.0 ? counts[k] / total : (k == 0 ? 1.0 : 0.0);
        m_fades.weights[k] = std::max(share, kLeastFadeWeight);
    }
    // A fade deep enough to hide a mark passes through the levels between: marks that are
    // either whole or gone, none in between, are not fading but missing (text that is
    // not the frame read as the frame), and count as such.
    for (std::size_t k = 2; k < counts.size(); ++k) {
        m_fades.weights[k] = std::min(m_fades.weights[k], m_fades.weights[k - 1]);
    }
}

bool LevelTrack::fading() const {
    return fadesFromMarkToMark() || m_swingDb > kFadingSwingDb;
}

bool LevelTrack::fadesFromMarkToMark() const {
    return 1.0 - m_fades.weights[0] > kFadingShare;
}

double LevelTrack::signal(double t) const {
    return m_signal[cellOf(t)];
}

double LevelTrack::signalFor(double from, double to) const {
    if (!m_leaveOut || m_spreadSum.empty()) {
        return signal(0.5 * (from + to));
    }
    const std::size_t centre = cellOf(0.5 * (from + to));
    const std::size_t first = cellOf(from);
    const std::size_t last = cellOf(std::max(from, to - 1e-9));
    double weight = m_spreadWeight[centre];
    double sum = m_spreadSum[centre];
    for (std::size_t c = first; c <= last; ++c) {
        const auto distance = static_cast<double>(c > centre ? c - centre : centre - c);
        const double factor = std::pow(m_keep, distance);
        weight -= factor * m_markWeight[c];
        sum -= factor * m_markSum[c];
    }
    return std::max(sum, 0.0) / (std::max(weight, 0.0) + kNothingWeight);
}

std::complex<double> LevelTrack::phaseFor(double from, double to) const {
    if (!m_phase) {
        return 0.0;
    }
    const double t = 0.5 * (from + to);
    const auto fitted = m_phase->gainAt(t, noise(t), from, to);
    if (!fitted || std::abs(fitted->gain) <= 0.0) {
        return 0.0;
    }
    // A gain a estimated with variance v leaves its phase about as uncertain as a von
    // Mises density of kappa = 2 |a|^2 / v; where the signal fades, v includes how far
    // the fit misses the marks.
    const double power = std::norm(fitted->gain);
    const double kappa =
        std::min(2.0 * power / (fitted->variance + m_phaseMisfit * power), kMostPhaseConcentration);
    return kappa * fitted->gain / std::abs(fitted->gain);
}

double LevelTrack::noise(double t) const {
    return m_noise[cellOf(t)];
}

double carrierEvidence(const CumulativeBaseband& sums, const LevelTrack& levels, double from,
                       double to) {
    if (!stretchHeld(sums, from, to)) {
        return 0.0;
    }
    return fadedCarrierLikelihood(stretchSum(sums, from, to), to - from, levels.signalFor(from, to),
                                  levels.noise(0.5 * (from + to)), levels.fades(),
                                  levels.phaseFor(from, to));
}

double agreement(const CumulativeBaseband& sums, const LevelTrack& levels, double from, double to,
                 bool down, double leeway) {
    double best = -std::numeric_limits<double>::infinity();
    for (const double shift : {-leeway, 0.0, leeway}) {
        const double evidence = carrierEvidence(sums, levels, from + shift, to + shift);
        best = std::max(best, down ? evidence : -evidence);
    }
    return best;
}

} // namespace orvinta::cw
