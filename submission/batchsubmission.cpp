// SPDX-License-Identifier: GPL-3.0-or-later
#include "batchsubmission.h"

#include "sidsfields.h"
#include "version.h"

#include <QEventLoop>
#include <QFile>

#include <ostream>

namespace orvinta::submission {

BatchSubmission::BatchSubmission(BatchOptions options, std::ostream& out, std::ostream& err)
    : m_options(std::move(options))
    , m_out(out)
    , m_err(err)
    , m_submitter(m_options.journalPath, m_options.timing)
    , m_journal(std::filesystem::path(QFile::encodeName(m_options.journalPath).toStdString())) {
    QObject::connect(&m_submitter, &Submitter::refused, &m_submitter,
                     [this](const JournalEntry& entry, const QString& reason) {
                         report(QStringLiteral("abgelehnt, Block von %1: %2")
                                    .arg(QString::fromStdString(entry.timestamp), reason));
                     });
    QObject::connect(&m_submitter, &Submitter::failed, &m_submitter, [this](const QString& reason) {
        report(QStringLiteral("%1 nicht erreicht (%2); die übrigen Blöcke warten "
                              "(orvinta-cw --submit-pending)")
                   .arg(m_options.server, reason));
    });
    QObject::connect(&m_submitter, &Submitter::journalFailed, &m_submitter,
                     [this](const QString& reason) {
                         m_journalFailed = true;
                         report(QStringLiteral("Journal: ") + reason);
                     });
    std::string error;
    if (m_options.dryRun && !m_journal.refresh(&error)) {
        m_journalFailed = true;
        report(QStringLiteral("Journal: ") + QString::fromStdString(error));
    }
}

BatchSubmission::~BatchSubmission() = default;

void BatchSubmission::report(const QString& text) {
    m_err << "orvinta-cw: " << text.toStdString() << '\n';
}

void BatchSubmission::submitWaiting() {
    if (m_options.dryRun) {
        for (const JournalEntry& entry : m_journal.waiting(m_options.server.toStdString()))
            print(entry.timestamp, entry.frame, entry.body);
        return;
    }
    m_submitter.resumeWaiting(m_options.server);
    waitUntilSettled();
}

void BatchSubmission::submitRecording(const std::string& name, const std::vector<ReadFrame>& frames,
                                      bool startKnown) {
    if (!startKnown) {
        m_withoutStart += static_cast<int>(frames.size());
        report(QString::fromStdString(name) +
               QStringLiteral(": Startzeit unbekannt, die Blöcke werden nicht gesendet "
                              "(--start angeben)"));
        return;
    }
    for (const ReadFrame& frame : frames)
        offer(frame);
    waitUntilSettled();
}

void BatchSubmission::offer(const ReadFrame& frame) {
    if (!submittable(frame.line, frame.confidence, m_options.minimumConfidence)) {
        ++m_uncertain;
        return;
    }
    if (m_options.dryRun) {
        const std::string timestamp = sidsTimestamp(frame.received);
        const std::string hex = hexBytes(frame.line);
        const JournalEntry* known = m_journal.find(m_options.server.toStdString(), timestamp, hex);
        if (known != nullptr && known->state != JournalState::Waiting) {
            ++m_alreadyKnown;
            return;
        }
        // A frame waiting from earlier goes out as it was recorded then.
        print(timestamp, hex,
              known != nullptr ? known->body
                               : formEncoded(sidsFields(frame.line, frame.received,
                                                        *m_options.station, programVersion())));
        return;
    }
    if (m_submitter.offer(m_options.server, frame.line, frame.received, *m_options.station) ==
        Submitter::Offer::AlreadyKnown)
        ++m_alreadyKnown;
}

void BatchSubmission::print(const std::string& timestamp, const std::string& frame,
                            const std::string& body) {
    if (!m_printed.insert(timestamp + '\t' + frame).second)
        return;
    m_out << "POST " << m_options.server.toStdString() << "\n"
          << "Content-Type: application/x-www-form-urlencoded\n\n"
          << body << "\n\n";
}

void BatchSubmission::waitUntilSettled() {
    if (m_submitter.settled())
        return;
    QEventLoop loop;
    QObject::connect(&m_submitter, &Submitter::settledNow, &loop, &QEventLoop::quit);
    loop.exec();
}

bool BatchSubmission::finish() {
    const SubmissionCounts counts = m_submitter.counts();
    std::string summary = "orvinta-cw: " + m_options.server.toStdString() + ": ";
    if (m_options.dryRun)
        summary += std::to_string(m_printed.size()) + " zu senden (Probelauf, nichts gesendet)";
    else
        summary += std::to_string(counts.sent) + " gesendet, " + std::to_string(counts.waiting) +
                   " wartend, " + std::to_string(counts.refused) + " abgelehnt";
    summary += "; nicht gesendet: " + std::to_string(m_alreadyKnown) +
               " schon gesendet oder abgelehnt, " + std::to_string(m_uncertain) + " unsicher, " +
               std::to_string(m_withoutStart) + " ohne Startzeit\n";
    m_err << summary;
    return !m_journalFailed && counts.waiting == 0 && counts.refused == 0;
}

} // namespace orvinta::submission
