// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace orvinta {

/// Sets up the running QApplication the way every window of the program expects it:
/// the program's font, a style without icons on buttons whose menu bar is reached by
/// pressing and releasing Alt, and German texts in Qt's own dialogs and in the reasons
/// the system gives for a failure. Call once, before the first window is built.
void prepareApplication();

} // namespace orvinta
