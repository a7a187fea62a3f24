// SPDX-License-Identifier: GPL-3.0-or-later
#include "submissionsettings.h"

#include "sidsfields.h"

#include <QSettings>
#include <QStandardPaths>

namespace orvinta::submission {

namespace {

const QString kCallsign = QStringLiteral("station/callsign");
const QString kLatitude = QStringLiteral("station/latitude");
const QString kLongitude = QStringLiteral("station/longitude");
const QString kLocator = QStringLiteral("station/locator");
const QString kServer = QStringLiteral("submission/server");
const QString kEnabled = QStringLiteral("submission/enabled");

} // namespace

std::optional<Station> SubmissionSettings::station() const {
    if (callsign.isEmpty() || !position)
        return std::nullopt;
    return Station{callsign.toStdString(), *position};
}

QString settingsFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/orvinta/orvinta.conf");
}

QString journalFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/orvinta/sids-journal");
}

SubmissionSettings loadSubmissionSettings() {
    // A file of its own, not the one QSettings derives from the program's name: the
    // desktop program and orvinta-cw share it.
    const QSettings settings(settingsFilePath(), QSettings::IniFormat);
    SubmissionSettings loaded;
    if (const std::optional<std::string> callsign =
            normalizedCallsign(settings.value(kCallsign).toString().toStdString()))
        loaded.callsign = QString::fromStdString(*callsign);
    bool latitudeRead = false;
    bool longitudeRead = false;
    const Position position{settings.value(kLatitude).toDouble(&latitudeRead),
                            settings.value(kLongitude).toDouble(&longitudeRead)};
    if (latitudeRead && longitudeRead && validPosition(position))
        loaded.position = position;
    loaded.locator = settings.value(kLocator).toString();
    loaded.server =
        settings
            .value(kServer, QString::fromUtf8(kSatnogsDbUrl.data(),
                                              static_cast<qsizetype>(kSatnogsDbUrl.size())))
            .toString();
    loaded.enabled = settings.value(kEnabled, false).toBool();
    return loaded;
}

bool saveSubmissionSettings(const SubmissionSettings& saved, QString* error) {
    QSettings settings(settingsFilePath(), QSettings::IniFormat);
    settings.setValue(kCallsign, saved.callsign);
    if (saved.position) {
        settings.setValue(kLatitude, saved.position->latitude);
        settings.setValue(kLongitude, saved.position->longitude);
    } else {
        settings.remove(kLatitude);
        settings.remove(kLongitude);
    }
    settings.setValue(kLocator, saved.locator);
    settings.setValue(kServer, saved.server);
    settings.setValue(kEnabled, saved.enabled);
    settings.sync();
    switch (settings.status()) {
    case QSettings::NoError:
        return true;
    case QSettings::AccessError:
        *error = settingsFilePath() + QStringLiteral(": nicht schreibbar");
        return false;
    case QSettings::FormatError:
        *error = settingsFilePath() + QStringLiteral(": kein lesbares Einstellungsformat");
        return false;
    }
    *error = settingsFilePath();
    return false;
}

} // namespace orvinta::submission
