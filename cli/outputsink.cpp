// SPDX-License-Identifier: GPL-3.0-or-later
#include "outputsink.h"

#include "formats/windows1252.h"

#include <ostream>

namespace orvinta {
namespace {

constexpr std::size_t kFlushSize = 1 << 16;

} // namespace

void OutputSink::writeLine(std::string_view windows1252) {
    encodeLine(m_buffer, windows1252);
    if (m_buffer.size() >= kFlushSize) {
        flush();
    }
}

bool OutputSink::flush() {
    if (!m_failed && !m_buffer.empty() && !writeOut(m_buffer)) {
        m_failed = true;
    }
    m_buffer.clear();
    return !m_failed;
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
    : m_stream(stream) {
}

void StreamSink::encodeLine(std::string& buffer, std::string_view windows1252) {
    buffer += windows1252ToUtf8(windows1252);
    buffer.push_back('\n');
}

bool StreamSink::writeOut(std::string_view bytes) {
    m_stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(m_stream);
}

bool StreamSink::close() {
    m_stream.flush();
    return static_cast<bool>(m_stream);
}

std::string StreamSink::errorString() const {
    return "Schreiben auf die Ausgabe fehlgeschlagen";
}

FileSink::FileSink(const QString& path, bool append) {
    if (append) {
        m_extended = std::make_unique<QFile>(path);
    } else {
        m_replaced = std::make_unique<QSaveFile>(path);
    }
}

std::unique_ptr<FileSink> FileSink::open(const QString& path, bool append,
                                         std::string* errorString) {
    std::unique_ptr<FileSink> sink(new FileSink(path, append));
    const bool opened = append ? sink->m_extended->open(QIODevice::WriteOnly | QIODevice::Append)
                               : sink->m_replaced->open(QIODevice::WriteOnly);
    if (!opened) {
        *errorString = sink->errorString();
        return nullptr;
    }
    if (append) {
        sink->m_formerSize = sink->m_extended->size();
    }
    return sink;
}

void FileSink::encodeLine(std::string& buffer, std::string_view windows1252) {
    buffer.append(windows1252).append(kCrLf);
}

bool FileSink::writeOut(std::string_view bytes) {
    const auto size = static_cast<qint64>(bytes.size());
    if (m_replaced) {
        return m_replaced->write(bytes.data(), size) == size;
    }
    return m_extended->write(bytes.data(), size) == size;
}

bool FileSink::close() {
    if (m_replaced) {
        return m_replaced->commit();
    }
    return m_extended->flush();
}

void FileSink::discard() {
    if (m_replaced) {
        m_replaced->cancelWriting();
    } else {
        m_extended->resize(m_formerSize);
    }
}

std::string FileSink::errorString() const {
    return (m_replaced ? m_replaced->errorString() : m_extended->errorString()).toStdString();
}

} // namespace orvinta
