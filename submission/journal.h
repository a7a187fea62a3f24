// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The record of every frame submitted or waiting to be, so that each frame goes out once
// and none is lost. A text file, one line per event, only ever appended to:
//
//   orvinta SiDS journal 1
//   waiting<TAB>SERVER<TAB>TIMESTAMP<TAB>FRAME<TAB>BODY<TAB>
//   sent<TAB>SERVER<TAB>TIMESTAMP<TAB>FRAME<TAB>BODY<TAB>
//   refused<TAB>SERVER<TAB>TIMESTAMP<TAB>FRAME<TAB>BODY<TAB>HTTP 400: the server's reply
//
// A frame is known by its server, time of reception and bytes (the SiDS timestamp and
// frame fields); its latest line says where it stands. "waiting" is written, and synced
// to the disk, before the request goes out; "sent" or "refused" once the server has
// answered. A program that ends at any moment therefore leaves a frame either waiting
// (sent again later) or answered. Each line goes out in one write: a line cut short by
// a crash has no line end, is skipped on reading and ended before the next line.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace orvinta::submission {

enum class JournalState { Waiting, Sent, Refused };

/// One frame and where it stands.
struct JournalEntry {
    JournalState state = JournalState::Waiting;
    std::string server;    ///< the URL it goes to
    std::string timestamp; ///< the SiDS timestamp field
    std::string frame;     ///< the SiDS frame field
    std::string body;      ///< the whole form-encoded request body
    std::string note;      ///< for a refused frame, the server's answer
};

/// The journal file at one path. Several programs may append to it: refresh() takes in
/// what the others wrote.
class Journal {
public:
    explicit Journal(std::filesystem::path path);

    const std::filesystem::path& path() const { return m_path; }

    /// Reads the lines appended since the last reading; false with the reason when the
    /// file exists but cannot be read. A missing file is an empty journal.
    bool refresh(std::string* error);

    /// The latest entry of the frame, or nullptr when it was never recorded.
    const JournalEntry* find(std::string_view server, std::string_view timestamp,
                             std::string_view frame) const;
    /// The frames still waiting for `server`, or for every server when it is empty, in
    /// the order they were first recorded.
    std::vector<JournalEntry> waiting(std::string_view server = {}) const;
    /// Lines skipped on reading: cut short by a crash, or not of this format.
    std::size_t skippedLines() const { return m_skipped; }

    /// Appends `entry` as one line and syncs it to the disk; false with the reason when
    /// it cannot be written.
    bool record(const JournalEntry& entry, std::string* error);

    /// The journal line of `entry`, with its line end.
    static std::string line(const JournalEntry& entry);
    /// `text` with tabs and line ends as blanks and cut to a length a line can carry.
    static std::string noteText(std::string_view text);

private:
    void take(std::string_view line);
    void keep(JournalEntry entry);

    std::filesystem::path m_path;
    std::uintmax_t m_readUpTo = 0;
    std::vector<JournalEntry> m_entries; ///< latest state, in the order first recorded
    std::map<std::string, std::size_t, std::less<>> m_index;
    std::size_t m_skipped = 0;
};

/// The words of the states in the file.
std::string_view journalStateName(JournalState state);

} // namespace orvinta::submission
