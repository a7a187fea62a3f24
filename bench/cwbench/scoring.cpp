// SPDX-License-Identifier: GPL-3.0-or-later
#include "scoring.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace orvinta::cw::bench {
namespace {

/// A heard frame belongs to a keyed one when it starts this close to it.
constexpr double kSameFrameSeconds = 1.5;
constexpr std::size_t kPrefixLength = kFramePrefix.size();

double percent(long long part, long long whole) {
    return whole > 0 ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0;
}

std::size_t marginBin(double margin) {
    const double bin = std::floor(std::max(0.0, margin) / kMarginBinWidth);
    return static_cast<std::size_t>(std::min(bin, static_cast<double>(kMarginBins - 1)));
}

Outcome compare(const std::string& truth, const HeardFrame* heard, Tally& tally) {
    ++tally.frames;
    bool unreadable = false;
    bool wrong = false;
    std::size_t slot = 0;
    for (std::size_t i = kPrefixLength; i < truth.size(); ++i) {
        if (truth[i] == ' ') {
            continue;
        }
        ++tally.characters;
        const char got = heard != nullptr && i < heard->text.size() ? heard->text[i] : '?';
        const char guessed = heard != nullptr && i < heard->guess.size() ? heard->guess[i] : '?';
        tally.guessErrors += guessed == truth[i] ? 0 : 1;
        if (heard != nullptr && slot < heard->margins.size()) {
            MarginBin& bin = tally.byMargin[marginBin(heard->margins[slot])];
            ++bin.characters;
            bin.wrongGuesses += guessed == truth[i] ? 0 : 1;
        }
        ++slot;
        if (got == truth[i]) {
            continue;
        }
        ++tally.errors;
        if (heard == nullptr) {
            continue;
        }
        if (got == '?') {
            ++tally.unreadable;
            unreadable = true;
        } else {
            ++tally.wrong;
            wrong = true;
        }
    }
    if (heard == nullptr) {
        ++tally.framesMissed;
        return Outcome::Missed;
    }
    if (!wrong && !unreadable) {
        ++tally.framesRight;
        return Outcome::Right;
    }
    return wrong ? Outcome::Wrong : Outcome::Unreadable;
}

} // namespace

void Tally::add(const Tally& other) {
    characters += other.characters;
    errors += other.errors;
    wrong += other.wrong;
    unreadable += other.unreadable;
    guessErrors += other.guessErrors;
    frames += other.frames;
    framesRight += other.framesRight;
    framesMissed += other.framesMissed;
    falseFrames += other.falseFrames;
    seconds += other.seconds;
    judged.insert(judged.end(), other.judged.begin(), other.judged.end());
    limit.add(other.limit);
    neighbours.add(other.neighbours);
    told.add(other.told);
    for (std::size_t b = 0; b < kMarginBins; ++b) {
        byMargin[b].characters += other.byMargin[b].characters;
        byMargin[b].wrongGuesses += other.byMargin[b].wrongGuesses;
    }
}

double Tally::percentErrors() const {
    return percent(errors, characters);
}

double Tally::percentWrong() const {
    return percent(wrong, characters);
}

double Tally::percentUnreadable() const {
    return percent(unreadable, characters);
}

double Tally::percentGuessErrors() const {
    return percent(guessErrors, characters);
}

double Tally::percentFramesRight() const {
    return percent(framesRight, frames);
}

void score(const std::vector<std::string>& keyed, const std::vector<double>& keyedSeconds,
           const std::vector<HeardFrame>& heard, Tally& tally, std::vector<Outcome>* outcomes) {
    std::vector<bool> used(heard.size(), false);
    for (std::size_t f = 0; f < keyed.size(); ++f) {
        const HeardFrame* match = nullptr;
        for (std::size_t h = 0; h < heard.size(); ++h) {
            if (!used[h] && std::abs(heard[h].seconds - keyedSeconds[f]) < kSameFrameSeconds) {
                used[h] = true;
                match = &heard[h];
                break;
            }
        }
        const long long wrongBefore = tally.wrong;
        const Outcome outcome = compare(keyed[f], match, tally);
        if (match != nullptr) {
            tally.judged.push_back({match->confidence, tally.wrong == wrongBefore});
        }
        if (outcomes != nullptr) {
            outcomes->push_back(outcome);
        }
    }
    for (std::size_t h = 0; h < heard.size(); ++h) {
        if (!used[h]) {
            ++tally.falseFrames;
            tally.judged.push_back({heard[h].confidence, false});
        }
    }
}

} // namespace orvinta::cw::bench
