// POSIX back end: termios for the line, one poll() over the port and a wake-up descriptor for
// the seven signals. The signals are bits in an atomic word; the owner's thread sets a bit and
// then wakes the poll, the reader thread serves the lowest bit set.

#include "serial/SerialBackend.h"

#include <bit>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/eventfd.h>
#endif

namespace kx {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kSilence = std::chrono::milliseconds(SerialEngine::kSilenceMs);

bool speedFor(int baud, speed_t& speed)
{
    struct Rate
    {
        int bits;
        speed_t code;
    };
    static constexpr Rate kRates[] = {
        {50, B50},         {75, B75},         {110, B110},       {134, B134},     {150, B150},
        {200, B200},       {300, B300},       {600, B600},       {1200, B1200},   {1800, B1800},
        {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200}, {38400, B38400},
        {57600, B57600},   {115200, B115200}, {230400, B230400},
#ifdef B460800
        {460800, B460800},
#endif
#ifdef B921600
        {921600, B921600},
#endif
    };
    for (const Rate& r : kRates) {
        if (r.bits == baud) {
            speed = r.code;
            return true;
        }
    }
    return false;
}

} // namespace

// DTR/RTS drop on close (HUPCL), as closing a port does on Windows. Reads return what is there
// (VMIN 1 with a non-blocking descriptor: EAGAIN when empty, end of file only when the line
// hung up); the silence that ends a read is timed by the reader thread.
bool posixLineSettings(termios& tio, int baud, int parity, int byteSize)
{
    tio = termios{};
    cfmakeraw(&tio);
    tcflag_t size = 0;
    switch (byteSize) {
    case 5:
        size = CS5;
        break;
    case 6:
        size = CS6;
        break;
    case 7:
        size = CS7;
        break;
    case 8:
        size = CS8;
        break;
    default:
        return false;
    }
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB);
#ifdef CRTSCTS
    tio.c_cflag &= ~CRTSCTS;
#endif
    tio.c_cflag |= size | CREAD | CLOCAL | HUPCL;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK | ISTRIP);
    switch (parity) {
    case 0:
        break;
    case 1:
        tio.c_cflag |= PARENB | PARODD;
        tio.c_iflag |= INPCK;
        break;
    case 2:
        tio.c_cflag |= PARENB;
        tio.c_iflag |= INPCK;
        break;
    default:
        return false;
    }
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    speed_t speed{};
    return speedFor(baud, speed) && cfsetispeed(&tio, speed) == 0 && cfsetospeed(&tio, speed) == 0;
}

