// SPDX-License-Identifier: GPL-3.0-or-later
#include "linereader.h"

namespace orvinta {

namespace {

// One byte more than is kept of a line, for a CR that may still be dropped.
constexpr std::size_t kBufferedBytes = LineReader::kKeptBytes + 1;

} // namespace

void LineReader::appendToLine(std::string_view bytes) {
    if (!lineOpen_) {
        tail_.clear();
        head_.clear();
        length_ = 0;
        lineOpen_ = true;
    }
    length_ += bytes.size();
    if (head_.size() < kHeadBytes) {
        head_.append(bytes.substr(0, kHeadBytes - head_.size()));
    }
    if (bytes.size() >= kBufferedBytes) {
        tail_.assign(bytes.substr(bytes.size() - kBufferedBytes));
        return;
    }
    tail_.append(bytes);
    // Cut back only once twice the kept size is reached, so that cutting stays rare.
    if (tail_.size() >= 2 * kBufferedBytes) {
        tail_.erase(0, tail_.size() - kBufferedBytes);
    }
}

std::string_view LineReader::completedLine(bool endedByLineFeed) {
    lineOpen_ = false;
    ++lineNumber_;
    if (endedByLineFeed && !tail_.empty() && tail_.back() == '\r') {
        tail_.pop_back();
        --length_;
        if (head_.size() > length_) {
            head_.resize(length_);
        }
    }
    std::string_view line = tail_;
    if (line.size() > kKeptBytes) {
        line.remove_prefix(line.size() - kKeptBytes);
    }
    return line;
}

} // namespace orvinta
