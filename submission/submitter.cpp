// SPDX-License-Identifier: GPL-3.0-or-later
#include "submitter.h"

#include "sidsfields.h"
#include "version.h"

#include <QFile>

namespace orvinta::submission {

Submitter::Submitter(const QString& journalPath, SubmitTiming timing, QObject* parent)
    : QObject(parent)
    , m_journal(std::filesystem::path(QFile::encodeName(journalPath).toStdString()))
    , m_timing(timing)
    , m_client(timing.requestTimeoutMs) {
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        m_paused = false;
        sendNext();
    });
    connect(&m_client, &SidsClient::finished, this, &Submitter::answered);
}

Submitter::~Submitter() = default;

QString Submitter::keyOf(const JournalEntry& entry) {
    return QString::fromStdString(entry.server + '\t' + entry.timestamp + '\t' + entry.frame);
}

bool Submitter::refreshJournal() {
    std::string error;
    if (m_journal.refresh(&error))
        return true;
    m_journalError = QString::fromStdString(m_journal.path().string() + ": " + error);
    emit journalFailed(m_journalError);
    return false;
}

Submitter::Offer Submitter::offer(const QString& server, const std::string& line, UtcTime received,
                                  const Station& station) {
    if (!refreshJournal())
        return Offer::JournalFailed;
    JournalEntry entry;
    entry.server = server.toStdString();
    entry.timestamp = sidsTimestamp(received);
    entry.frame = hexBytes(line);
    if (m_inHand.contains(keyOf(entry)))
        return Offer::InHand;
    if (const JournalEntry* known = m_journal.find(entry.server, entry.timestamp, entry.frame)) {
        if (known->state != JournalState::Waiting)
            return Offer::AlreadyKnown;
        enqueue(*known);
        return Offer::Queued;
    }
    entry.body = formEncoded(sidsFields(line, received, station, programVersion()));
    std::string error;
    if (!m_journal.record(entry, &error)) {
        m_journalError = QString::fromStdString(m_journal.path().string() + ": " + error);
        emit journalFailed(m_journalError);
        return Offer::JournalFailed;
    }
    enqueue(entry);
    return Offer::Queued;
}

int Submitter::resumeWaiting(const QString& server) {
    if (!refreshJournal())
        return 0;
    int count = 0;
    for (const JournalEntry& entry : m_journal.waiting(server.toStdString())) {
        if (!m_inHand.contains(keyOf(entry))) {
            enqueue(entry);
            ++count;
        }
    }
    return count;
}

void Submitter::enqueue(const JournalEntry& entry) {
    m_inHand.insert(keyOf(entry));
    m_queue.push_back(entry);
    emit changed();
    sendNext();
}

void Submitter::setTiming(SubmitTiming timing) {
    m_timing = timing;
    m_client.setTimeout(timing.requestTimeoutMs);
}

SubmissionCounts Submitter::counts() const {
    SubmissionCounts counts = m_counts;
    counts.waiting = static_cast<int>(m_queue.size()) + (m_underWay ? 1 : 0);
    return counts;
}

void Submitter::hold() {
    m_held = true;
    m_retry.stop();
}

void Submitter::release() {
    m_held = false;
    m_paused = false;
    m_retry.stop();
    sendNext();
}

bool Submitter::settled() const {
    return !m_underWay && (m_queue.empty() || m_paused || m_held);
}

void Submitter::sendNext() {
    while (!m_underWay && !m_paused && !m_held && !m_queue.empty()) {
        JournalEntry entry = std::move(m_queue.front());
        m_queue.pop_front();
        // Another program may have sent it meanwhile.
        if (refreshJournal()) {
            const JournalEntry* now = m_journal.find(entry.server, entry.timestamp, entry.frame);
            if (now != nullptr && now->state != JournalState::Waiting) {
                m_inHand.remove(keyOf(entry));
                emit changed();
                continue;
            }
        }
        m_underWay = std::move(entry);
        m_client.post(QString::fromStdString(m_underWay->server),
                      QByteArray::fromStdString(m_underWay->body));
        return;
    }
    if (settled())
        emit settledNow();
}

void Submitter::answered(const SubmitResult& result) {
    JournalEntry entry = std::move(*m_underWay);
    m_underWay.reset();
    switch (result.kind) {
    case SubmitResult::Kind::Accepted:
        entry.state = JournalState::Sent;
        record(entry);
        ++m_counts.sent;
        break;
    case SubmitResult::Kind::Refused:
        entry.state = JournalState::Refused;
        entry.note = result.reason.toStdString();
        record(entry);
        ++m_counts.refused;
        emit refused(entry, result.reason);
        break;
    case SubmitResult::Kind::Failed:
        // It stays waiting in the journal; the next try starts with it.
        m_queue.push_front(std::move(entry));
        m_paused = true;
        if (m_timing.retryIntervalMs > 0 && !m_held)
            m_retry.start(m_timing.retryIntervalMs);
        emit failed(result.reason);
        break;
    }
    emit changed();
    sendNext();
}

void Submitter::record(const JournalEntry& entry) {
    std::string error;
    if (!m_journal.record(entry, &error)) {
        m_journalError = QString::fromStdString(m_journal.path().string() + ": " + error);
        emit journalFailed(m_journalError);
    }
}

} // namespace orvinta::submission
