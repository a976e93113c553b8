#pragma once
// The register's journal: every registration is also appended to a file beside config.ini,
// so that after a crash, a power cut or a kill the next start can bring the register of the
// interrupted run back, row for row. A normal close or a cleared table removes or empties
// it, so a journal found at start means the last run did not end normally.
//
// The file is a header line and fixed-size records of 32 bytes, each with its own check
// byte: a file cut off within a record (or ending in bytes never written) gives back the
// whole records before the cut, and says that it was cut.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/register/RegisterRows.h"

namespace kx {

constexpr std::size_t kJournalRecordSize = 32;

// The file's first bytes.
std::string_view journalHeader();
// One registration as its record.
void appendJournalRecord(std::string& out, const Registration& registration);

struct JournalContents
{
    bool recognised = false; // the header is a journal's
    bool cut = false;        // bytes after the last whole record, or a record that fails its check
    std::vector<Registration> rows;
};
// Reads a journal's bytes: the whole records up to the first that is cut off or damaged.
JournalContents readJournal(std::string_view bytes);

// Appends registrations to the journal file on a thread of its own, so the UI thread never
// waits for the disk: what it hands over is written and synced within about a second.
class JournalWriter
{
public:
    static constexpr int kFlushMs = 500;

    // Creates the file, or empties it when it exists.
    explicit JournalWriter(std::string path);
    // Writes what is still waiting, then stops. The file stays: a normal end calls remove().
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    void append(const Registration& registration);
    // The table was cleared: the file goes back to its header.
    void clear();
    // The program closes normally: the file goes.
    void remove();
    // Every write so far reached the disk (false after a failed write, e.g. a full disk).
    bool healthy() const;
    // Waits until everything handed over is on the disk (tests; the close).
    void sync();

private:
    enum class Command
    {
        None,
        Clear,
        Remove,
    };
    void run();
    // The writer thread's (and the constructor's, before it starts).
    bool writeOut(const std::string& bytes);
    bool reopen(bool empty);

    std::string m_path;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::string m_pending;
    Command m_command = Command::None;
    bool m_stop = false;
    bool m_urgent = false;
    bool m_healthy = true;
    uint64_t m_requested = 0;    // appends and commands handed over
    uint64_t m_completed = 0;    // of those, done
    std::FILE* m_file = nullptr; // the writer thread's
    std::thread m_thread;
};

} // namespace kx
