// SPDX-License-Identifier: GPL-3.0-or-later
#include "varmodul.h"

namespace orvinta {

void VarModul::reset() {
    for (int k = 1; k <= kChannelCount; ++k) {
        FehlerFlag(k) = 0;
        Wert(k) = 0.0F;
        Gruppe(k).clear();
    }
}

VarModul& frameRecord() {
    static VarModul record;
    return record;
}

} // namespace orvinta
