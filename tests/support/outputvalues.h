// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "windows/frmausgabe.h"

#include <QLabel>
#include <QStringList>

namespace orvinta::test {

/// The ten texts the output window shows, in table order: block, status, channels 1 to 8.
inline QStringList shownValues(const frmAusgabe* out) {
    QStringList texts{out->lblO1->text(), out->lblStatus->text()};
    for (const QLabel* box : out->channelBoxes)
        texts << box->text();
    return texts;
}

} // namespace orvinta::test
