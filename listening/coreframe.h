// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the listening window reads from a frame of the audio decoder beyond its text. The
// decoder's frame record grows (a confidence figure, the end of the frame); these are the
// only places that know which of its fields give the figures the window shows.

#include "cw/cwdecoder.h"

namespace orvinta::listening {

/// How sure the decoder is of the frame, from 0 to 1.
double frameConfidence(const cw::HeardFrame& frame);

/// Seconds into the stream at which the frame's last element ends.
double frameEndSeconds(const cw::HeardFrame& frame);

} // namespace orvinta::listening
