#pragma once

// A pseudo-terminal pair for tests: the code under test opens slavePath() as its serial port,
// the test plays the device on the master side. Header-only, standard C++ and POSIX, no Qt.
// Windows has no pseudo-terminals: there a pair is never valid, and KX_NEEDS_PTY() skips the
// case that needs one.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#ifdef _WIN32

#define KX_NEEDS_PTY() QSKIP("this system has no pseudo-terminals")

namespace kx::test {

class PtyPair
{
public:
    bool valid() const { return false; }
    const std::string& slavePath() const { return m_slavePath; }
    void closeMaster() {}
    bool write(const std::vector<uint8_t>&) { return false; }
    bool write(const uint8_t*, std::size_t) { return false; }
    std::vector<uint8_t> read(std::size_t, std::chrono::milliseconds) { return {}; }

private:
    std::string m_slavePath;
};

} // namespace kx::test

#else

#define KX_NEEDS_PTY() (void)0

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace kx::test {

class PtyPair
{
public:
    PtyPair()
    {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0)
            return;
        char name[256] = {};
        if (grantpt(m_master) != 0 || unlockpt(m_master) != 0 ||
            ptsname_r(m_master, name, sizeof name) != 0) {
            closeMaster();
            return;
        }
        m_slavePath = name;
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    }
    ~PtyPair() { closeMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool valid() const { return m_master >= 0; }
    const std::string& slavePath() const { return m_slavePath; }
    int masterFd() const { return m_master; }

    // Hangs up the slave side, as unplugging a device does.
    void closeMaster()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

    bool write(const std::vector<uint8_t>& bytes) { return write(bytes.data(), bytes.size()); }
    bool write(const uint8_t* data, std::size_t size)
    {
        std::size_t done = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (done < size && std::chrono::steady_clock::now() < deadline) {
            const ssize_t n = ::write(m_master, data + done, size - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            pollfd p{m_master, POLLOUT, 0};
            ::poll(&p, 1, 50);
        }
        return done == size;
    }

    // What the slave side wrote, until `count` bytes came or `timeout` passed.
    std::vector<uint8_t> read(std::size_t count, std::chrono::milliseconds timeout)
    {
        std::vector<uint8_t> got;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        uint8_t buf[512];
        while (got.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                break;
            const ssize_t n = ::read(m_master, buf, std::min(sizeof buf, count - got.size()));
            if (n > 0)
                got.insert(got.end(), buf, buf + n);
            else if (p.revents & POLLHUP)
                break;
        }
        return got;
    }

    // The slave's line settings (a master reports its slave's).
    bool slaveSettings(termios& tio) const { return tcgetattr(m_master, &tio) == 0; }

private:
    int m_master = -1;
    std::string m_slavePath;
};

} // namespace kx::test

#endif
