// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "formats/resultformats.h"

#include <QWidget>

#include <array>

class QLabel;

namespace orvinta {

struct DecodedFrame;

/// The output window: shows, and holds, the results of the last decoding.
class frmAusgabe : public QWidget {
    Q_OBJECT

public:
    explicit frmAusgabe(QWidget* parent = nullptr);

    /// Writes the block number, the coloured status and the eight result texts.
    void showFrame(const DecodedFrame& frame);
    /// Empties the ten value boxes; the status colour stays.
    void clearValues();
    /// The ten value texts as Windows-1252 bytes, in table order.
    DisplayTexts valueTexts() const;

    QLabel* lblText1;
    QLabel* lblO1;
    QLabel* lblStatus;
    /// lblO2 to lblO9: channels 1 to 8.
    std::array<QLabel*, 8> channelBoxes{};

private:
    QLabel* addValueBox(const char* name, int top, int left, int width, bool whiteBackground);
};

} // namespace orvinta
