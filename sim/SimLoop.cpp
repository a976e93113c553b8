#include "sim/SimLoop.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <span>
#include <unistd.h>

namespace kx::sim {

using std::chrono::milliseconds;

namespace {

// Written by the signal handler, which may use nothing but a descriptor.
int g_signalPipe[2] = {-1, -1};

void onSignal(int sig)
{
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(sig);
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

int pollTimeout(SimTime now, std::optional<SimTime> a, std::optional<SimTime> b)
{
    std::optional<SimTime> next = a;
    if (b && (!next || *b < *next))
        next = b;
    if (!next)
        return -1;
    if (*next <= now)
        return 0;
    const auto ms = std::chrono::ceil<milliseconds>(*next - now).count();
    return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

} // namespace

int installStopSignals(std::string& error)
{
    if (g_signalPipe[0] >= 0)
        return g_signalPipe[0];
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::string("pipe2: ") + std::strerror(errno);
        g_signalPipe[0] = g_signalPipe[1] = -1;
        return -1;
    }
    struct sigaction sa
    {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(sig, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    return g_signalPipe[0];
}

SimLoop::SimLoop(int masterFd, SimDevice& device, int stopFd,
                 std::optional<milliseconds> hangupAfter, SimDevice::Logger log)
    : m_master(masterFd), m_device(device), m_stop(stopFd), m_log(std::move(log))
{
    if (hangupAfter)
        m_hangupAt = SimClock::now() + *hangupAfter;
}

bool SimLoop::run(std::string& error)
{
    for (;;) {
        SimTime now = SimClock::now();
        if (m_hangupAt && now >= *m_hangupAt) {
            log("hanging up");
            return true;
        }
        queueDue(now);
        flush();

        std::optional<SimTime> wake = m_device.nextSendTime();
        const bool masterResting = m_masterRestUntil && now < *m_masterRestUntil;
        if (masterResting && (!wake || *m_masterRestUntil < *wake))
            wake = m_masterRestUntil;
        pollfd fds[2] = {{m_stop, POLLIN, 0}, {m_master, 0, 0}};
        if (!masterResting)
            fds[1].events = static_cast<short>(POLLIN | (m_unsent.empty() ? 0 : POLLOUT));
        else
            fds[1].fd = -1;
        const int rc = ::poll(fds, 2, pollTimeout(now, wake, m_hangupAt));
        if (rc < 0) {
            if (errno == EINTR)
                continue;
            error = std::string("poll: ") + std::strerror(errno);
            return false;
        }
        if (fds[0].revents & POLLIN) {
            unsigned char sig = 0;
            if (::read(m_stop, &sig, 1) == 1)
                log("stopping on signal " + std::to_string(sig));
            return true;
        }
        if (fds[1].revents & POLLIN)
            readMaster();
        else if (fds[1].revents & (POLLHUP | POLLERR))
            restMaster();
    }
}

void SimLoop::readMaster()
{
    uint8_t buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            m_device.receive(std::span<const uint8_t>(buf, static_cast<std::size_t>(n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            restMaster();
        return;
    }
}

// The slave the terminal keeps open should prevent a hang-up on the master; should one happen
// anyway, look again a little later rather than spin on it.
void SimLoop::restMaster()
{
    m_masterRestUntil = SimClock::now() + milliseconds(50);
    m_unsent.clear();
}

void SimLoop::queueDue(SimTime now)
{
    const std::vector<uint8_t> due = m_device.takeDue(now);
    if (m_unsent.size() + due.size() > kMaxUnsent) {
        log("nobody reads: " + std::to_string(due.size()) + " byte(s) lost");
        return;
    }
    m_unsent.insert(m_unsent.end(), due.begin(), due.end());
}

void SimLoop::flush()
{
    while (!m_unsent.empty()) {
        const ssize_t n = ::write(m_master, m_unsent.data(), m_unsent.size());
        if (n > 0) {
            m_unsent.erase(m_unsent.begin(), m_unsent.begin() + n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            restMaster();
        return;
    }
}

void SimLoop::log(const std::string& line) const
{
    if (m_log)
        m_log(line);
}

} // namespace kx::sim
