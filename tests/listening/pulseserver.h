// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

namespace orvinta::test {

/// A PulseAudio server of the test's own: started in a private runtime folder, reached
/// only through its socket there, and ended with the object. A pipe source makes audio
/// that the test writes appear as an input device.
class PulseServer {
public:
    /// Starts the server and waits until it answers.
    PulseServer();
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    /// Whether the server runs; if not, failure() says why.
    bool running() const { return m_failure.isEmpty(); }
    const QString& failure() const { return m_failure; }
    /// The address clients give in PULSE_SERVER.
    QString address() const;

    /// Loads a pipe source named `name` that reads 16-bit mono audio at `rate` from the
    /// FIFO pipePath(name); false with failure() set when the server refuses.
    bool loadPipeSource(const QString& name, int rate);
    /// Unloads it: the input device goes away.
    bool unloadPipeSource(const QString& name);
    /// Unloads every pipe source still loaded.
    void unloadPipeSources();
    QString pipePath(const QString& name) const;

    /// Stops the server's process (SIGSTOP), as a server that hangs: it answers nothing
    /// until resume().
    bool pause();
    bool resume();

private:
    /// Runs pactl against this server; its standard output, or nothing with failure() set.
    std::optional<QString> pactl(const QStringList& arguments);

    QTemporaryDir m_runtime;
    QProcess m_server;
    QString m_failure;
    QHash<QString, QString> m_modules; ///< the module of each pipe source, by name
    bool m_paused = false;
};

} // namespace orvinta::test
