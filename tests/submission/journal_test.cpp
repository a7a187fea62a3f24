// SPDX-License-Identifier: GPL-3.0-or-later
// The journal of frames submitted: where each frame stands, read back by another program,
// and readable whatever moment a crash cut it at.
#include "submission/journal.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace orvinta::submission {
namespace {

const std::string kServer = "http://127.0.0.1:8080/api/telemetry/";

JournalEntry entry(JournalState state, const std::string& timestamp, const std::string& frame,
                   const std::string& server = kServer) {
    return {state, server, timestamp, frame, "noradID=20442&frame=" + frame, ""};
}

std::string content(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void write(const std::filesystem::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
}

class JournalTest : public testing::Test {
protected:
    std::filesystem::path path(const char* name = "orvinta/sids-journal") const {
        return std::filesystem::path(dir.path().toStdString()) / name;
    }

    /// A journal freshly read from `file`, as the next run reads it.
    static Journal reread(const std::filesystem::path& file) {
        Journal journal(file);
        std::string error;
        EXPECT_TRUE(journal.refresh(&error)) << error;
        return journal;
    }

    QTemporaryDir dir;
    std::string error;
};

TEST_F(JournalTest, AMissingFileIsAnEmptyJournal) {
    Journal journal(path());
    EXPECT_TRUE(journal.refresh(&error)) << error;
    EXPECT_EQ(journal.find(kServer, "2026-12-07T14:05:01.480Z", "45"), nullptr);
    EXPECT_TRUE(journal.waiting().empty());
}

TEST_F(JournalTest, TheLatestLineOfAFrameSaysWhereItStands) {
    Journal journal(path());
    ASSERT_TRUE(journal.record(entry(JournalState::Waiting, "T1", "41"), &error)) << error;
    ASSERT_TRUE(journal.record(entry(JournalState::Waiting, "T2", "42"), &error)) << error;
    JournalEntry refused = entry(JournalState::Refused, "T2", "42");
    refused.note = "HTTP 400:\t{\"detail\":\n\"no\"}";
    ASSERT_TRUE(journal.record(entry(JournalState::Sent, "T1", "41"), &error)) << error;
    ASSERT_TRUE(journal.record(refused, &error)) << error;

    EXPECT_EQ(content(path()), "orvinta SiDS journal 1\n"
                               "waiting\t" +
                                   kServer +
                                   "\tT1\t41\tnoradID=20442&frame=41\t\n"
                                   "waiting\t" +
                                   kServer +
                                   "\tT2\t42\tnoradID=20442&frame=42\t\n"
                                   "sent\t" +
                                   kServer +
                                   "\tT1\t41\tnoradID=20442&frame=41\t\n"
                                   "refused\t" +
                                   kServer +
                                   "\tT2\t42\tnoradID=20442&frame=42\t"
                                   "HTTP 400: {\"detail\": \"no\"}\n");
    const Journal fresh = reread(path());
    for (const Journal* read : {static_cast<const Journal*>(&journal), &fresh}) {
        ASSERT_NE(read->find(kServer, "T1", "41"), nullptr);
        EXPECT_EQ(read->find(kServer, "T1", "41")->state, JournalState::Sent);
        ASSERT_NE(read->find(kServer, "T2", "42"), nullptr);
        EXPECT_EQ(read->find(kServer, "T2", "42")->state, JournalState::Refused);
        EXPECT_EQ(read->find(kServer, "T2", "42")->note, "HTTP 400: {\"detail\": \"no\"}");
        EXPECT_TRUE(read->waiting().empty());
    }
}

TEST_F(JournalTest, AFrameIsKnownByServerTimeAndBytes) {
    Journal journal(path());
    const std::string other = "https://db.example.invalid/api/telemetry/";
    for (const JournalEntry& e :
         {entry(JournalState::Waiting, "T1", "41"), entry(JournalState::Waiting, "T1", "42"),
          entry(JournalState::Waiting, "T2", "41"), entry(JournalState::Waiting, "T1", "41", other),
          entry(JournalState::Sent, "T1", "42")})
        ASSERT_TRUE(journal.record(e, &error)) << error;
    const Journal read = reread(path());
    const std::vector<JournalEntry> waiting = read.waiting(kServer);
    ASSERT_EQ(waiting.size(), 2U);
    EXPECT_EQ(waiting[0].timestamp + waiting[0].frame, "T141");
    EXPECT_EQ(waiting[1].timestamp + waiting[1].frame, "T241");
    EXPECT_EQ(read.waiting(other).size(), 1U);
    EXPECT_EQ(read.waiting().size(), 3U);
}

TEST_F(JournalTest, AnotherProgramsLinesAreTakenIn) {
    Journal desktop(path());
    Journal commandLine(path());
    ASSERT_TRUE(desktop.record(entry(JournalState::Waiting, "T1", "41"), &error)) << error;
    ASSERT_TRUE(commandLine.refresh(&error)) << error;
    ASSERT_NE(commandLine.find(kServer, "T1", "41"), nullptr);
    ASSERT_TRUE(commandLine.record(entry(JournalState::Sent, "T1", "41"), &error)) << error;
    ASSERT_TRUE(desktop.refresh(&error)) << error;
    EXPECT_EQ(desktop.find(kServer, "T1", "41")->state, JournalState::Sent);
    EXPECT_TRUE(desktop.waiting().empty());
}

/// Whether a journal cut after `length` bytes of `text` is worth appending to: appending
/// depends only on whether the file is empty and where its last line ends, so the cuts
/// at and beside each line end and some within the lines stand for all the others, each
/// of which would cost a sync to the disk.
bool appendAfterCut(const std::string& text, std::size_t length) {
    constexpr std::size_t kWithinLineStride = 16;
    const auto endsLineAt = [&text](std::size_t at) {
        return at < text.size() && text[at] == '\n';
    };
    return length == 0 || length % kWithinLineStride == 0 || endsLineAt(length - 1) ||
           endsLineAt(length) || (length >= 2 && endsLineAt(length - 2));
}

// A crash may stop a write after any byte. Whatever is left, the journal reads without
// error, holds every line that was complete, and takes new lines as before.
TEST_F(JournalTest, ACutAtAnyByteLeavesItReadable) {
    Journal whole(path());
    ASSERT_TRUE(whole.record(entry(JournalState::Waiting, "T1", "41"), &error)) << error;
    ASSERT_TRUE(whole.record(entry(JournalState::Waiting, "T2", "42"), &error)) << error;
    ASSERT_TRUE(whole.record(entry(JournalState::Sent, "T1", "41"), &error)) << error;
    const std::string text = content(path());
    const std::filesystem::path cut = path("cut");
    for (std::size_t length = 0; length <= text.size(); ++length) {
        SCOPED_TRACE(length);
        write(cut, text.substr(0, length));
        const std::string kept = text.substr(0, length);
        const Journal read = reread(cut);
        const JournalEntry* first = read.find(kServer, "T1", "41");
        const JournalEntry* second = read.find(kServer, "T2", "42");
        const std::size_t lines =
            static_cast<std::size_t>(std::count(kept.begin(), kept.end(), '\n'));
        EXPECT_EQ(first != nullptr, lines >= 2);
        EXPECT_EQ(second != nullptr, lines >= 3);
        if (first != nullptr) {
            EXPECT_EQ(first->state, lines >= 4 ? JournalState::Sent : JournalState::Waiting);
        }
        EXPECT_EQ(read.skippedLines(), 0U);
        if (!appendAfterCut(text, length))
            continue;

        Journal next(cut);
        ASSERT_TRUE(next.record(entry(JournalState::Waiting, "T3", "43"), &error)) << error;
        const Journal after = reread(cut);
        ASSERT_NE(after.find(kServer, "T3", "43"), nullptr);
        EXPECT_EQ(after.find(kServer, "T3", "43")->body, "noradID=20442&frame=43");
        // The cut line is ended and skipped, never joined to the new one.
        EXPECT_LE(after.skippedLines(), 1U);
    }
}

TEST_F(JournalTest, LinesOfAnotherFormatAreSkippedAndCounted) {
    std::filesystem::create_directories(path().parent_path());
    write(path(), "orvinta SiDS journal 1\n"
                  "maybe\t" +
                      kServer +
                      "\tT1\t41\tbody\t\n"
                      "waiting\t" +
                      kServer +
                      "\tT1\t41\n"
                      "\n"
                      "waiting\t" +
                      kServer +
                      "\t\t41\tbody\t\n"
                      "waiting\t" +
                      kServer + "\tT2\t42\tbody\t\n");
    const Journal read = reread(path());
    EXPECT_EQ(read.skippedLines(), 4U);
    ASSERT_EQ(read.waiting().size(), 1U);
    EXPECT_EQ(read.waiting()[0].timestamp, "T2");
}

TEST_F(JournalTest, AJournalThatCannotBeWrittenSaysWhy) {
    write(path("plain-file"), "x");
    Journal journal(path("plain-file/sids-journal"));
    EXPECT_FALSE(journal.record(entry(JournalState::Waiting, "T1", "41"), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(journal.find(kServer, "T1", "41"), nullptr);
}

TEST_F(JournalTest, ItIsTheOperatorsAlone) {
    Journal journal(path());
    ASSERT_TRUE(journal.record(entry(JournalState::Waiting, "T1", "41"), &error)) << error;
    EXPECT_EQ(std::filesystem::status(path()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

} // namespace
} // namespace orvinta::submission
