// SPDX-License-Identifier: GPL-3.0-or-later
#include "outputsink.h"

#include "formats/windows1252.h"

#include <ostream>

namespace orvinta {
namespace {

constexpr std::size_t kFlushSize = 1 << 16;

} // namespace

void OutputSink::writeLine(std::string_view windows1252) {
    encodeLine(buffer_, windows1252);
    if (buffer_.size() >= kFlushSize) {
        flush();
    }
}

bool OutputSink::flush() {
    if (!failed_ && !buffer_.empty() && !writeOut(buffer_)) {
        failed_ = true;
    }
    buffer_.clear();
    return !failed_;
}

bool OutputSink::finish(std::string* errorString) {
    const bool written = flush() && close();
    if (!written) {
        *errorString = this->errorString();
        discard();
    }
    return written;
}

StreamSink::StreamSink(std::ostream& stream)
    : stream_(stream) {
}

void StreamSink::encodeLine(std::string& buffer, std::string_view windows1252) {
    buffer += windows1252ToUtf8(windows1252);
    buffer.push_back('\n');
}

bool StreamSink::writeOut(std::string_view bytes) {
    stream_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(stream_);
}

bool StreamSink::close() {
    stream_.flush();
    return static_cast<bool>(stream_);
}

std::string StreamSink::errorString() const {
    return "Schreiben auf die Ausgabe fehlgeschlagen";
}

FileSink::FileSink(const QString& path, bool append) {
    if (append) {
        extended_ = std::make_unique<QFile>(path);
    } else {
        replaced_ = std::make_unique<QSaveFile>(path);
    }
}

std::unique_ptr<FileSink> FileSink::open(const QString& path, bool append,
                                         std::string* errorString) {
    std::unique_ptr<FileSink> sink(new FileSink(path, append));
    const bool opened = append ? sink->extended_->open(QIODevice::WriteOnly | QIODevice::Append)
                               : sink->replaced_->open(QIODevice::WriteOnly);
    if (!opened) {
        *errorString = sink->errorString();
        return nullptr;
    }
    if (append) {
        sink->formerSize_ = sink->extended_->size();
    }
    return sink;
}

void FileSink::encodeLine(std::string& buffer, std::string_view windows1252) {
    buffer.append(windows1252).append(kCrLf);
}

bool FileSink::writeOut(std::string_view bytes) {
    const auto size = static_cast<qint64>(bytes.size());
    if (replaced_) {
        return replaced_->write(bytes.data(), size) == size;
    }
    return extended_->write(bytes.data(), size) == size;
}

bool FileSink::close() {
    if (replaced_) {
        return replaced_->commit();
    }
    return extended_->flush();
}

void FileSink::discard() {
    if (replaced_) {
        replaced_->cancelWriting();
    } else {
        extended_->resize(formerSize_);
    }
}

std::string FileSink::errorString() const {
    return (replaced_ ? replaced_->errorString() : extended_->errorString()).toStdString();
}

} // namespace orvinta
