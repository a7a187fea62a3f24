// SPDX-License-Identifier: GPL-3.0-or-later
#include "framesharing.h"

#include "submission/sidsfields.h"
#include "submission/submissionsettings.h"

#include <chrono>

namespace orvinta::listening {

namespace {

const QString kNoStationMessage =
    QStringLiteral("Ohne Station wird nichts gesendet: Bitte zuerst Rufzeichen und Standort "
                   "unter \"Datei\" > \"Station ...\" eintragen.");

const QString kNotReached = QStringLiteral("nicht erreicht: ");

UtcTime receptionTime(const QDateTime& time) {
    return UtcTime(std::chrono::milliseconds(time.toMSecsSinceEpoch()));
}

} // namespace

FrameSharing::FrameSharing(const QString& journalPath, submission::SubmitTiming timing,
                           QObject* parent)
    : QObject(parent)
    , m_submitter(journalPath, timing) {
    // Nothing goes out until the operator switches on.
    m_submitter.hold();
    connect(&m_submitter, &submission::Submitter::changed, this, [this] {
        // A server that was not reached has taken everything since.
        if (m_submitter.counts().waiting == 0 && m_problem.startsWith(kNotReached))
            m_problem.clear();
        emit changed();
    });
    connect(&m_submitter, &submission::Submitter::refused, this,
            [this](const submission::JournalEntry&, const QString& reason) {
                m_problem = QStringLiteral("abgelehnt: ") + reason;
                emit changed();
            });
    connect(&m_submitter, &submission::Submitter::failed, this, [this](const QString& reason) {
        m_problem = kNotReached + reason;
        emit changed();
    });
    connect(&m_submitter, &submission::Submitter::journalFailed, this,
            [this](const QString& reason) {
                m_problem = QStringLiteral("Journal: ") + reason;
                emit changed();
            });
}

bool FrameSharing::savedOn() {
    const submission::SubmissionSettings settings = submission::loadSubmissionSettings();
    return settings.enabled && settings.station().has_value();
}

bool FrameSharing::switchOn(QString* refusal) {
    const submission::SubmissionSettings settings = submission::loadSubmissionSettings();
    if (!settings.station()) {
        *refusal = kNoStationMessage;
        return false;
    }
    remember(true);
    m_submitter.release();
    m_submitter.resumeWaiting(settings.server);
    emit changed();
    return true;
}

void FrameSharing::switchOff() {
    // What waits stays waiting, in the journal too, until the switch is on again.
    m_submitter.hold();
    remember(false);
    emit changed();
}

void FrameSharing::remember(bool on) {
    m_on = on;
    submission::SubmissionSettings settings = submission::loadSubmissionSettings();
    if (settings.enabled == on)
        return;
    settings.enabled = on;
    QString error;
    if (!submission::saveSubmissionSettings(settings, &error))
        m_problem = QStringLiteral("Einstellungen nicht gespeichert: ") + error;
}

void FrameSharing::share(const std::vector<ListedFrame>& frames) {
    if (!m_on || frames.empty())
        return;
    // Read each time: the station may have been changed meanwhile.
    const submission::SubmissionSettings settings = submission::loadSubmissionSettings();
    const std::optional<submission::Station> station = settings.station();
    if (!station)
        return;
    for (const ListedFrame& frame : frames) {
        if (!frame.utc.isValid()) {
            ++m_withoutTime;
        } else if (!submission::submittable(frame.heard.text, frame.heard.confidence)) {
            ++m_uncertain;
        } else {
            m_submitter.offer(settings.server, frame.heard.text, receptionTime(frame.utc),
                              *station);
        }
    }
    emit changed();
}

QString FrameSharing::statusText() const {
    const submission::SubmissionCounts counts = m_submitter.counts();
    QString text = QStringLiteral("SatNOGS: %1 gesendet, %2 wartend, %3 abgelehnt")
                       .arg(counts.sent)
                       .arg(counts.waiting)
                       .arg(counts.refused);
    if (m_uncertain > 0 || m_withoutTime > 0)
        text += QStringLiteral("; nicht gesendet: %1 unsicher, %2 ohne Startzeit")
                    .arg(m_uncertain)
                    .arg(m_withoutTime);
    if (!m_problem.isEmpty())
        text += QStringLiteral(" (") + m_problem + QLatin1Char(')');
    return text;
}

} // namespace orvinta::listening
