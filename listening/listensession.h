// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "listenworker.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <QTimer>

class QMediaDevices;

namespace orvinta::listening {

/// Listening as the window sees it: each listening runs a worker on a thread of its own;
/// the session hands on the worker's batches and its end, watches the system's inputs and
/// that live audio keeps arriving. It never waits long for the worker: an input device
/// whose start or stop does not return in time is told as not answering and left to its
/// thread, which ends by itself once the device returns (or with the program); the next
/// listening runs on a fresh thread. Destroying the session stops the listening and waits
/// a moment at most for its thread.
class ListenSession : public QObject {
    Q_OBJECT

public:
    /// `opener` starts input devices on the worker's thread (tests make it hang).
    explicit ListenSession(QObject* parent = nullptr, DeviceOpener opener = startAudioSource);
    ~ListenSession() override;
    ListenSession(const ListenSession&) = delete;
    ListenSession& operator=(const ListenSession&) = delete;

    /// The system's audio inputs, and the one it listens to by default.
    static QList<QAudioDevice> inputDevices();
    static QAudioDevice defaultInputDevice();
    /// The format asked of `device`: its own rate and channels, float samples where it
    /// takes them.
    static QAudioFormat captureFormat(const QAudioDevice& device);

    bool isRunning() const { return m_running; }
    /// Listening threads still running in the program, those left behind included.
    static int threadsLeft();

    /// Follows the system's audio inputs from now on: devicesChanged() tells each change.
    /// Not done before it is asked for, as it starts the audio system's client, which a
    /// program that only reads recordings does without.
    void watchDevices();
    /// The inputs as last seen by the watch.
    const QList<QAudioDevice>& devices() const { return m_devices; }

    /// Decodes the recording at `path`; ended() follows when it is done.
    void startRecording(const QString& path);
    /// Listens to `device` in captureFormat(), or in `format`.
    void startDevice(const QAudioDevice& device);
    void startDevice(const QAudioDevice& device, const QAudioFormat& format);
    /// Ends the listening; what was heard up to here still comes, then ended().
    void stop();

signals:
    /// The system's audio inputs changed: a device came or went, or was renamed.
    void devicesChanged(const QList<QAudioDevice>& devices);
    void heard(const orvinta::listening::ListenBatch& batch);
    /// No live audio arrived for `seconds`: told each second from two seconds on.
    void audioMissing(int seconds);
    /// Live audio arrives again after audioMissing().
    void audioBack();
    void ended(const orvinta::listening::ListenOutcome& outcome);

private:
    /// Starts a fresh worker on a fresh thread and runs `job` on it.
    void launch(const std::function<void(ListenWorker*)>& job);
    /// Stops waiting for the worker: its thread is left to end by itself.
    void abandon();
    void batchHeard(const ListenBatch& batch);
    void workerEnded(const ListenOutcome& outcome);
    /// The device does not answer: the listening ends without it.
    void deviceHangs();
    void pollDevices();
    void checkDevice();
    void checkAudioArrives();

    DeviceOpener m_opener;
    QPointer<QThread> m_thread;
    ListenWorker* m_worker = nullptr;
    /// Counts the listenings: signals of a worker left behind are not taken.
    quint64 m_run = 0;
    QMediaDevices* m_mediaDevices = nullptr;
    QList<QAudioDevice> m_devices;
    QTimer m_deviceWatch;
    QTimer m_answerWatch;
    QTimer m_audioWatch;
    QElapsedTimer m_sinceAudio;
    int m_missingSeconds = 0;
    QAudioDevice m_device;
    bool m_running = false;
    bool m_live = false;
};

/// Ends the program at once with `code` when a listening thread still hangs in the audio
/// system, as its last step after the windows are gone: the destructors of the audio
/// system's client, which run after main(), would pull its state from under that thread.
/// Returns `code` otherwise.
int exitCodeUnlessThreadsHang(int code);

} // namespace orvinta::listening
