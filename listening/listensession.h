// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "listenworker.h"

#include <QAudioDevice>
#include <QObject>
#include <QThread>
#include <QTimer>

class QMediaDevices;

namespace orvinta::listening {

/// Listening as the window sees it: starts and stops the worker on its thread, watches
/// that a live input device stays there, and hands on the worker's batches and its end.
/// Destroying the session stops the listening and waits for the thread.
class ListenSession : public QObject {
    Q_OBJECT

public:
    explicit ListenSession(QObject* parent = nullptr);
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

    /// Decodes the recording at `path`; ended() follows when it is done.
    void startRecording(const QString& path);
    /// Listens to `device` in captureFormat(), or in `format`.
    void startDevice(const QAudioDevice& device);
    void startDevice(const QAudioDevice& device, const QAudioFormat& format);
    /// Ends the listening; what was heard up to here still comes, then ended().
    void stop();

signals:
    /// The system's audio inputs changed (not every audio system tells), once a device
    /// has been listened to.
    void devicesChanged();
    void heard(const orvinta::listening::ListenBatch& batch);
    void ended(const orvinta::listening::ListenOutcome& outcome);

private:
    void workerEnded(const ListenOutcome& outcome);
    void watchDevices();
    void checkDevice();

    QThread m_thread;
    ListenWorker* m_worker;
    QMediaDevices* m_devices = nullptr;
    QTimer m_deviceWatch;
    QByteArray m_deviceId;
    bool m_running = false;
    bool m_live = false;
};

} // namespace orvinta::listening
