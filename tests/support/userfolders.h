// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace orvinta::test {

/// Points the user's settings and data folders (XDG_CONFIG_HOME, XDG_DATA_HOME) into
/// `root` while it lives, so that a test's settings and journal are its own; programs
/// started meanwhile inherit them.
class UserFolders {
public:
    explicit UserFolders(const QString& root)
        : m_config(qgetenv("XDG_CONFIG_HOME"))
        , m_data(qgetenv("XDG_DATA_HOME"))
        , m_hadConfig(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
        , m_hadData(qEnvironmentVariableIsSet("XDG_DATA_HOME")) {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QStringLiteral("/config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(root + QStringLiteral("/data")));
    }
    ~UserFolders() {
        restore("XDG_CONFIG_HOME", m_hadConfig, m_config);
        restore("XDG_DATA_HOME", m_hadData, m_data);
    }
    UserFolders(const UserFolders&) = delete;
    UserFolders& operator=(const UserFolders&) = delete;

private:
    static void restore(const char* name, bool had, const QByteArray& value) {
        if (had)
            qputenv(name, value);
        else
            qunsetenv(name);
    }

    QByteArray m_config;
    QByteArray m_data;
    bool m_hadConfig;
    bool m_hadData;
};

} // namespace orvinta::test
