// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulseserver.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

#include <csignal>

namespace orvinta::test {
namespace {

/// A fresh server answers within a fraction of a second; a slow machine gets more.
constexpr int kStartTimeoutMs = 15000;
constexpr int kCommandTimeoutMs = 10000;

} // namespace

PulseServer::PulseServer() {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
    if (program.isEmpty()) {
        m_failure = QStringLiteral("the program pulseaudio is not installed (scripts/setup "
                                   "installs the packages pulseaudio and pulseaudio-utils)");
        return;
    }
    if (!m_runtime.isValid()) {
        m_failure = QStringLiteral("no temporary folder for the server");
        return;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    environment.insert(QStringLiteral("HOME"), m_runtime.path());
    m_server.setProcessEnvironment(environment);
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // No configuration files, no exit when idle, one module: the native protocol on a
    // socket in the private folder, open to the test's process without a cookie.
    m_server.start(program,
                   {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                    QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
                    QStringLiteral("--log-level=error"), QStringLiteral("-L"),
                    QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") +
                        m_runtime.filePath(QStringLiteral("native"))});
    if (!m_server.waitForStarted(kCommandTimeoutMs)) {
        m_failure = QStringLiteral("pulseaudio does not start: ") + m_server.errorString();
        return;
    }
    const bool answers = QTest::qWaitFor(
        [this] {
            return m_server.state() != QProcess::Running ||
                   QFileInfo::exists(m_runtime.filePath(QStringLiteral("native")));
        },
        kStartTimeoutMs);
    if (!answers || m_server.state() != QProcess::Running) {
        m_failure = QStringLiteral("pulseaudio ended or opened no socket (exit code %1)")
                        .arg(m_server.exitCode());
        return;
    }
    pactl({QStringLiteral("info")});
}

PulseServer::~PulseServer() {
    if (m_server.state() == QProcess::NotRunning)
        return;
    resume();
    m_server.terminate();
    if (!m_server.waitForFinished(kCommandTimeoutMs))
        m_server.kill();
    m_server.waitForFinished(kCommandTimeoutMs);
}

QString PulseServer::address() const {
    return QStringLiteral("unix:") + m_runtime.filePath(QStringLiteral("native"));
}

QString PulseServer::pipePath(const QString& name) const {
    return m_runtime.filePath(name + QStringLiteral(".pipe"));
}

bool PulseServer::pause() {
    if (m_server.state() != QProcess::Running ||
        ::kill(static_cast<pid_t>(m_server.processId()), SIGSTOP) != 0)
        return false;
    m_paused = true;
    return true;
}

bool PulseServer::resume() {
    if (!m_paused)
        return true;
    m_paused = false;
    return ::kill(static_cast<pid_t>(m_server.processId()), SIGCONT) == 0;
}

std::optional<QString> PulseServer::pactl(const QStringList& arguments) {
    QProcess command;
    command.start(QStringLiteral("pactl"),
                  QStringList{QStringLiteral("-s"), address()} + arguments);
    if (!command.waitForFinished(kCommandTimeoutMs) ||
        command.exitStatus() != QProcess::NormalExit || command.exitCode() != 0) {
        m_failure = QStringLiteral("pactl %1 failed: %2")
                        .arg(arguments.join(u' '),
                             QString::fromLocal8Bit(command.readAllStandardError()).trimmed() +
                                 command.errorString());
        return std::nullopt;
    }
    return QString::fromLocal8Bit(command.readAllStandardOutput()).trimmed();
}

bool PulseServer::loadPipeSource(const QString& name, int rate) {
    const std::optional<QString> module =
        pactl({QStringLiteral("load-module"), QStringLiteral("module-pipe-source"),
               QStringLiteral("source_name=") + name, QStringLiteral("file=") + pipePath(name),
               QStringLiteral("format=s16le"), QStringLiteral("rate=%1").arg(rate),
               QStringLiteral("channels=1")});
    if (!module)
        return false;
    m_modules.insert(name, *module);
    return true;
}

bool PulseServer::unloadPipeSource(const QString& name) {
    return pactl({QStringLiteral("unload-module"), m_modules.take(name)}).has_value();
}

void PulseServer::unloadPipeSources() {
    for (const QString& name : m_modules.keys())
        unloadPipeSource(name);
}

} // namespace orvinta::test
