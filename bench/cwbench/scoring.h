// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How orvinta-cw-bench scores what the decoder heard against what was keyed.

#include "cw/cwdecoder.h"
#include "cw/model/framelayout.h"
#include "keyer/limitreceiver.h"

#include <array>
#include <string>
#include <vector>

namespace orvinta::cw::bench {

/// What became of one keyed frame.
enum class Outcome {
    Right,      ///< every payload character read right
    Unreadable, ///< some characters "?", none wrong
    Wrong,      ///< at least one character read as another
    Missed,     ///< no frame heard at its moment
};

/// A frame given out, its confidence and whether every character it wrote is right (a
/// line belonging to no keyed frame is all wrong).
struct Judged {
    double confidence = 0.0;
    bool noneWrong = false;
};

/// The heard characters whose reading had a margin (natural log) in one range, and how
/// many of their best guesses were wrong: how sure the margins may be taken to be.
struct MarginBin {
    long long characters = 0;
    long long wrongGuesses = 0;
};
/// Margins in [0, 2), [2, 4) ... [8, 10), then 10 and more.
inline constexpr std::size_t kMarginBins = 6;
inline constexpr double kMarginBinWidth = 2.0;

/// Counts over many frames. Characters are those of the payload (block, status, eight
/// groups): a "?", a wrong character and every character of a missed frame are errors.
struct Tally {
    long long characters = 0;
    long long errors = 0;
    long long wrong = 0; ///< read as another character (not "?")
    long long unreadable = 0;
    /// Errors of the heard frames' best guesses (HeardFrame::guess), counted as `errors`:
    /// what the decoder would have written wrong had it never given a "?".
    long long guessErrors = 0;
    long long frames = 0;
    long long framesRight = 0;
    long long framesMissed = 0;
    long long falseFrames = 0;     ///< lines printed that belong to no keyed frame
    double seconds = 0.0;          ///< length of the recordings
    std::vector<Judged> judged;    ///< every frame given out
    keyer::LimitErrors limit;      ///< the limit receiver's on the same frames, where it reads
    keyer::LimitErrors neighbours; ///< the same receiver's told the other characters
    keyer::LimitErrors told;       ///< the same receiver's told the fading's course
    std::array<MarginBin, kMarginBins> byMargin{}; ///< the heard frames' characters

    void add(const Tally& other);
    double percentErrors() const;
    double percentWrong() const;
    double percentUnreadable() const;
    double percentGuessErrors() const;
    double percentFramesRight() const;
};

/// Pairs the heard frames with the keyed ones by their start (within 1.5 s) and counts;
/// appends each keyed frame's outcome to `outcomes` if given.
void score(const std::vector<std::string>& keyed, const std::vector<double>& keyedSeconds,
           const std::vector<HeardFrame>& heard, Tally& tally,
           std::vector<Outcome>* outcomes = nullptr);

} // namespace orvinta::cw::bench
