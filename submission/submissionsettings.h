// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where the station and the choice to submit are kept, for the desktop program and
// orvinta-cw alike: the user's settings file (QSettings, ~/.config/orvinta/orvinta.conf)
// and the journal in the user's data folder (~/.local/share/orvinta/sids-journal).

#include "station.h"

#include <QString>

#include <optional>

namespace orvinta::submission {

struct SubmissionSettings {
    QString callsign;                 ///< normalized, empty when not set
    std::optional<Position> position; ///< nothing when not set
    QString locator;                  ///< the locator the position came from, if any
    QString server;                   ///< the SiDS server's URL
    /// The switch "An SatNOGS senden" of the listening window.
    bool enabled = false;

    /// The station, when both its callsign and its position are set.
    std::optional<Station> station() const;
};

/// The user's settings file.
QString settingsFilePath();
/// The journal of the frames submitted.
QString journalFilePath();

/// The saved settings; defaults (no station, SatNOGS DB, switched off) for what is not.
SubmissionSettings loadSubmissionSettings();
/// Saves `saved`; false with the file's name and the reason when it cannot be written.
bool saveSubmissionSettings(const SubmissionSettings& saved, QString* error);

} // namespace orvinta::submission
