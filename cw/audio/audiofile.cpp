// SPDX-License-Identifier: GPL-3.0-or-later
#include "audiofile.h"

#include <sndfile.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace orvinta::cw {
namespace {

/// Frames of every channel read at once are capped: a header may claim any number of
/// channels, and a block must stay small.
constexpr std::size_t kMostSamplesPerRead = std::size_t{1} << 22;

SNDFILE* asFile(void* handle) {
    return static_cast<SNDFILE*>(handle);
}

/// The text of a fixed-width field, which is not ended by a zero when full.
template <std::size_t N> std::string fieldText(const char (&field)[N]) {
    return {field, std::find(field, field + N, '\0')};
}

} // namespace

/// An audio file in memory, read through libsndfile's virtual I/O.
struct AudioFile::Memory {
    std::vector<char> bytes;
    sf_count_t position = 0;

    static sf_count_t length(void* self) {
        return static_cast<sf_count_t>(static_cast<Memory*>(self)->bytes.size());
    }
    static sf_count_t seek(sf_count_t offset, int whence, void* self) {
        Memory& m = *static_cast<Memory*>(self);
        const auto size = static_cast<sf_count_t>(m.bytes.size());
        const sf_count_t base = whence == SEEK_CUR ? m.position : whence == SEEK_END ? size : 0;
        m.position = std::clamp<sf_count_t>(base + offset, 0, size);
        return m.position;
    }
    static sf_count_t read(void* into, sf_count_t count, void* self) {
        Memory& m = *static_cast<Memory*>(self);
        const auto size = static_cast<sf_count_t>(m.bytes.size());
        const sf_count_t n = std::clamp<sf_count_t>(count, 0, size - m.position);
        if (n > 0) {
            std::memcpy(into, m.bytes.data() + m.position, static_cast<std::size_t>(n));
            m.position += n;
        }
        return n;
    }
    static sf_count_t write(const void* /*data*/, sf_count_t /*count*/, void* /*self*/) {
        return 0;
    }
    static sf_count_t tell(void* self) { return static_cast<Memory*>(self)->position; }
};

std::unique_ptr<AudioFile> AudioFile::checked(void* handle, int sampleRate, int channels,
                                              std::unique_ptr<Memory> memory, std::string* reason) {
    if (channels < 1 || sampleRate < 1) {
        sf_close(asFile(handle));
        *reason = "no audio channels";
        return nullptr;
    }
    return std::unique_ptr<AudioFile>(
        new AudioFile(handle, sampleRate, channels, std::move(memory)));
}

std::unique_ptr<AudioFile> AudioFile::open(const std::string& path, std::string* reason) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        *reason = std::strerror(errno);
        return nullptr;
    }
    if (S_ISDIR(status.st_mode)) {
        *reason = std::strerror(EISDIR);
        return nullptr;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        *reason = sf_strerror(nullptr);
        return nullptr;
    }
    return checked(file, info.samplerate, info.channels, nullptr, reason);
}

std::unique_ptr<AudioFile> AudioFile::openBytes(const void* data, std::size_t size,
                                                std::string* reason) {
    auto memory = std::make_unique<Memory>();
    memory->bytes.assign(static_cast<const char*>(data), static_cast<const char*>(data) + size);
    SF_VIRTUAL_IO io{&Memory::length, &Memory::seek, &Memory::read, &Memory::write, &Memory::tell};
    SF_INFO info{};
    SNDFILE* file = sf_open_virtual(&io, SFM_READ, &info, memory.get());
    if (file == nullptr) {
        *reason = sf_strerror(nullptr);
        return nullptr;
    }
    return checked(file, info.samplerate, info.channels, std::move(memory), reason);
}

AudioFile::AudioFile(void* handle, int sampleRate, int channels, std::unique_ptr<Memory> memory)
    : m_handle(handle)
    , m_sampleRate(sampleRate)
    , m_channels(channels)
    , m_memory(std::move(memory)) {
}

DateTags AudioFile::dateTags() const {
    DateTags tags;
    if (const char* date = sf_get_string(asFile(m_handle), SF_STR_DATE))
        tags.date = date;
    SF_BROADCAST_INFO bext{};
    if (sf_command(asFile(m_handle), SFC_GET_BROADCAST_INFO, &bext, sizeof bext) == SF_TRUE) {
        tags.originationDate = fieldText(bext.origination_date);
        tags.originationTime = fieldText(bext.origination_time);
    }
    return tags;
}

AudioFile::~AudioFile() {
    sf_close(asFile(m_handle));
}

bool AudioFile::read(std::size_t maxFrames, std::vector<float>& mono) {
    const auto channels = static_cast<std::size_t>(m_channels);
    maxFrames = std::max<std::size_t>(1, std::min(maxFrames, kMostSamplesPerRead / channels));
    m_interleaved.resize(maxFrames * channels);
    const sf_count_t got =
        sf_readf_float(asFile(m_handle), m_interleaved.data(), static_cast<sf_count_t>(maxFrames));
    if (got <= 0) {
        mono.clear();
        if (sf_error(asFile(m_handle)) != SF_ERR_NO_ERROR) {
            m_error = sf_strerror(asFile(m_handle));
        }
        return false;
    }
    const auto frames = static_cast<std::size_t>(got);
    mono.resize(frames);
    if (channels == 1) {
        std::memcpy(mono.data(), m_interleaved.data(), frames * sizeof(float));
        return true;
    }
    const float scale = 1.0f / static_cast<float>(channels);
    for (std::size_t f = 0; f < frames; ++f) {
        float sum = 0.0f;
        for (std::size_t c = 0; c < channels; ++c) {
            sum += m_interleaved[f * channels + c];
        }
        mono[f] = sum * scale;
    }
    return true;
}

} // namespace orvinta::cw
