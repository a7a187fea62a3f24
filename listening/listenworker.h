// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The worker that listens on a thread of its own: it reads a recording block by block, or
// takes the blocks an input device delivers, and feeds them to the decoder and the
// waterfall (FrameFeeder). What they give goes out in batches, a few each second, so
// that the window is never flooded; frames go out as soon as they are heard.

#include "audioblocks.h"
#include "framefeeder.h"
#include "heardframesmodel.h"
#include "streamclock.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAudioSource;
class QIODevice;

namespace orvinta::listening {

/// What one batch brings to the window. Its moments (the frames' and tones' seconds and
/// the rows') are seconds on the listening's time line: into a recording, or of
/// wall-clock time since live audio began, stretches in which none arrived included.
struct ListenBatch {
    std::vector<ListedFrame> frames;
    std::vector<cw::FollowedTone> tones;
    std::vector<WaterfallRow> rows;
    double secondsPerRow = 0.0;
    /// Seconds of audio the batch brings.
    double audioSeconds = 0.0;
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

/// Starts an input device and gives the stream it reads, or nothing when it fails: a
/// seam for tests, which make the start hang as a hanging audio server does.
using DeviceOpener = std::function<QIODevice*(QAudioSource& source)>;
/// QAudioSource::start().
QIODevice* startAudioSource(QAudioSource& source);

/// Lives on a listening thread of its own; its slots are invoked there (queued). One
/// listening at a time.
class ListenWorker : public QObject {
    Q_OBJECT

public:
    explicit ListenWorker(DeviceOpener opener = startAudioSource, QObject* parent = nullptr);
    ~ListenWorker() override;

    /// Makes a recording being decoded end at the next block; safe from any thread.
    void requestStop() { m_stopRequested = true; }
    /// Forgets an earlier stop request; called before the next listening is queued.
    void clearStopRequest() { m_stopRequested = false; }

    /// Decodes the recording at `path` to its end or until requestStop().
    void decodeRecording(const QString& path);
    /// Listens to `device` in `format` until stopDevice() or deviceLost(); listening()
    /// follows once the device runs. A stop requested while the device starts ends the
    /// listening as soon as the start returns.
    void startDevice(const QAudioDevice& device, const QAudioFormat& format);
    void stopDevice();
    /// The device listened to is gone from the system.
    void deviceLost();

signals:
    /// The input device started and delivers.
    void listening();
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
    /// The moment `streamSeconds` into the stream on the listening's time line.
    double timeline(double streamSeconds) const;

    DeviceOpener m_opener;
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
    /// Live audio: when each block arrived.
    std::optional<StreamClock> m_clock;
    /// A recording's start time, if known (cw/audio/recordingstart.h).
    QDateTime m_recordingStartUtc;
};

} // namespace orvinta::listening
