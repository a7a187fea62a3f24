// SPDX-License-Identifier: GPL-3.0-or-later
#include "framesharing.h"

#include "listenmessages.h"
#include "submission/sidsfields.h"
#include "submission/submissionsettings.h"

#include <chrono>

namespace orvinta::listening {

namespace {

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
        if (m_submitter.counts().waiting == 0 && m_problem.startsWith(kNotReachedProblem))
            m_problem.clear();
        emit changed();
    });
    connect(&m_submitter, &submission::Submitter::refused, this,
            [this](const submission::JournalEntry&, const QString& reason) {
                m_problem = kRefusedProblem + reason;
                emit changed();
            });
    connect(&m_submitter, &submission::Submitter::failed, this, [this](const QString& reason) {
        m_problem = kNotReachedProblem + reason;
        emit changed();
    });
    connect(&m_submitter, &submission::Submitter::journalFailed, this,
            [this](const QString& reason) {
                m_problem = kJournalProblem + reason;
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
        m_problem = kSettingsProblem + error;
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
    return sharingStatusText(m_submitter.counts(), m_uncertain, m_withoutTime, m_problem);
}

} // namespace orvinta::listening
