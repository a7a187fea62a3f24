// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Frames on their way to a SiDS server: each frame offered is looked up in the journal
// (journal.h), recorded as waiting when new, and sent in turn, one request at a time
// (sidsclient.h); the answer is recorded. A failure that may pass (5xx, no answer, no
// connection) stops the sending: the frames stay waiting and are tried again after the
// retry interval, or by the next run.

#include "journal.h"
#include "sidsclient.h"
#include "station.h"

#include "timestamps/isotime.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <deque>
#include <optional>
#include <string>

namespace orvinta::submission {

struct SubmitTiming {
    int requestTimeoutMs = kRequestTimeoutMs;
    /// After a failure, the waiting frames are tried again this much later; 0 leaves
    /// them for the next run. A minute lets a server or a network come back without
    /// knocking on it every second.
    int retryIntervalMs = 60000;
};

/// What has become of the frames since the submitter was made.
struct SubmissionCounts {
    int sent = 0;
    int waiting = 0; ///< queued or under way
    int refused = 0;
};

class Submitter : public QObject {
    Q_OBJECT

public:
    Submitter(const QString& journalPath, SubmitTiming timing = {}, QObject* parent = nullptr);
    ~Submitter() override;

    enum class Offer {
        Queued,        ///< recorded as waiting (or found waiting) and queued
        InHand,        ///< queued, under way or answered already: in counts() as it stands
        AlreadyKnown,  ///< sent or refused before this submitter: nothing more to do
        JournalFailed, ///< the journal could not be read or written; see journalError()
    };

    /// Offers `line`, received at `received` by `station`, for `server`.
    Offer offer(const QString& server, const std::string& line, UtcTime received,
                const Station& station);
    /// Queues the frames waiting in the journal for `server` from earlier; how many.
    int resumeWaiting(const QString& server);

    /// Starts no request from now on (one under way is answered as usual) until
    /// release(); the frames queued stay queued.
    void hold();
    /// Sends the frames queued at once, also after a failure.
    void release();

    /// For the retries from now on, and the requests: the one under way, if any, has
    /// the new request timeout counted from now.
    void setTiming(SubmitTiming timing);

    SubmissionCounts counts() const;
    /// Nothing under way, and nothing queued that is to be sent now.
    bool settled() const;
    QString journalError() const { return m_journalError; }

Q_SIGNALS:
    /// The counts changed.
    void changed();
    /// The server refused `entry` for good; `reason` has its reply.
    void refused(const orvinta::submission::JournalEntry& entry, const QString& reason);
    /// Sending stopped on a failure that may pass; the frames wait.
    void failed(const QString& reason);
    void journalFailed(const QString& reason);
    /// Became settled().
    void settledNow();

private:
    static QString keyOf(const JournalEntry& entry);
    bool refreshJournal();
    void enqueue(const JournalEntry& entry);
    void sendNext();
    void answered(const SubmitResult& result);
    void record(const JournalEntry& entry);

    Journal m_journal;
    SubmitTiming m_timing;
    SidsClient m_client;
    QTimer m_retry;
    std::deque<JournalEntry> m_queue;
    std::optional<JournalEntry> m_underWay;
    QSet<QString> m_inHand; ///< keys of the frames queued, under way or answered
    bool m_paused = false;  ///< by a failure, until the retry
    bool m_held = false;    ///< by hold(), until release()
    SubmissionCounts m_counts;
    QString m_journalError;
};

} // namespace orvinta::submission
