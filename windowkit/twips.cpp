// SPDX-License-Identifier: GPL-3.0-or-later
#include "twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace orvinta {

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kFallbackDpi = 96.0;

double logicalDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInch() : kFallbackDpi;
}

} // namespace

int twipsToPixels(int twips) {
    return static_cast<int>(std::lround(twips * logicalDpi() / kTwipsPerInch));
}

QRect twipsRect(int left, int top, int width, int height) {
    // Converting the edges rather than the sizes keeps neighbouring controls flush.
    const int x = twipsToPixels(left);
    const int y = twipsToPixels(top);
    return {x, y, twipsToPixels(left + width) - x, twipsToPixels(top + height) - y};
}

QSize twipsSize(int width, int height) {
    return {twipsToPixels(width), twipsToPixels(height)};
}

} // namespace orvinta
