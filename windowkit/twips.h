// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QSize>

namespace orvinta {

/// The windows are laid out in twips (1/1440 inch). They become pixels through the
/// screen's logical DPI, so the layout keeps its proportions at any DPI.
int twipsToPixels(int twips);
QRect twipsRect(int left, int top, int width, int height);
QSize twipsSize(int width, int height);

} // namespace orvinta
