// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// When a frame still being keyed can be given out: once its prefix has been heard the
// layout after it is fixed, so a reading of the baseband so far (the trellis finds no
// evidence either way beyond it) that places all 26 characters, the last group clear and
// not in doubt, and silence after it, has every character where it stays. Until then, the
// characters the reading had to place beyond the baseband tell how much longer the frame lasts at
// the least, so that the costly reading is not repeated on every block.

#include "framereader.h"

namespace orvinta::cw {

/// Whether `reading`, made on baseband that ends at `end`, has silence after its end and
/// tells each character from the longer ones that begin as it does.
bool frameEnded(const FrameReadout& reading, double end);
/// Whether it shows its frame complete: ended, its last group clear.
bool frameComplete(const FrameReadout& reading, double end);

/// The earliest end of the baseband at which a reading of the frame whose prefix was
/// heard with `timing` can find it complete.
double firstChance(const KeyingTiming& timing);

/// The same after `reading`, made on baseband that ends at `end`, did not; infinite
/// when the frame ended in doubt and is left to the reading up to the next frame.
double nextChance(const FrameReadout& reading, const KeyingTiming& timing, double end);

} // namespace orvinta::cw
