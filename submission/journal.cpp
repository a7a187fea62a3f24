// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

namespace orvinta::submission {

namespace {

constexpr std::string_view kHeader = "orvinta SiDS journal 1";
constexpr std::size_t kFieldCount = 6;
/// A server's reply is kept to this many bytes: enough for its reason, and a journal line
/// stays small however much the server sends.
constexpr std::size_t kLongestNote = 300;
/// Owner read and write only: the journal names the operator's station.
constexpr mode_t kJournalMode = 0600;

constexpr std::array<std::string_view, 3> kStateNames{"waiting", "sent", "refused"};

std::string key(std::string_view server, std::string_view timestamp, std::string_view frame) {
    std::string text;
    text.reserve(server.size() + timestamp.size() + frame.size() + 2);
    text.append(server).append(1, '\t').append(timestamp).append(1, '\t').append(frame);
    return text;
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string_view::npos;
         tab = line.find('\t', start)) {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

std::string systemReason(int error) {
    return std::system_category().message(error);
}

/// An open file descriptor, closed when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd)
        : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    /// Closes now and tells whether the close went well.
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

/// Whether the file ends within a line that a crash cut short.
bool endsWithinLine(int fd, off_t size) {
    char last = '\n';
    return size > 0 && ::pread(fd, &last, 1, size - 1) == 1 && last != '\n';
}

/// Syncs the folder of a file just created, so that the file's name survives a crash too.
void syncFolder(const std::filesystem::path& folder) {
    const Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0)
        ::fsync(fd.get());
}

} // namespace

std::string_view journalStateName(JournalState state) {
    return kStateNames[static_cast<std::size_t>(state)];
}

Journal::Journal(std::filesystem::path path)
    : m_path(std::move(path)) {
}

bool Journal::refresh(std::string* error) {
    std::error_code code;
    const std::uintmax_t size = std::filesystem::file_size(m_path, code);
    if (code == std::errc::no_such_file_or_directory)
        return true;
    if (code) {
        *error = code.message();
        return false;
    }
    if (size < m_readUpTo) {
        // Replaced by a shorter file: read it anew.
        *this = Journal(m_path);
    }
    std::ifstream file(m_path, std::ios::binary);
    if (!file) {
        *error = systemReason(errno);
        return false;
    }
    file.seekg(static_cast<std::streamoff>(m_readUpTo));
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) {
        *error = systemReason(errno);
        return false;
    }
    // Only whole lines: the last one may still be being written, or was cut short.
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos;
         end = text.find('\n', start)) {
        take(std::string_view(text).substr(start, end - start));
        start = end + 1;
    }
    m_readUpTo += start;
    return true;
}

void Journal::take(std::string_view line) {
    if (line == kHeader)
        return;
    const std::vector<std::string_view> fields = splitFields(line);
    if (fields.size() != kFieldCount) {
        ++m_skipped;
        return;
    }
    JournalEntry entry;
    std::size_t state = 0;
    while (state < kStateNames.size() && kStateNames[state] != fields[0])
        ++state;
    if (state == kStateNames.size() || fields[1].empty() || fields[2].empty() ||
        fields[3].empty() || fields[4].empty()) {
        ++m_skipped;
        return;
    }
    entry.state = static_cast<JournalState>(state);
    entry.server = fields[1];
    entry.timestamp = fields[2];
    entry.frame = fields[3];
    entry.body = fields[4];
    entry.note = fields[5];
    keep(std::move(entry));
}

void Journal::keep(JournalEntry entry) {
    std::string name = key(entry.server, entry.timestamp, entry.frame);
    const auto known = m_index.find(name);
    if (known != m_index.end()) {
        m_entries[known->second] = std::move(entry);
        return;
    }
    m_index.emplace(std::move(name), m_entries.size());
    m_entries.push_back(std::move(entry));
}

const JournalEntry* Journal::find(std::string_view server, std::string_view timestamp,
                                  std::string_view frame) const {
    const auto known = m_index.find(key(server, timestamp, frame));
    return known == m_index.end() ? nullptr : &m_entries[known->second];
}

std::vector<JournalEntry> Journal::waiting(std::string_view server) const {
    std::vector<JournalEntry> found;
    for (const JournalEntry& entry : m_entries) {
        if (entry.state == JournalState::Waiting && (server.empty() || entry.server == server))
            found.push_back(entry);
    }
    return found;
}

std::string Journal::noteText(std::string_view text) {
    std::string note(text.substr(0, kLongestNote));
    for (char& c : note) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    }
    return note;
}

std::string Journal::line(const JournalEntry& entry) {
    std::string text(journalStateName(entry.state));
    for (const std::string_view field :
         {std::string_view(entry.server), std::string_view(entry.timestamp),
          std::string_view(entry.frame), std::string_view(entry.body)})
        text.append(1, '\t').append(field);
    text.append(1, '\t').append(noteText(entry.note)).append(1, '\n');
    return text;
}

bool Journal::record(const JournalEntry& entry, std::string* error) {
    std::error_code code;
    std::filesystem::create_directories(m_path.parent_path(), code);
    if (code) {
        *error = code.message();
        return false;
    }
    Descriptor fd(::open(m_path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, kJournalMode));
    struct stat status {};
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0) {
        *error = systemReason(errno);
        return false;
    }
    std::string text;
    if (status.st_size == 0)
        text.append(kHeader).append(1, '\n');
    else if (endsWithinLine(fd.get(), status.st_size))
        text += '\n';
    text += line(entry);
    if (!writeAll(fd.get(), text) || ::fdatasync(fd.get()) != 0 || !fd.close()) {
        *error = systemReason(errno);
        return false;
    }
    if (status.st_size == 0)
        syncFolder(m_path.parent_path());
    JournalEntry kept = entry;
    kept.note = noteText(entry.note);
    keep(std::move(kept));
    return true;
}

} // namespace orvinta::submission
