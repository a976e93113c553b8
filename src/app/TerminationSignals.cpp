#include "app/TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace kx {

#ifdef Q_OS_UNIX
namespace {

int g_pair[2] = {-1, -1};
const int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void onTerminationSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    // A full socket already holds a wake-up; nothing is lost by dropping this one.
    [[maybe_unused]] const ssize_t n = ::write(g_pair[0], &byte, 1);
    errno = saved;
}

} // namespace
#endif

TerminationSignals::TerminationSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), m_onSignal(std::move(onSignal))
{
#ifdef Q_OS_UNIX
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pair) != 0)
        return;
    for (int fd : g_pair)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    m_notifier = new QSocketNotifier(g_pair[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::drain);
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals)
        ::sigaction(s, &action, nullptr);
#endif
}

TerminationSignals::~TerminationSignals()
{
#ifdef Q_OS_UNIX
    if (!m_notifier)
        return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int s : kSignals)
        ::sigaction(s, &action, nullptr);
    delete m_notifier;
    m_notifier = nullptr;
    ::close(g_pair[0]);
    ::close(g_pair[1]);
    g_pair[0] = g_pair[1] = -1;
#endif
}

void TerminationSignals::drain()
{
#ifdef Q_OS_UNIX
    char bytes[16];
    bool any = false;
    while (::read(g_pair[1], bytes, sizeof bytes) > 0)
        any = true;
    if (any && m_onSignal)
        m_onSignal();
#endif
}

} // namespace kx
