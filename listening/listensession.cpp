// SPDX-License-Identifier: GPL-3.0-or-later
#include "listensession.h"

#include "listenmessages.h"

#include <QMediaDevices>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace orvinta::listening {
namespace {

/// How often the list of devices is checked: the audio system does not always tell when
/// a device comes or goes (a source that is unloaded simply stops delivering), and half a
/// second is as long as an operator waits to be told.
constexpr int kDeviceWatchMs = 500;
/// An input device starts, and stops, in a few tens of milliseconds; one that takes this
/// long does not answer (an audio server that hangs keeps QAudioSource::start() waiting
/// for ever), which leaves time to tell it within two seconds.
constexpr int kAnswerMs = 1500;
/// Destroying the session waits this long at most for the listening thread: the program
/// ends within a second even when the device hangs.
constexpr int kJoinMs = 500;
/// Live audio comes in blocks of a tenth of a second; none for this long is told.
constexpr int kAudioMissingMs = 2000;
constexpr int kAudioWatchMs = 250;

std::atomic<int> runningThreads = 0;

bool sameDevices(const QList<QAudioDevice>& a, const QList<QAudioDevice>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const QAudioDevice& x, const QAudioDevice& y) {
                          return x.id() == y.id() && x.description() == y.description();
                      });
}

bool listed(const QList<QAudioDevice>& devices, const QAudioDevice& device) {
    return std::any_of(devices.begin(), devices.end(),
                       [&](const QAudioDevice& d) { return d.id() == device.id(); });
}

} // namespace

ListenSession::ListenSession(QObject* parent, DeviceOpener opener)
    : QObject(parent)
    , m_opener(std::move(opener)) {
    m_deviceWatch.setInterval(kDeviceWatchMs);
    connect(&m_deviceWatch, &QTimer::timeout, this, &ListenSession::pollDevices);
    m_answerWatch.setSingleShot(true);
    m_answerWatch.setInterval(kAnswerMs);
    connect(&m_answerWatch, &QTimer::timeout, this, &ListenSession::deviceHangs);
    m_audioWatch.setInterval(kAudioWatchMs);
    connect(&m_audioWatch, &QTimer::timeout, this, &ListenSession::checkAudioArrives);
}

ListenSession::~ListenSession() {
    if (m_thread.isNull())
        return;
    // A recording stops at its next block; a device is stopped and deleted with the
    // worker, on the worker's thread, when its event loop ends. A thread that does not
    // end in time is left to end by itself.
    QThread* thread = m_thread;
    if (m_worker != nullptr)
        m_worker->requestStop();
    thread->quit();
    if (thread->wait(kJoinMs))
        delete thread;
}

int ListenSession::threadsLeft() {
    return runningThreads;
}

