#include "core/register/RegisterJournal.h"

#include <bit>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace kx {

namespace {

constexpr std::string_view kHeader = "KX350T-PC register journal 1\n";

void put(std::string& out, uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += char(uint8_t(v >> (8 * i)));
}

uint64_t get(const uint8_t* p, int bytes)
{
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= uint64_t(p[i]) << (8 * i);
    return v;
}

// A zeroed or half-written record must fail: the check starts from a non-zero seed.
uint8_t check(const uint8_t* p, std::size_t n)
{
    uint8_t c = 0xA5;
    for (std::size_t i = 0; i < n; ++i)
        c = uint8_t((c << 1 | c >> 7) ^ p[i]);
    return c;
}

bool flushToDisk(std::FILE* f)
{
    if (std::fflush(f) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(f)) == 0;
#else
    return ::fsync(fileno(f)) == 0;
#endif
}

} // namespace

std::string_view journalHeader()
{
    return kHeader;
}

// measure time (8), stamp (8), three shown values (4 each), options (2), flags (1), spare (0),
// check (1): 32 bytes, little-endian whatever the machine.
void appendJournalRecord(std::string& out, const Registration& r)
{
    const std::size_t start = out.size();
    put(out, std::bit_cast<uint64_t>(r.measureTime), 8);
    put(out, uint64_t(r.stampMs), 8);
    for (float v : r.shown)
        put(out, std::bit_cast<uint32_t>(v), 4);
    put(out, r.options.bits(), 2);
    put(out, r.flags, 1);
    out +=
        char(check(reinterpret_cast<const uint8_t*>(out.data() + start), kJournalRecordSize - 1));
}

JournalContents readJournal(std::string_view bytes)
{
    JournalContents c;
    if (bytes.substr(0, kHeader.size()) != kHeader)
        return c;
    c.recognised = true;
    bytes.remove_prefix(kHeader.size());
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    const std::size_t whole = bytes.size() / kJournalRecordSize;
    for (std::size_t i = 0; i < whole; ++i, p += kJournalRecordSize) {
        if (check(p, kJournalRecordSize - 1) != p[kJournalRecordSize - 1]) {
            c.cut = true;
            return c;
        }
        Registration r;
        r.measureTime = std::bit_cast<double>(get(p, 8));
        r.stampMs = int64_t(get(p + 8, 8));
        for (int f = 0; f < 3; ++f)
            r.shown[std::size_t(f)] = std::bit_cast<float>(uint32_t(get(p + 16 + 4 * f, 4)));
        r.options = RegisterOptions(uint16_t(get(p + 28, 2)));
        r.flags = uint8_t(p[30]);
        c.rows.push_back(r);
    }
    c.cut = bytes.size() % kJournalRecordSize != 0;
    return c;
}

JournalWriter::JournalWriter(std::string path) : m_path(std::move(path))
{
    m_healthy = reopen(true);
    m_thread = std::thread([this] { run(); });
}

JournalWriter::~JournalWriter()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
    if (m_file)
        std::fclose(m_file);
}

void JournalWriter::append(const Registration& registration)
{
    std::lock_guard lock(m_mutex);
    appendJournalRecord(m_pending, registration);
    ++m_requested;
}

void JournalWriter::clear()
{
    {
        std::lock_guard lock(m_mutex);
        m_pending.clear();
        m_command = Command::Clear;
        ++m_requested;
    }
    m_wake.notify_all();
}

void JournalWriter::remove()
{
    {
        std::lock_guard lock(m_mutex);
        m_pending.clear();
        m_command = Command::Remove;
        ++m_requested;
    }
    sync();
}

bool JournalWriter::healthy() const
{
    std::lock_guard lock(m_mutex);
    return m_healthy;
}

void JournalWriter::sync()
{
    std::unique_lock lock(m_mutex);
    const uint64_t target = m_requested;
    m_urgent = true;
    m_wake.notify_all();
    m_done.wait(lock, [this, target] { return m_completed >= target; });
}

bool JournalWriter::reopen(bool empty)
{
    if (m_file)
        std::fclose(m_file);
    m_file = std::fopen(m_path.c_str(), empty ? "wb" : "ab");
    return m_file && (!empty || writeOut(std::string(kHeader)));
}

bool JournalWriter::writeOut(const std::string& bytes)
{
    if (!m_file)
        return false;
    return std::fwrite(bytes.data(), 1, bytes.size(), m_file) == bytes.size() &&
           flushToDisk(m_file);
}

void JournalWriter::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        // Rows gather for a while and go out in one write; a clear, a removal, a sync or the
        // end do not wait.
        m_wake.wait_for(lock, std::chrono::milliseconds(kFlushMs),
                        [this] { return m_stop || m_urgent || m_command != Command::None; });
        const Command command = std::exchange(m_command, Command::None);
        const std::string bytes = std::exchange(m_pending, {});
        const uint64_t taken = m_requested;
        const bool stop = m_stop;
        m_urgent = false;
        lock.unlock();
        bool ok = true;
        if (command == Command::Clear) {
            ok = reopen(true);
        } else if (command == Command::Remove) {
            if (m_file)
                std::fclose(m_file);
            m_file = nullptr;
            std::remove(m_path.c_str());
        }
        if (!bytes.empty())
            ok = writeOut(bytes) && ok;
        lock.lock();
        m_healthy = m_healthy && ok;
        m_completed = taken;
        m_done.notify_all();
        if (stop)
            return;
    }
}

} // namespace kx
