// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The switch "An SatNOGS senden" of the listening window without the window: while it is
// on, each frame heard with a time (live audio, or a recording whose start is known) that
// the decoder is sure of goes to the SiDS server of the saved settings
// (submission/submitter.h), sending beside the window, never holding it up.

#include "heardframesmodel.h"

#include "submission/submitter.h"

#include <QObject>
#include <QString>

#include <vector>

namespace orvinta::listening {

class FrameSharing : public QObject {
    Q_OBJECT

public:
    /// Keeps its journal at `journalPath`.
    explicit FrameSharing(const QString& journalPath,
                          submission::SubmitTiming timing = submission::SubmitTiming(),
                          QObject* parent = nullptr);

    bool isOn() const { return m_on; }
    /// Whether the saved settings have the switch on.
    static bool savedOn();

    /// Switches on, and sends what waits from earlier; refuses, with the reason for the
    /// operator, while no station is set.
    bool switchOn(QString* refusal);
    void switchOff();

    /// Sends those of `frames` that may go out, while switched on.
    void share(const std::vector<ListedFrame>& frames);

    /// "SatNOGS: 2 gesendet, 1 wartend, 0 abgelehnt", with what was left out and the last
    /// problem.
    QString statusText() const;

    submission::Submitter* submitter() { return &m_submitter; }

Q_SIGNALS:
    void changed();

private:
    void remember(bool on);

    submission::Submitter m_submitter;
    bool m_on = false;
    int m_uncertain = 0;
    int m_withoutTime = 0;
    QString m_problem;
};

} // namespace orvinta::listening
