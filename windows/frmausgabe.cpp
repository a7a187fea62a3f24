// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmausgabe.h"

#include "decoder/decoder.h"
#include "formats/windows1252.h"
#include "windowkit/controls.h"
#include "windowkit/fonts.h"

#include <QLabel>

namespace orvinta {

namespace {

constexpr int kCaptionLeft = 240;
constexpr int kCaptionHeight = 252;
constexpr int kBoxLeft = 2400;
constexpr int kBoxWidth = 2292;
constexpr int kBoxHeight = 372;
constexpr int kUnitLeft = 4800;
constexpr int kUnitWidth = 492;
constexpr int kRowPitch = 480;

int captionTop(int row) {
    return 600 + kRowPitch * (row - 1);
}

int boxTop(int row) {
    return 480 + kRowPitch * (row - 1);
}

struct ChannelRow {
    const char* captionName;
    const char* caption;
    int captionWidth;
    const char* boxName;
    const char* unitName;
    const char* unit;
};

// Rows 2 to 9: channels 1 to 8 in the order of the frame.
constexpr std::array<ChannelRow, 8> kChannelRows{{
    {"lbltext3", "+5 V reguliert:", 2172, "lblO2", "lblEinheit1", "V"},
    {"lbltext4", "+10 V Batterie:", 2172, "lblO3", "lblEinheit2", "V"},
    {"lbltext5", "CW-TX-Temperatur:", 2172, "lblO4", "lblEinheit3", "°C"},
    {"lbltext6", "CW-TX-Power-Out:", 2172, "lblO5", "lblEinheit4", "mW"},
    {"lbltext7", "Temperatur Box 4:", 2052, "lblO6", "lblEinheit5", "°C"},
    {"lbltext8", "+10 V Strom:", 2172, "lblO7", "lblEinheit6", "mA"},
    {"lbltext9", "+Z-Solarpanel:", 2172, "lblO8", "lblEinheit7", "V"},
    {"lbltext10", "+8,5 V reguliert:", 2172, "lblO9", "lblEinheit8", "V"},
}};

const QColor kStatusOkColour(0, 192, 0);
const QColor kStatusFalseColour(192, 0, 0);

} // namespace

frmAusgabe::frmAusgabe(QWidget* parent)
    : QWidget(parent, toplevelWindowFlags()) {
    setUpWindow(this, "frmAusgabe", QStringLiteral("LUSAT OSCAR 19 Telemetrie"), 5484, 4920);

    const QFont bold = sansFont(kFormPoints, FontStyle::Bold);
    lblText1 = makeLabel(this, "lblText1", QStringLiteral("Ausgabe:"), {240, 240, 1332, 252},
                         sansFont(kFormPoints, FontStyle::BoldUnderlined));

    makeLabel(this, "lbltext2", QStringLiteral("E PROM Block:"),
              {kCaptionLeft, captionTop(1), 2172, kCaptionHeight}, bold);
    lblO1 = addValueBox("lblO1", boxTop(1), kBoxLeft, 252, true);
    makeLabel(this, "lblText11", QStringLiteral("Status:"), {2880, captionTop(1), 852, 252}, bold);
    lblStatus = addValueBox("lblStatus", boxTop(1), 3840, 852, false);

    const QFont regular = sansFont(kFormPoints);
    for (std::size_t i = 0; i < kChannelRows.size(); ++i) {
        const ChannelRow& row = kChannelRows[i];
        const int rowNumber = static_cast<int>(i) + 2;
        makeLabel(this, row.captionName, QString::fromUtf8(row.caption),
                  {kCaptionLeft, captionTop(rowNumber), row.captionWidth, kCaptionHeight}, bold);
        // The first two channel boxes are fixed white; the others take the caption-text
        // colour of the scheme, which is white as well in the standard scheme.
        channelBoxes[i] = addValueBox(row.boxName, boxTop(rowNumber), kBoxLeft, kBoxWidth, i < 2);
        makeLabel(this, row.unitName, QString::fromUtf8(row.unit),
                  {kUnitLeft, captionTop(rowNumber), kUnitWidth, kCaptionHeight}, regular);
    }
}

QLabel* frmAusgabe::addValueBox(const char* name, int top, int left, int width,
                                bool whiteBackground) {
    QLabel* box = makeFramedLabel(
        this, name, QString(), {left, top, width, kBoxHeight}, sansFont(kFormPoints),
        whiteBackground ? QColor(Qt::white) : palette().color(QPalette::Base));
    box->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return box;
}

void frmAusgabe::showFrame(const DecodedFrame& frame) {
    QPalette colours = lblStatus->palette();
    colours.setColor(QPalette::WindowText, frame.statusOk ? kStatusOkColour : kStatusFalseColour);
    lblStatus->setPalette(colours);
    lblStatus->setText(QString::fromLatin1(frame.statusText()));

    lblO1->setText(fromWindows1252(frame.block));
    for (std::size_t i = 0; i < channelBoxes.size(); ++i)
        channelBoxes[i]->setText(fromWindows1252(frame.channels[i]));
}

void frmAusgabe::clearValues() {
    lblO1->clear();
    for (QLabel* box : channelBoxes)
        box->clear();
    lblStatus->clear();
}

DisplayTexts frmAusgabe::valueTexts() const {
    DisplayTexts texts;
    texts[0] = toWindows1252(lblO1->text()).toStdString();
    texts[1] = toWindows1252(lblStatus->text()).toStdString();
    for (std::size_t i = 0; i < channelBoxes.size(); ++i)
        texts[i + 2] = toWindows1252(channelBoxes[i]->text()).toStdString();
    return texts;
}

} // namespace orvinta
