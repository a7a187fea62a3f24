// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QSaveFile>
#include <QString>

#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

namespace orvinta {

/// Where the command-line decoder writes its lines (given as Windows-1252 bytes).
/// Lines are collected and written in large pieces.
class OutputSink {
public:
    virtual ~OutputSink() = default;

    void writeLine(std::string_view windows1252);
    /// Writes what is still buffered; false with a reason when any write failed.
    bool finish(std::string* errorString);
    /// Whether the output already held lines before this run (an extended file).
    virtual bool hadContent() const { return false; }

protected:
    virtual void encodeLine(std::string& buffer, std::string_view windows1252) = 0;
    virtual bool writeOut(std::string_view bytes) = 0;
    virtual bool close() = 0;
    /// Undoes what a failed run wrote, as far as the output allows.
    virtual void discard() {}
    virtual std::string errorString() const = 0;

private:
    bool flush();

    std::string m_buffer;
    bool m_failed = false;
};

/// Standard output: UTF-8, lines ended by LF.
class StreamSink final : public OutputSink {
public:
    explicit StreamSink(std::ostream& stream);

protected:
    void encodeLine(std::string& buffer, std::string_view windows1252) override;
    bool writeOut(std::string_view bytes) override;
    bool close() override;
    std::string errorString() const override;

private:
    std::ostream& m_stream;
};

/// A file, byte for byte as the desktop program writes it: Windows-1252, lines ended by
/// CR LF. A replaced file is swapped in only when complete; an extended file is cut
/// back to its former length when a write fails.
class FileSink final : public OutputSink {
public:
    /// Opens the file; returns nullptr and sets `errorString` when that fails.
    static std::unique_ptr<FileSink> open(const QString& path, bool append,
                                          std::string* errorString);
    bool hadContent() const override { return m_formerSize > 0; }

protected:
    void encodeLine(std::string& buffer, std::string_view windows1252) override;
    bool writeOut(std::string_view bytes) override;
    bool close() override;
    void discard() override;
    std::string errorString() const override;

private:
    explicit FileSink(const QString& path, bool append);

    std::unique_ptr<QSaveFile> m_replaced;
    std::unique_ptr<QFile> m_extended;
    qint64 m_formerSize = 0;
};

} // namespace orvinta
