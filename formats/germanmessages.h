// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace orvinta {

/// Makes the reasons that the C library and Qt give for a failure German, whatever the
/// desktop's language: the C library's from its German catalogue (LC_MESSAGES) when the
/// system has a German locale, otherwise they stay as the system words them; Qt's from
/// its German translation (Debian's qt6-translations-l10n) once a QCoreApplication runs,
/// which also gives Qt's own dialogs "Abbrechen" instead of "Cancel". The programs' own
/// texts are German already. Call it again for each new application object.
void useGermanSystemMessages();

} // namespace orvinta
