// SPDX-License-Identifier: GPL-3.0-or-later
#include "listensession.h"

#include <QMediaDevices>

#include <algorithm>

namespace orvinta::listening {
namespace {

/// How often the list of devices is checked while a device is listened to: the audio
/// system does not always tell when a device goes (a source that is unloaded simply
/// stops delivering), and a second is as long as an operator waits to be told.
constexpr int kDeviceWatchMs = 500;

} // namespace

ListenSession::ListenSession(QObject* parent)
    : QObject(parent)
    , m_worker(new ListenWorker) {
    m_thread.setObjectName(QStringLiteral("Empfang"));
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &ListenWorker::heard, this, &ListenSession::heard);
    connect(m_worker, &ListenWorker::ended, this, &ListenSession::workerEnded);
    m_deviceWatch.setInterval(kDeviceWatchMs);
    connect(&m_deviceWatch, &QTimer::timeout, this, &ListenSession::checkDevice);
    m_thread.start();
}

ListenSession::~ListenSession() {
    // A recording stops at its next block; a device is stopped and deleted with the
    // worker, on the worker's thread, when its event loop ends.
    m_worker->requestStop();
    m_thread.quit();
    m_thread.wait();
}

QList<QAudioDevice> ListenSession::inputDevices() {
    return QMediaDevices::audioInputs();
}

QAudioDevice ListenSession::defaultInputDevice() {
    return QMediaDevices::defaultAudioInput();
}

QAudioFormat ListenSession::captureFormat(const QAudioDevice& device) {
    QAudioFormat format = device.preferredFormat();
    QAudioFormat floats = format;
    floats.setSampleFormat(QAudioFormat::Float);
    return device.isFormatSupported(floats) ? floats : format;
}

void ListenSession::startRecording(const QString& path) {
    if (m_running)
        return;
    m_running = true;
    m_live = false;
    m_worker->clearStopRequest();
    ListenWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        m_worker, [worker, path] { worker->decodeRecording(path); }, Qt::QueuedConnection);
}

void ListenSession::startDevice(const QAudioDevice& device) {
    startDevice(device, captureFormat(device));
}

void ListenSession::startDevice(const QAudioDevice& device, const QAudioFormat& format) {
    if (m_running)
        return;
    watchDevices();
    m_running = true;
    m_live = true;
    m_worker->clearStopRequest();
    m_deviceId = device.id();
    ListenWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        m_worker, [worker, device, format] { worker->startDevice(device, format); },
        Qt::QueuedConnection);
    m_deviceWatch.start();
}

void ListenSession::stop() {
    if (!m_running)
        return;
    m_worker->requestStop();
    if (m_live) {
        ListenWorker* worker = m_worker;
        QMetaObject::invokeMethod(
            m_worker, [worker] { worker->stopDevice(); }, Qt::QueuedConnection);
    }
}

void ListenSession::watchDevices() {
    // Only once a device is listened to: watching starts the audio system's client,
    // which a program that only reads recordings does without.
    if (m_devices != nullptr)
        return;
    m_devices = new QMediaDevices(this);
    connect(m_devices, &QMediaDevices::audioInputsChanged, this, &ListenSession::checkDevice);
    connect(m_devices, &QMediaDevices::audioInputsChanged, this, &ListenSession::devicesChanged);
}

void ListenSession::checkDevice() {
    if (!m_running || !m_live)
        return;
    const QList<QAudioDevice> devices = QMediaDevices::audioInputs();
    const bool present = std::any_of(devices.begin(), devices.end(), [this](const QAudioDevice& d) {
        return d.id() == m_deviceId;
    });
    if (present)
        return;
    m_deviceWatch.stop();
    ListenWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        m_worker, [worker] { worker->deviceLost(); }, Qt::QueuedConnection);
}

void ListenSession::workerEnded(const ListenOutcome& outcome) {
    m_running = false;
    m_deviceWatch.stop();
    emit ended(outcome);
}

} // namespace orvinta::listening
