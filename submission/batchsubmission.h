// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Submitting the frames of recordings from the command line: the frames of each
// recording are offered to a Submitter once the recording is read, and the run waits
// until the server has answered them or sending stopped on a failure; a dry run prints
// the requests instead. At the end, a summary of what was sent, what waits, what was
// refused and what was left out and why.

#include "station.h"
#include "submitter.h"

#include "timestamps/isotime.h"

#include <QString>

#include <iosfwd>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace orvinta::submission {

struct BatchOptions {
    QString server;
    /// Needed for the frames of recordings; waiting frames carry their own.
    std::optional<Station> station;
    double minimumConfidence = 0.99;
    bool dryRun = false;
    QString journalPath;
    SubmitTiming timing{kRequestTimeoutMs, 0};
};

/// A frame read from a recording, as far as submitting it is concerned.
struct ReadFrame {
    std::string line;
    double confidence = 0.0;
    UtcTime received;
};

class BatchSubmission {
public:
    /// Requests of a dry run go to `out`, reports and the summary to `err`.
    BatchSubmission(BatchOptions options, std::ostream& out, std::ostream& err);
    ~BatchSubmission();
    BatchSubmission(const BatchSubmission&) = delete;
    BatchSubmission& operator=(const BatchSubmission&) = delete;

    /// Sends (or prints) what waits in the journal for the server from earlier runs.
    void submitWaiting();
    /// Submits the frames of the recording `name` that may go out; none when the
    /// recording's start is not known, which is reported.
    void submitRecording(const std::string& name, const std::vector<ReadFrame>& frames,
                         bool startKnown);
    /// Writes the summary. True when nothing was refused, nothing is left waiting and
    /// the journal could be kept.
    bool finish();

private:
    void offer(const ReadFrame& frame);
    /// Prints the request of a frame once however often it is met.
    void print(const std::string& timestamp, const std::string& frame, const std::string& body);
    void waitUntilSettled();
    void report(const QString& text);

    BatchOptions m_options;
    std::ostream& m_out;
    std::ostream& m_err;
    Submitter m_submitter;
    Journal m_journal;               ///< for a dry run, which only reads it
    std::set<std::string> m_printed; ///< the timestamp and frame of each request printed
    int m_alreadyKnown = 0;
    int m_uncertain = 0;
    int m_withoutStart = 0;
    bool m_journalFailed = false;
};

} // namespace orvinta::submission
