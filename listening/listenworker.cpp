// SPDX-License-Identifier: GPL-3.0-or-later
#include "listenworker.h"

#include "cw/audio/audiofile.h"
#include "cw/audio/recordingstart.h"
#include "formats/audioreasons.h"
#include "listenmessages.h"
#include "recordinginfo.h"

#include <QAudioSource>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <utility>

namespace orvinta::listening {
namespace {

/// Frames read from a recording at a time: a fraction of a second of audio, so that a
/// stop takes effect at once.
constexpr std::size_t kRecordingBlockFrames = 8192;
/// Batches go out at most this often, unless they carry a frame: about 25 updates of the
/// window a second look continuous and cost it little.
constexpr qint64 kBatchIntervalMs = 40;
/// A live waterfall row stands for a quarter second: a minute of audio in the view.
constexpr double kLiveSecondsPerRow = 0.25;
/// A recording's waterfall shows the whole recording in about this many rows.
constexpr double kRecordingRows = 240.0;
/// The input device hands over its audio in buffers of about this length.
constexpr double kDeviceBufferSeconds = 0.1;

} // namespace

QIODevice* startAudioSource(QAudioSource& source) {
    return source.start();
}

ListenWorker::ListenWorker(DeviceOpener opener, QObject* parent)
    : QObject(parent)
    , m_opener(std::move(opener)) {
}

ListenWorker::~ListenWorker() = default;

void ListenWorker::decodeRecording(const QString& path) {
    std::string reason;
    const std::string encodedPath = QFile::encodeName(path).toStdString();
    const std::unique_ptr<cw::AudioFile> file = cw::AudioFile::open(encodedPath, &reason);
    if (!file) {
        emit ended({ListenOutcome::Kind::Failed,
                    recordingUnreadableMessage(path, unreadableReason(path))});
        return;
    }
    const std::optional<double> length = recordingSeconds(path);
    m_feeder = std::make_unique<FrameFeeder>(
        file->sampleRate(), std::max(kLiveSecondsPerRow, length.value_or(0.0) / kRecordingRows));
    // Frames get their time of day when the recording tells when it began.
    m_clock.reset();
    m_recordingStartUtc = {};
    if (const std::optional<cw::RecordingStart> start = cw::recordingStart(*file, encodedPath))
        m_recordingStartUtc =
            QDateTime::fromMSecsSinceEpoch(start->time.time_since_epoch().count(), Qt::UTC);
    m_sinceBatch.start();

    std::vector<float> block;
    Heard heard;
    while (!m_stopRequested && file->read(kRecordingBlockFrames, block)) {
        m_feeder->push(block.data(), block.size(), heard);
        collect(heard);
        if (length && *length > 0.0)
            m_batch.progress = std::min(1.0, m_feeder->seconds() / *length);
        flush(false);
    }
    m_feeder->finish(heard);
    collect(heard);
    ListenOutcome outcome;
    if (m_stopRequested) {
        outcome.kind = ListenOutcome::Kind::Stopped;
    } else if (!file->error().empty()) {
        outcome = {
            ListenOutcome::Kind::Failed,
            recordingBrokenMessage(path, m_feeder->seconds(),
                                   QString::fromStdString(germanAudioReason(file->error())))};
    } else {
        m_batch.progress = 1.0;
    }
    flush(true);
    m_feeder.reset();
    emit ended(outcome);
}

void ListenWorker::startDevice(const QAudioDevice& device, const QAudioFormat& format) {
    m_deviceName = device.description();
    if (m_stopRequested) {
        emit ended({ListenOutcome::Kind::Stopped, {}});
        return;
    }
    if (!device.isFormatSupported(format)) {
        emit ended({ListenOutcome::Kind::Failed, formatRefusedMessage(m_deviceName, format)});
        return;
    }
    m_format = format;
    m_source = new QAudioSource(device, format, this);
    m_source->setBufferSize(static_cast<qsizetype>(
        format.bytesForDuration(static_cast<qint64>(kDeviceBufferSeconds * 1e6))));
    connect(m_source, &QAudioSource::stateChanged, this, &ListenWorker::deviceStateChanged);
    // The start may take long, or for ever, when the audio system hangs: the session
    // stops waiting for it, and a stop asked for meanwhile is done once it returns.
    m_input = m_opener(*m_source);
    if (m_input == nullptr || m_source->error() != QAudio::NoError || m_stopRequested) {
        // Taken out first: deleting a source runs queued calls, endCapture() among them.
        QAudioSource* source = std::exchange(m_source, nullptr);
        m_input = nullptr;
        source->disconnect(this);
        const QString reason = audioErrorReason(source->error());
        const bool failed = !m_stopRequested;
        delete source;
        emit ended(failed ? ListenOutcome{ListenOutcome::Kind::Failed,
                                          deviceFailedMessage(m_deviceName, reason)}
                          : ListenOutcome{ListenOutcome::Kind::Stopped, {}});
        return;
    }
    m_feeder = std::make_unique<FrameFeeder>(format.sampleRate(), kLiveSecondsPerRow, true);
    m_partial.clear();
    m_clock.emplace(format.sampleRate());
    m_recordingStartUtc = {};
    m_sinceBatch.start();
    connect(m_input, &QIODevice::readyRead, this, &ListenWorker::readDevice);
    emit listening();
}

void ListenWorker::readDevice() {
    if (m_input == nullptr)
        return;
    m_partial += m_input->readAll();
    const qsizetype whole = wholeFrameBytes(m_partial.size(), m_format);
    if (whole == 0)
        return;
    toMono(m_partial.first(whole), m_format, m_mono);
    m_partial.remove(0, whole);
    m_clock->arrived(m_mono.size(), QDateTime::currentMSecsSinceEpoch());
    m_batch.audioSeconds += static_cast<double>(m_mono.size()) / m_format.sampleRate();
    const double level = peakDbfs(m_mono.data(), m_mono.size());
    m_batch.levelDb = std::max(level, m_batch.levelDb.value_or(kSilenceDb));
    Heard heard;
    m_feeder->push(m_mono.data(), m_mono.size(), heard);
    collect(heard);
    flush(false);
}

void ListenWorker::deviceStateChanged() {
    if (m_source != nullptr && m_source->state() == QAudio::StoppedState &&
        m_source->error() != QAudio::NoError) {
        endCapture({ListenOutcome::Kind::Failed,
                    deviceFailedMessage(m_deviceName, audioErrorReason(m_source->error()))});
    }
}

void ListenWorker::stopDevice() {
    endCapture({ListenOutcome::Kind::Stopped, {}});
}

void ListenWorker::deviceLost() {
    endCapture({ListenOutcome::Kind::Failed, deviceGoneMessage(m_deviceName)});
}

void ListenWorker::endCapture(const ListenOutcome& outcome) {
    if (m_source == nullptr)
        return;
    QAudioSource* source = m_source;
    m_source = nullptr;
    m_input = nullptr;
    source->disconnect(this);
    source->stop();
    source->deleteLater();
    Heard heard;
    m_feeder->finish(heard);
    collect(heard);
    m_batch.levelDb = kSilenceDb;
    flush(true);
    m_feeder.reset();
    emit ended(outcome);
}

double ListenWorker::timeline(double streamSeconds) const {
    return m_clock ? m_clock->timelineSeconds(streamSeconds) : streamSeconds;
}

void ListenWorker::collect(Heard& heard) {
    for (cw::HeardFrame& frame : heard.frames) {
        QDateTime utc;
        if (m_clock) {
            utc =
                QDateTime::fromMSecsSinceEpoch(std::llround(m_clock->msOf(frame.seconds)), Qt::UTC);
        } else if (m_recordingStartUtc.isValid()) {
            utc = m_recordingStartUtc.addMSecs(std::llround(frame.seconds * 1000.0));
        }
        frame.seconds = timeline(frame.seconds);
        frame.endSeconds = timeline(frame.endSeconds);
        m_batch.frames.push_back({std::move(frame), utc});
    }
    for (cw::FollowedTone& tone : heard.tones) {
        tone.seconds = timeline(tone.seconds);
        m_batch.tones.push_back(tone);
    }
    for (WaterfallRow& row : heard.rows) {
        row.seconds = timeline(row.seconds);
        m_batch.rows.push_back(std::move(row));
    }
    heard.frames.clear();
    heard.tones.clear();
    heard.rows.clear();
}

void ListenWorker::flush(bool always) {
    if (!always && m_batch.frames.empty() && m_sinceBatch.elapsed() < kBatchIntervalMs)
        return;
    m_batch.secondsPerRow = m_feeder ? m_feeder->secondsPerRow() : 0.0;
    emit heard(m_batch);
    m_batch = {};
    m_sinceBatch.restart();
}

} // namespace orvinta::listening
