// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace orvinta::cw {

/// The texts in a recording's metadata that may tell when it began, as written there;
/// empty where the file has none.
struct DateTags {
    /// The Broadcast-WAV "bext" chunk's origination date ("2026-12-07") and time
    /// ("14:05:00").
    std::string originationDate;
    std::string originationTime;
    /// The date tag: DATE in FLAC and Ogg Vorbis comments, ICRD in a WAV file.
    std::string date;
};

/// An audio file (WAV, FLAC, Ogg Vorbis and whatever else libsndfile reads) opened for
/// reading block by block, every block mixed down to mono.
class AudioFile {
public:
    /// Opens `path`; on failure returns null and puts the reason into `reason`.
    static std::unique_ptr<AudioFile> open(const std::string& path, std::string* reason);
    /// Opens an audio file held in memory (a copy of `size` bytes at `data` is kept).
    static std::unique_ptr<AudioFile> openBytes(const void* data, std::size_t size,
                                                std::string* reason);

    ~AudioFile();
    AudioFile(const AudioFile&) = delete;
    AudioFile& operator=(const AudioFile&) = delete;

    int sampleRate() const { return m_sampleRate; }
    int channels() const { return m_channels; }

    /// Reads up to `maxFrames` frames into `mono` (replacing its content), the channels
    /// averaged. Returns false at the end of the file or on a read error (see error()).
    bool read(std::size_t maxFrames, std::vector<float>& mono);

    /// The texts of the file's metadata that may give its start time (recordingstart.h).
    DateTags dateTags() const;

    /// The read error met, empty when the file ended normally.
    const std::string& error() const { return m_error; }

private:
    struct Memory;
    AudioFile(void* handle, int sampleRate, int channels, std::unique_ptr<Memory> memory);
    static std::unique_ptr<AudioFile> checked(void* handle, int sampleRate, int channels,
                                              std::unique_ptr<Memory> memory, std::string* reason);

    void* m_handle;
    int m_sampleRate;
    int m_channels;
    std::unique_ptr<Memory> m_memory;
    std::vector<float> m_interleaved;
    std::string m_error;
};

} // namespace orvinta::cw
