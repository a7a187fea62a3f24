// SPDX-License-Identifier: GPL-3.0-or-later
#include "audiofile.h"

#include <sndfile.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace orvinta::cw {
namespace {

SNDFILE* asFile(void* handle) {
    return static_cast<SNDFILE*>(handle);
}

} // namespace

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
    if (info.channels < 1 || info.samplerate < 1) {
        sf_close(file);
        *reason = "no audio channels";
        return nullptr;
    }
    return std::unique_ptr<AudioFile>(new AudioFile(file, info.samplerate, info.channels));
}

AudioFile::AudioFile(void* handle, int sampleRate, int channels)
    : handle_(handle)
    , sampleRate_(sampleRate)
    , channels_(channels) {
}

AudioFile::~AudioFile() {
    sf_close(asFile(handle_));
}

bool AudioFile::read(std::size_t maxFrames, std::vector<float>& mono) {
    const auto channels = static_cast<std::size_t>(channels_);
    interleaved_.resize(maxFrames * channels);
    const sf_count_t got =
        sf_readf_float(asFile(handle_), interleaved_.data(), static_cast<sf_count_t>(maxFrames));
    if (got <= 0) {
        mono.clear();
        if (sf_error(asFile(handle_)) != SF_ERR_NO_ERROR) {
            error_ = sf_strerror(asFile(handle_));
        }
        return false;
    }
    const auto frames = static_cast<std::size_t>(got);
    mono.resize(frames);
    if (channels == 1) {
        std::memcpy(mono.data(), interleaved_.data(), frames * sizeof(float));
        return true;
    }
    const float scale = 1.0f / static_cast<float>(channels);
    for (std::size_t f = 0; f < frames; ++f) {
        float sum = 0.0f;
        for (std::size_t c = 0; c < channels; ++c) {
            sum += interleaved_[f * channels + c];
        }
        mono[f] = sum * scale;
    }
    return true;
}

} // namespace orvinta::cw
