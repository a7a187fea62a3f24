// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace orvinta {

/// Makes the reasons that the C library and Qt give for a failing file German, as the
/// desktop program has them: the C library's from its German catalogue (LC_MESSAGES)
/// when the system has a German locale, Qt's from its German translation once a
/// QCoreApplication runs. The programs' own texts are German already.
void useGermanSystemMessages();

} // namespace orvinta
