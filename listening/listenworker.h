// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The worker that listens on a thread of its own: it reads a recording block by block, or
// takes the blocks an input device delivers, and feeds them to the decoder and the
// waterfall (FrameFeeder). What they give goes out in batches, a few each second, so
// that the window is never flooded; frames go out as soon as they are heard.

#include "audioblocks.h"
#include "framefeeder.h"
#include "heardframesmodel.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

class QAudioSource;
class QIODevice;

namespace orvinta::listening {

/// What one batch brings to the window.
struct ListenBatch {
    std::vector<ListedFrame> frames;
    std::vector<cw::FollowedTone> tones;
    std::vector<WaterfallRow> rows;
    double secondsPerRow = 0.0;
    /// The share of a recording decoded so far; nothing for live audio or a recording of
    /// unknown length.
    std::optional<double> progress;
    /// The peak level of live audio since the last batch, in dB below full scale.
    std::optional<double> levelDb;
};

/// How a listening ended.
struct ListenOutcome {
    enum class Kind {
        Completed, ///< the recording was read to its end
        Stopped,   ///< the operator stopped it
        Failed,    ///< see message
    };
    Kind kind = Kind::Completed;
    QString message;
};

/// Lives on the listening thread; its slots are invoked there (queued). One listening
/// at a time.
class ListenWorker : public QObject {
    Q_OBJECT

public:
    explicit ListenWorker(QObject* parent = nullptr);
    ~ListenWorker() override;

    /// Makes a recording being decoded end at the next block; safe from any thread.
    void requestStop() { m_stopRequested = true; }
    /// Forgets an earlier stop request; called before the next listening is queued.
    void clearStopRequest() { m_stopRequested = false; }

    /// Decodes the recording at `path` to its end or until requestStop().
    void decodeRecording(const QString& path);
    /// Listens to `device` in `format` until stopDevice() or deviceLost().
    void startDevice(const QAudioDevice& device, const QAudioFormat& format);
    void stopDevice();
    /// The device listened to is gone from the system.
    void deviceLost();

signals:
    void heard(const orvinta::listening::ListenBatch& batch);
    void ended(const orvinta::listening::ListenOutcome& outcome);

private:
    void readDevice();
    void deviceStateChanged();
    void endCapture(const ListenOutcome& outcome);
    /// Moves what `heard` holds into the pending batch; frames get their UTC time when the
    /// stream's start is known.
    void collect(Heard& heard);
    /// Sends the pending batch when it holds frames or enough time has passed, or always.
    void flush(bool always);

    std::atomic<bool> m_stopRequested = false;
    std::unique_ptr<FrameFeeder> m_feeder;
    ListenBatch m_batch;
    QElapsedTimer m_sinceBatch;

    QAudioSource* m_source = nullptr;
    QIODevice* m_input = nullptr;
    QString m_deviceName;
    QAudioFormat m_format;
    QByteArray m_partial; ///< bytes of an incomplete frame from the last block
    std::vector<float> m_mono;
    /// When the stream began: live, when its first block arrived; for a recording, its
    /// start time if known (cw/recordingstart.h).
    QDateTime m_streamStartUtc;
};

} // namespace orvinta::listening