namespace {

// tcsetattr succeeds if any part was taken; a driver may quietly refuse the rest.
bool lineSettingsTaken(int fd, const termios& wanted)
{
    termios now{};
    if (tcgetattr(fd, &now) != 0)
        return false;
    tcflag_t mask = CSIZE | PARENB | PARODD | CSTOPB | CREAD | CLOCAL;
#ifdef CRTSCTS
    mask |= CRTSCTS;
#endif
    return (now.c_cflag & mask) == (wanted.c_cflag & mask) && (now.c_iflag & (IXON | IXOFF)) == 0 &&
           cfgetispeed(&now) == cfgetispeed(&wanted) && cfgetospeed(&now) == cfgetospeed(&wanted);
}

bool setNonBlocking(int fd)
{
    int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

} // namespace

std::string mapPortName(const std::string& name)
{
    if (name.empty() || name.front() == '/')
        return name;
    if (int n = comPortNumber(name); n > 0)
        return "/dev/ttyS" + std::to_string(n - 1);
    return "/dev/" + name;
}

SerialEngine::Backend::Backend(SerialEngine& engine) : m_engine(engine)
{
#ifdef __linux__
    m_wakeRead = m_wakeWrite = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
#else
    int ends[2];
    if (pipe(ends) == 0) {
        m_wakeRead = ends[0];
        m_wakeWrite = ends[1];
        for (int fd : ends) {
            setNonBlocking(fd);
            fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
    }
#endif
}

SerialEngine::Backend::~Backend()
{
    closePort();
    if (m_wakeWrite >= 0 && m_wakeWrite != m_wakeRead)
        ::close(m_wakeWrite);
    if (m_wakeRead >= 0)
        ::close(m_wakeRead);
}

bool SerialEngine::Backend::signalsValid() const
{
    return m_wakeRead >= 0 && m_wakeWrite >= 0;
}

bool SerialEngine::Backend::portHeld() const
{
    return m_fd >= 0;
}

int SerialEngine::Backend::openPort(const std::string& path, int baud, int parity, int byteSize,
                                    bool modemEvents)
{
    m_modemWanted = modemEvents;
    termios settings{};
    const bool settingsValid = posixLineSettings(settings, baud, parity, byteSize);

    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return 8;
    // Exclusive: flock keeps out other engines and well-behaved programs; TIOCEXCL keeps out
    // everyone else, except root, so a root process also honours an exclusivity already set.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return 8;
    }
#ifdef TIOCGEXCL
    int taken = 0;
    if (ioctl(fd, TIOCGEXCL, &taken) == 0 && taken != 0) {
        ::close(fd);
        return 8;
    }
#endif
    ioctl(fd, TIOCEXCL);
    m_fd = fd;

    int result = 0;
    if (modemEvents) {
        int lines = 0;
        if (ioctl(fd, TIOCMGET, &lines) != 0)
            result = 1;
    }
    if (!setNonBlocking(fd))
        result = 2;
    if (!settingsValid || tcsetattr(fd, TCSANOW, &settings) != 0 ||
        !lineSettingsTaken(fd, settings)) {
        result = 4;
    } else {
        // A pseudo-terminal has no modem lines; that is no reason to refuse it.
        int lines = TIOCM_DTR | TIOCM_RTS;
        ioctl(fd, TIOCMBIS, &lines);
        tcflush(fd, TCIOFLUSH);
    }
    return result;
}

void SerialEngine::Backend::closePort()
{
    if (m_fd < 0)
        return;
    // A pseudo-terminal's slave keeps the exclusive mark after its last close.
    ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
    m_fd = -1;
}

void SerialEngine::Backend::signal(Signal s)
{
    m_signals.fetch_or(1u << s, std::memory_order_release);
    if (!m_engine.onReaderThread())
        wake();
}

void SerialEngine::Backend::wake()
{
    if (m_wakeWrite < 0)
        return;
#ifdef __linux__
    const uint64_t one = 1;
#else
    const uint8_t one = 1;
#endif
    // A full pipe or counter already means "wake up".
    [[maybe_unused]] ssize_t n = ::write(m_wakeWrite, &one, sizeof one);
}

void SerialEngine::Backend::resetSignals()
{
    uint64_t drain[16];
    while (m_wakeRead >= 0 && ::read(m_wakeRead, drain, sizeof drain) > 0) {
    }
    m_signals.store(0, std::memory_order_release);
}

void SerialEngine::Backend::run()
{
    m_readPending = m_readActive = false;
    m_writeActive = false;
    m_modemPending = false;
    m_signals.fetch_or(1u << ReadRequest, std::memory_order_relaxed);
    if (m_modemWanted)
        m_signals.fetch_or(1u << ModemRequest, std::memory_order_relaxed);

    for (;;) {
        const uint32_t set = m_signals.load(std::memory_order_acquire);
        if (set == 0) {
            if (!waitForSignalOrIo())
                return;
            continue;
        }
        const int s = std::countr_zero(set);
        m_signals.fetch_and(~(1u << s), std::memory_order_acq_rel);
        switch (s) {
        case StopRequest:
            return;
        case ReadDone:
            m_engine.m_receivedCount.store(static_cast<uint32_t>(m_readGot),
                                           std::memory_order_relaxed);
            m_readPending = false;
            if (m_readGot > 0)
                m_engine.raise(DataReceived);
            break;
        case ReadRequest:
            if (m_readPending)
                break;
            m_readPending = m_readActive = true;
            m_readWanted = m_engine.read_size();
            m_readGot = 0;
            break;
        case WriteDone:
            m_engine.m_writePending.store(false, std::memory_order_release);
            m_engine.raise(DataSent);
            break;
        case WriteRequest:
            m_writeLength = m_engine.m_sendLength;
            m_written = 0;
            if (!writeSome())
                return;
            break;
        case ModemDone:
            break; // never set here: no waitable source of line changes
        case ModemRequest:
            if (!m_modemPending && m_modemWanted)
                m_modemPending = true;
            break;
        }
    }
}

// The one place the reader thread sleeps. The 25 ms silence is a timeout only while a read
// has bytes; otherwise it sleeps until a byte, room to write, a hang-up or a signal.
bool SerialEngine::Backend::waitForSignalOrIo()
{
    pollfd fds[2] = {{m_wakeRead, POLLIN, 0}, {m_fd, 0, 0}};
    if (m_readActive)
        fds[1].events |= POLLIN;
    if (m_writeActive)
        fds[1].events |= POLLOUT;

    int timeoutMs = -1;
    if (m_readActive && m_readGot > 0) {
        const auto left = m_lastByte + kSilence - Clock::now();
        timeoutMs =
            left.count() <= 0
                ? 0
                : static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
    }

    if (::poll(fds, 2, timeoutMs) < 0)
        return errno == EINTR;

    if (fds[0].revents & (POLLERR | POLLNVAL))
        return false;
    if (fds[0].revents & POLLIN) {
        uint64_t drain[16];
        while (::read(m_wakeRead, drain, sizeof drain) > 0) {
        }
    }

    const short port = fds[1].revents;
    if (port & POLLNVAL)
        return false;
    if (m_readActive && (port & (POLLIN | POLLHUP | POLLERR))) {
        // Bytes that came before a hang-up are still read; the read after them fails.
        if (!readSome())
            return false;
    } else if (port & (POLLHUP | POLLERR)) {
        return false;
    }
    if (m_writeActive && (port & POLLOUT) && !writeSome())
        return false;

    if (m_readActive && m_readGot > 0 && Clock::now() - m_lastByte >= kSilence) {
        m_readActive = false;
        m_signals.fetch_or(1u << ReadDone, std::memory_order_relaxed);
    }
    return true;
}

bool SerialEngine::Backend::readSome()
{
    const ssize_t n = ::read(m_fd, m_engine.m_receiveBuffer.data() + m_readGot,
                             static_cast<std::size_t>(m_readWanted - m_readGot));
    if (n < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    if (n == 0)
        return false; // end of file: the line hung up
    m_readGot += static_cast<int>(n);
    m_lastByte = Clock::now();
    if (m_readGot == m_readWanted) {
        m_readActive = false;
        m_signals.fetch_or(1u << ReadDone, std::memory_order_relaxed);
    }
    return true;
}

bool SerialEngine::Backend::writeSome()
{
    while (m_written < m_writeLength) {
        const ssize_t n = ::write(m_fd, m_engine.m_sendBuffer.data() + m_written,
                                  static_cast<std::size_t>(m_writeLength - m_written));
        if (n > 0) {
            m_written += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK) {
            m_writeActive = true;
            return true;
        }
        return false;
    }
    m_writeActive = false;
    m_signals.fetch_or(1u << WriteDone, std::memory_order_relaxed);
    return true;
}

} // namespace kx
