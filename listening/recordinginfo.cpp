// SPDX-License-Identifier: GPL-3.0-or-later
#include "recordinginfo.h"

#include "listenmessages.h"

#include <QFile>
#include <QFileInfo>

#include <sndfile.h>

namespace orvinta::listening {

std::optional<double> recordingSeconds(const QString& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (file == nullptr)
        return std::nullopt;
    sf_close(file);
    // libsndfile gives the largest count it can hold for a stream of unknown length.
    if (info.samplerate <= 0 || info.frames <= 0 || info.frames == SF_COUNT_MAX)
        return std::nullopt;
    return static_cast<double>(info.frames) / info.samplerate;
}

QString unreadableReason(const QString& path) {
    if (QFileInfo(path).isDir())
        return kDirectoryReason;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    return kNoRecordingReason;
}

} // namespace orvinta::listening
