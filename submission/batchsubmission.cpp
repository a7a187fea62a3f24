// SPDX-License-Identifier: GPL-3.0-or-later
#include "batchsubmission.h"

#include "sidsfields.h"
#include "version.h"

#include <QEventLoop>
#include <QFile>

#include <ostream>

namespace orvinta::submission {

BatchSubmission::BatchSubmission(BatchOptions options, std::ostream& out, std::ostream& err)
    : options_(std::move(options))
    , out_(out)
    , err_(err)
    , submitter_(options_.journalPath, options_.timing)
    , journal_(std::filesystem::path(QFile::encodeName(options_.journalPath).toStdString())) {
    QObject::connect(&submitter_, &Submitter::refused, &submitter_,
                     [this](const JournalEntry& entry, const QString& reason) {
                         report(QStringLiteral("abgelehnt, Block von %1: %2")
                                    .arg(QString::fromStdString(entry.timestamp), reason));
                     });
    QObject::connect(&submitter_, &Submitter::failed, &submitter_, [this](const QString& reason) {
        report(QStringLiteral("%1 nicht erreicht (%2); die übrigen Blöcke warten "
                              "(orvinta-cw --submit-pending)")
                   .arg(options_.server, reason));
    });
    QObject::connect(&submitter_, &Submitter::journalFailed, &submitter_,
                     [this](const QString& reason) {
                         journalFailed_ = true;
                         report(QStringLiteral("Journal: ") + reason);
                     });
    std::string error;
    if (options_.dryRun && !journal_.refresh(&error)) {
        journalFailed_ = true;
        report(QStringLiteral("Journal: ") + QString::fromStdString(error));
    }
}

BatchSubmission::~BatchSubmission() = default;

void BatchSubmission::report(const QString& text) {
    err_ << "orvinta-cw: " << text.toStdString() << '\n';
}

void BatchSubmission::submitWaiting() {
    if (options_.dryRun) {
        for (const JournalEntry& entry : journal_.waiting(options_.server.toStdString()))
            print(entry.timestamp, entry.frame, entry.body);
        return;
    }
    submitter_.resumeWaiting(options_.server);
    waitUntilSettled();
}

void BatchSubmission::submitRecording(const std::string& name, const std::vector<ReadFrame>& frames,
                                      bool startKnown) {
    if (!startKnown) {
        withoutStart_ += static_cast<int>(frames.size());
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
    if (!submittable(frame.line, frame.confidence, options_.minimumConfidence)) {
        ++uncertain_;
        return;
    }
    if (options_.dryRun) {
        const std::string timestamp = sidsTimestamp(frame.received);
        const std::string hex = hexBytes(frame.line);
        const JournalEntry* known = journal_.find(options_.server.toStdString(), timestamp, hex);
        if (known != nullptr && known->state != JournalState::Waiting) {
            ++alreadyKnown_;
            return;
        }
        // A frame waiting from earlier goes out as it was recorded then.
        print(timestamp, hex,
              known != nullptr ? known->body
                               : formEncoded(sidsFields(frame.line, frame.received,
                                                        *options_.station, programVersion())));
        return;
    }
    if (submitter_.offer(options_.server, frame.line, frame.received, *options_.station) ==
        Submitter::Offer::AlreadyKnown)
        ++alreadyKnown_;
}

void BatchSubmission::print(const std::string& timestamp, const std::string& frame,
                            const std::string& body) {
    if (!printed_.insert(timestamp + '\t' + frame).second)
        return;
    out_ << "POST " << options_.server.toStdString() << "\n"
         << "Content-Type: application/x-www-form-urlencoded\n\n"
         << body << "\n\n";
}

void BatchSubmission::waitUntilSettled() {
    if (submitter_.settled())
        return;
    QEventLoop loop;
    QObject::connect(&submitter_, &Submitter::settledNow, &loop, &QEventLoop::quit);
    loop.exec();
}

bool BatchSubmission::finish() {
    const SubmissionCounts counts = submitter_.counts();
    std::string summary = "orvinta-cw: " + options_.server.toStdString() + ": ";
    if (options_.dryRun)
        summary += std::to_string(printed_.size()) + " zu senden (Probelauf, nichts gesendet)";
    else
        summary += std::to_string(counts.sent) + " gesendet, " + std::to_string(counts.waiting) +
                   " wartend, " + std::to_string(counts.refused) + " abgelehnt";
    summary += "; nicht gesendet: " + std::to_string(alreadyKnown_) +
               " schon gesendet oder abgelehnt, " + std::to_string(uncertain_) + " unsicher, " +
               std::to_string(withoutStart_) + " ohne Startzeit\n";
    err_ << summary;
    return !journalFailed_ && counts.waiting == 0 && counts.refused == 0;
}

} // namespace orvinta::submission
