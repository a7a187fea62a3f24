// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes through the command-line decoder's line reader, in pieces of
// varying size, and checks the lines against the reading rules: a line ends at LF, a
// CR just before the LF is dropped, a last line without LF counts, and only a line's
// last LineReader::kKeptBytes bytes are kept, besides its first LineReader::kHeadBytes
// and its length.

#include "fuzzcheck.h"

#include "cli/linereader.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace orvinta {
namespace {

using fuzz::require;

/// The lines of `stream` as the reading rules define them, each kept whole.
std::vector<std::string_view> expectedLines(std::string_view stream) {
    std::vector<std::string_view> lines;
    while (!stream.empty()) {
        const std::size_t end = stream.find('\n');
        if (end == std::string_view::npos) {
            lines.push_back(stream); // a last line without LF
            break;
        }
        std::string_view line = stream.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        stream.remove_prefix(end + 1);
    }
    return lines;
}

/// A line as the reader hands it on.
struct ReadLine {
    std::string tail;
    std::string head;
    std::size_t length = 0;

    friend bool operator==(const ReadLine&, const ReadLine&) = default;
};

/// Reads `stream` in pieces whose sizes follow from `seed` (0: all at once).
std::vector<ReadLine> readLines(std::string_view stream, unsigned seed) {
    std::vector<ReadLine> lines;
    LineReader reader;
    auto collect = [&](std::string_view line, long long number) {
        require(number == static_cast<long long>(lines.size()) + 1,
                "lines are numbered 1, 2, 3, ...");
        require(line.size() <= LineReader::kKeptBytes, "a kept line is bounded");
        require(reader.head().size() <= LineReader::kHeadBytes, "a kept start is bounded");
        lines.push_back({std::string(line), std::string(reader.head()), reader.length()});
    };
    unsigned state = seed;
    while (!stream.empty()) {
        std::size_t piece = stream.size();
        if (seed != 0) {
            state = state * 1103515245U + 12345U;
            // Mostly small pieces, sometimes empty ones, now and then large ones.
            piece = (state >> 16U) % ((state & 0x100U) != 0 ? 600U : 9U);
        }
        piece = std::min(piece, stream.size());
        reader.feed(stream.substr(0, piece), collect);
        stream.remove_prefix(piece);
    }
    reader.finish(collect);
    return lines;
}

} // namespace
} // namespace orvinta

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orvinta;
    using fuzz::require;
    if (size == 0) {
        require(readLines({}, 0).empty(), "an empty stream has no lines");
        return 0;
    }
    // The first byte chooses how the rest is cut into pieces.
    const unsigned seed = data[0];
    const std::string_view stream = fuzz::bytesOf(data + 1, size - 1);

    const std::vector<std::string_view> expected = expectedLines(stream);
    const std::vector<ReadLine> lines = readLines(stream, seed);
    require(lines.size() == expected.size(), "every line is read, and only those");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view whole = expected[i];
        const std::size_t kept = std::min(whole.size(), LineReader::kKeptBytes);
        require(lines[i].tail == whole.substr(whole.size() - kept),
                "a line is kept whole, or its last bytes when it is long");
        require(lines[i].head == whole.substr(0, LineReader::kHeadBytes),
                "a line's first bytes are kept");
        require(lines[i].length == whole.size(), "a line's length is counted whole");
    }
    require(readLines(stream, 0) == lines, "how the bytes arrive does not change the lines");
    return 0;
}
