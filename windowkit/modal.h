// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace orvinta {

/// Shows `window` application-modal and returns when it is hidden or closed. The
/// events of the program go on meanwhile (timers, repaints), but other windows take
/// no input.
void showModal(QWidget* window);

} // namespace orvinta
