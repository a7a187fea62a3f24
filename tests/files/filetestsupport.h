// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers for the tests of the file commands: a scratch folder, file contents, and ways to
// make writing fail that hold for root too.

#include "support/sampleline.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace orvinta::test {

inline const QString kSampleFrame = QString::fromLatin1(kSampleLine);

inline QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline void put(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(content), content.size());
}

/// Everything in `folder`, hidden entries included.
inline QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

/// The expected files of the tests, stored byte for byte.
inline QByteArray expectedFile(const char* name) {
    return contentOf(QStringLiteral(ORVINTA_TEST_DATA "/") + QString::fromLatin1(name));
}

/// Limits the size of files this process writes, as a full disk or a quota would: a
/// write beyond the limit fails with "File too large", for root as for anyone.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_former);
        m_formerHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_former;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_former);
        std::signal(SIGXFSZ, m_formerHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_former{};
    void (*m_formerHandler)(int) = nullptr;
};

/// Runs a test in a scratch folder that is also the working directory, so that names
/// without a directory land there; the former working directory comes back afterwards.
class ScratchFolderTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.isValid());
        formerWorkingDirectory = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(scratch.path()));
        folder = QDir::currentPath();
    }
    void TearDown() override { QDir::setCurrent(formerWorkingDirectory); }

    /// `name` in the scratch folder, as the working directory names it.
    QString path(const QString& name) const { return QDir(folder).filePath(name); }
    QStringList entries() const { return entriesOf(folder); }

    QTemporaryDir scratch;
    QString folder;
    QString formerWorkingDirectory;
};

} // namespace orvinta::test