int exitCodeUnlessThreadsHang(int code) {
    if (ListenSession::threadsLeft() == 0)
        return code;
    std::fflush(nullptr);
    std::_Exit(code);
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

void ListenSession::launch(const std::function<void(ListenWorker*)>& job) {
    // Neither has a parent: a thread left behind may outlive the session. Both go when
    // the thread ends.
    auto* thread = new QThread;
    thread->setObjectName(QStringLiteral("Empfang"));
    auto* worker = new ListenWorker(m_opener);
    worker->moveToThread(thread);
    connect(thread, &QThread::finished, worker, &QObject::deleteLater);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    ++runningThreads;
    connect(
        thread, &QThread::finished, thread, [] { --runningThreads; }, Qt::DirectConnection);
    const quint64 run = ++m_run;
    connect(worker, &ListenWorker::listening, this, [this, run] {
        if (run == m_run)
            m_answerWatch.stop();
    });
    connect(worker, &ListenWorker::heard, this, [this, run](const ListenBatch& batch) {
        if (run == m_run)
            batchHeard(batch);
    });
    connect(worker, &ListenWorker::ended, this, [this, run](const ListenOutcome& outcome) {
        if (run == m_run)
            workerEnded(outcome);
    });
    m_thread = thread;
    m_worker = worker;
    m_running = true;
    thread->start();
    QMetaObject::invokeMethod(
        worker, [worker, job] { job(worker); }, Qt::QueuedConnection);
}

void ListenSession::abandon() {
    ++m_run;
    if (m_worker != nullptr)
        m_worker->requestStop();
    if (!m_thread.isNull())
        m_thread->quit();
    m_thread = nullptr;
    m_worker = nullptr;
}

void ListenSession::startRecording(const QString& path) {
    if (m_running)
        return;
    m_live = false;
    launch([path](ListenWorker* worker) { worker->decodeRecording(path); });
}

void ListenSession::startDevice(const QAudioDevice& device) {
    startDevice(device, captureFormat(device));
}

void ListenSession::startDevice(const QAudioDevice& device, const QAudioFormat& format) {
    if (m_running)
        return;
    watchDevices();
    m_live = true;
    m_device = device;
    if (!listed(QMediaDevices::audioInputs(), device)) {
        // Gone since it was chosen: a stream asked of it would wait for it for ever.
        m_running = true;
        const ListenOutcome gone{ListenOutcome::Kind::Failed,
                                 deviceMissingMessage(device.description())};
        QMetaObject::invokeMethod(
            this, [this, gone] { workerEnded(gone); }, Qt::QueuedConnection);
        return;
    }
    launch([device, format](ListenWorker* worker) { worker->startDevice(device, format); });
    m_answerWatch.start();
    m_sinceAudio.start();
    m_missingSeconds = 0;
    m_audioWatch.start();
}

void ListenSession::stop() {
    if (m_worker == nullptr)
        return;
    m_worker->requestStop();
    if (m_live) {
        ListenWorker* worker = m_worker;
        QMetaObject::invokeMethod(
            worker, [worker] { worker->stopDevice(); }, Qt::QueuedConnection);
        if (!m_answerWatch.isActive())
            m_answerWatch.start();
    }
}

void ListenSession::watchDevices() {
    if (m_mediaDevices != nullptr)
        return;
    m_mediaDevices = new QMediaDevices(this);
    connect(m_mediaDevices, &QMediaDevices::audioInputsChanged, this, &ListenSession::pollDevices);
    m_devices = QMediaDevices::audioInputs();
    m_deviceWatch.start();
}

void ListenSession::pollDevices() {
    const QList<QAudioDevice> devices = QMediaDevices::audioInputs();
    if (sameDevices(devices, m_devices))
        return;
    m_devices = devices;
    checkDevice();
    emit devicesChanged(m_devices);
}

void ListenSession::checkDevice() {
    if (!m_live || m_worker == nullptr || listed(m_devices, m_device))
        return;
    ListenWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker] { worker->deviceLost(); }, Qt::QueuedConnection);
    if (!m_answerWatch.isActive())
        m_answerWatch.start();
}

void ListenSession::deviceHangs() {
    if (!m_running)
        return;
    abandon();
    workerEnded({ListenOutcome::Kind::Failed, deviceHangsMessage(m_device.description())});
}

void ListenSession::batchHeard(const ListenBatch& batch) {
    if (batch.audioSeconds > 0.0) {
        m_sinceAudio.restart();
        if (m_missingSeconds > 0) {
            m_missingSeconds = 0;
            emit audioBack();
        }
    }
    emit heard(batch);
}

void ListenSession::checkAudioArrives() {
    if (!m_running || !m_live || m_sinceAudio.elapsed() < kAudioMissingMs)
        return;
    const int seconds = static_cast<int>(m_sinceAudio.elapsed() / 1000);
    if (seconds == m_missingSeconds)
        return;
    m_missingSeconds = seconds;
    emit audioMissing(seconds);
}

void ListenSession::workerEnded(const ListenOutcome& outcome) {
    // The thread ends now; the session still waits for it when destroyed before it has.
    if (!m_thread.isNull())
        m_thread->quit();
    m_worker = nullptr;
    m_running = false;
    m_answerWatch.stop();
    m_audioWatch.stop();
    m_missingSeconds = 0;
    emit ended(outcome);
}

} // namespace orvinta::listening
