// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Resource paths of the program's compiled-in pictures. Linking orvinta_resources is all
// it takes to have them; no Q_INIT_RESOURCE call is needed.
namespace orvinta::pictures {

QString programIcon();      // 32 x 32, Windows 16-colour palette, transparent background
QString programIconLarge(); // the same doubled to 64 x 64
QString satellite();        // 222 x 314 line drawing on RGB(192, 192, 192)
QString logo();             // 236 x 127, black on RGB(220, 220, 220)

} // namespace orvinta::pictures
