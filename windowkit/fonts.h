// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

namespace orvinta {

enum class FontStyle { Regular, Bold, BoldUnderlined };

/// The size of the forms' text, in points.
inline constexpr double kFormPoints = 9.6;

/// The program's proportional font at the given point size.
QFont sansFont(double points, FontStyle style = FontStyle::Regular);

/// Makes the program's proportional font the default of every window, so that menus and
/// dialogs use it too.
void useProgramFont();

/// A fixed-pitch font, for text that must line up in columns.
QFont fixedFont(double points);

} // namespace orvinta
