// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The limit receiver: how well a frame's payload can be read at all from a Rayleigh-faded
// recording by a receiver that is told what the decoder has to find out itself, the
// frame's timing (payload start, unit length), the tone with its drift, the mean SNR and
// the fading's period, but nothing of the fading's course.
//
// samples -> mixed down with the known tone -> one complex sum per Morse unit from the
// payload start, scaled so that its noise has unit power -> for every place a dot or a
// dash may start, the likelihood ratio of an element there against key up, the gain over
// the element unknown and Rayleigh distributed with the fading's correlation -> the
// likeliest payload over every sequence of characters and their lengths (Viterbi), and
// each of its characters' odds over all those readings (forward-backward) -> errors
// against the keyed payload. Elements are weighed each on its own: a receiver that
// followed the fading from one element to the next could only do better.
//
// Told the frame's other characters, it learns each element's gain from their marks
// around it: what following the fading from one character to the next can reach. Told
// the fading's course as well, each unit's gain but for one phase per element, it reads
// as no receiver that has to find the fading out could: the other bound. It trusts
// the mean SNR it is told, as a likelihood on a known gain must: told 10 dB of a recording
// without noise, it takes the keyer's soft edges for marks.

#include "keyedsignal.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvinta::keyer {

/// A payload as the limit receiver reads it: the likeliest characters, and for each the
/// log odds of that character against all the others of its place, every reading of the
/// frame weighed by its likelihood.
struct LimitReading {
    std::string payload;
    std::vector<double> odds;
};

/// The characters read, counted by their odds in steps of kOddsStep (the first step
/// below kOddsStep, negative odds included, the last from kOddsStep * (kOddsSteps - 1) on).
inline constexpr double kOddsStep = 0.5;
inline constexpr std::size_t kOddsSteps = 41;

/// The limit receiver's errors over some frames.
struct LimitErrors {
    long long characters = 0; ///< payload characters keyed
    long long errors = 0;     ///< characters read as another, position by position
    long long edits = 0;      ///< Levenshtein distance: a character dropped counts once
    std::array<long long, kOddsSteps> rightByOdds{};
    std::array<long long, kOddsSteps> wrongByOdds{};

    void add(const LimitErrors& other);
    double percentErrors() const;
    double percentEdits() const;
    /// The least CER (%) of the receiver giving "?" for each character whose odds fall
    /// below a bound, where at most `wrongPercent` % of the characters are written wrong:
    /// what the "?" cost even a receiver whose odds are exact.
    double percentErrorsWritingWrongAtMost(double wrongPercent) const;
};

/// What the limit receiver is told of the fading: its statistics (mean SNR and period);
/// besides, the frame's other characters, so that it learns the gain over each element from
/// their marks as a reader that follows the fading would, had it read them right; or the
/// fading's course itself.
enum class FadingKnowledge { Statistics, Neighbours, Course };

/// Told the other characters, the units to either side of an element whose marks it learns
/// the element's gain from.
inline constexpr std::size_t kNeighbourUnits = 12;

/// The payloads (block, status and the eight groups, without blanks) the limit receiver
/// reads from the first `count` frames of `recording`, keyed from `keyedFrames` with
/// `options` (a recording cut short keeps all of its frames in `recording`'s moments).
std::vector<LimitReading> readPayloads(const std::vector<std::string>& keyedFrames,
                                       const keyer::SignalOptions& options,
                                       const keyer::KeyedRecording& recording, std::size_t count,
                                       FadingKnowledge knowledge = FadingKnowledge::Statistics);

/// The payload of a beacon frame "E LUSAT HI HI 6O AVT ...": its characters after the
/// prefix, without blanks.
std::string payloadOf(std::string_view frame);

/// The number of characters to insert, delete or replace to make `a` into `b`.
std::size_t editDistance(std::string_view a, std::string_view b);

/// Errors of `read` against the first read.size() of `keyedFrames`.
LimitErrors countErrors(const std::vector<std::string>& keyedFrames,
                        const std::vector<LimitReading>& read);

} // namespace orvinta::keyer
