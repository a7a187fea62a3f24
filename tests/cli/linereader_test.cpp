// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/linereader.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace orvinta {
namespace {

std::vector<std::string> linesOf(const std::vector<std::string>& chunks) {
    std::vector<std::string> lines;
    LineReader reader;
    auto collect = [&](std::string_view line, long long number) {
        EXPECT_EQ(number, static_cast<long long>(lines.size()) + 1);
        lines.emplace_back(line);
    };
    for (const std::string& chunk : chunks) {
        reader.feed(chunk, collect);
    }
    reader.finish(collect);
    return lines;
}

using Lines = std::vector<std::string>;

TEST(LineReader, SplitsAtLineFeeds) {
    EXPECT_EQ(linesOf({"a\nb\n"}), (Lines{"a", "b"}));
    EXPECT_EQ(linesOf({"a\nb"}), (Lines{"a", "b"})) << "a last line without LF counts";
    EXPECT_EQ(linesOf({""}), Lines{});
    EXPECT_EQ(linesOf({"\n"}), Lines{""});
    EXPECT_EQ(linesOf({"\n\n"}), (Lines{"", ""}));
}

TEST(LineReader, DropsOnlyTheCrBeforeTheLf) {
    EXPECT_EQ(linesOf({"a\r\nb\r\n"}), (Lines{"a", "b"}));
    EXPECT_EQ(linesOf({"a\r\r\n"}), Lines{"a\r"});
    EXPECT_EQ(linesOf({"a\rb\n"}), Lines{"a\rb"});
    EXPECT_EQ(linesOf({"\r\n"}), Lines{""});
    EXPECT_EQ(linesOf({"a\r"}), Lines{"a\r"}) << "no LF, so the CR stays";
}

TEST(LineReader, LinesMaySpanChunks) {
    EXPECT_EQ(linesOf({"ab", "c\r", "\nd", "", "e"}), (Lines{"abc", "de"}));
}

TEST(LineReader, KeepsOnlyTheEndOfALongLine) {
    const std::string end(LineReader::kKeptBytes, 'e');
    std::vector<std::string> chunks(1000, std::string(1000, 'x'));
    chunks.push_back(end + "\r\nnext");
    EXPECT_EQ(linesOf(chunks), (Lines{end, "next"}));

    std::vector<std::string> small(5000, "x");
    small.push_back("END");
    const Lines lines = linesOf(small);
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_EQ(lines[0].size(), LineReader::kKeptBytes);
    EXPECT_EQ(lines[0].substr(lines[0].size() - 4), "xEND");
}

struct HeadAndLength {
    std::string head;
    std::size_t length;
    friend bool operator==(const HeadAndLength&, const HeadAndLength&) = default;
};

void PrintTo(const HeadAndLength& line, std::ostream* out) {
    *out << '"' << line.head << "\" " << line.length;
}

std::vector<HeadAndLength> headsOf(const std::vector<std::string>& chunks) {
    std::vector<HeadAndLength> heads;
    LineReader reader;
    auto collect = [&](std::string_view, long long) {
        heads.push_back({std::string(reader.head()), reader.length()});
    };
    for (const std::string& chunk : chunks) {
        reader.feed(chunk, collect);
    }
    reader.finish(collect);
    return heads;
}

TEST(LineReader, KeepsTheStartAndTheLengthOfEveryLine) {
    using Heads = std::vector<HeadAndLength>;
    EXPECT_EQ(headsOf({"2026\tE\r\n\nab\r"}), (Heads{{"2026\tE", 6}, {"", 0}, {"ab\r", 3}}));
    EXPECT_EQ(headsOf({"a", "b\r", "\n"}), (Heads{{"ab", 2}}));

    const std::string start(LineReader::kHeadBytes, 's');
    std::vector<std::string> chunks{start.substr(0, 10), start.substr(10) + "more"};
    chunks.insert(chunks.end(), 1000, std::string(1000, 'x'));
    chunks.push_back("\r\n");
    EXPECT_EQ(headsOf(chunks), (Heads{{start, LineReader::kHeadBytes + 4 + 1000 * 1000}}));
    EXPECT_EQ(headsOf({start + "\r\n"}), (Heads{{start, LineReader::kHeadBytes}}))
        << "a CR right after the kept start is dropped from the length only";
}

} // namespace
} // namespace orvinta
