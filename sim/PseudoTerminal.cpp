#include "sim/PseudoTerminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace kx::sim {

namespace {

std::string failure(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

bool setFdFlag(int fd, int getCmd, int setCmd, int flag)
{
    const int flags = ::fcntl(fd, getCmd);
    return flags >= 0 && ::fcntl(fd, setCmd, flags | flag) == 0;
}

} // namespace

PseudoTerminal::~PseudoTerminal()
{
    close();
}

bool PseudoTerminal::open(std::string& error)
{
    close();
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0) {
        error = failure("posix_openpt");
        return false;
    }
    char path[256];
    if (!setFdFlag(m_master, F_GETFD, F_SETFD, FD_CLOEXEC) ||
        !setFdFlag(m_master, F_GETFL, F_SETFL, O_NONBLOCK)) {
        error = failure("fcntl");
    } else if (::grantpt(m_master) != 0) {
        error = failure("grantpt");
    } else if (::unlockpt(m_master) != 0) {
        error = failure("unlockpt");
    } else if (const int rc = ::ptsname_r(m_master, path, sizeof path); rc != 0) {
        errno = rc;
        error = failure("ptsname_r");
    } else if ((m_keptSlave = ::open(path, O_RDWR | O_NOCTTY | O_CLOEXEC)) < 0) {
        error = failure("open slave");
    } else {
        termios tio{};
        if (::tcgetattr(m_keptSlave, &tio) != 0) {
            error = failure("tcgetattr");
        } else {
            ::cfmakeraw(&tio);
            ::cfsetispeed(&tio, B57600);
            ::cfsetospeed(&tio, B57600);
            tio.c_cflag |= CLOCAL | CREAD;
            if (::tcsetattr(m_keptSlave, TCSANOW, &tio) != 0) {
                error = failure("tcsetattr");
            } else {
                m_slavePath = path;
                return true;
            }
        }
    }
    close();
    return false;
}

void PseudoTerminal::close()
{
    if (m_keptSlave >= 0)
        ::close(m_keptSlave);
    if (m_master >= 0)
        ::close(m_master);
    m_keptSlave = -1;
    m_master = -1;
    m_slavePath.clear();
}

} // namespace kx::sim
