#include "sim/TerminalLink.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace kx::sim {

TerminalLink::~TerminalLink()
{
    remove();
}

bool TerminalLink::create(const std::string& path, const std::string& target, std::string& error)
{
    remove();
    struct stat st
    {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            error = path + " exists and is not a symbolic link";
            return false;
        }
        ::unlink(path.c_str());
    }
    if (::symlink(target.c_str(), path.c_str()) != 0) {
        error = "symlink " + path + ": " + std::strerror(errno);
        return false;
    }
    m_path = path;
    m_target = target;
    return true;
}

void TerminalLink::remove()
{
    if (m_path.empty())
        return;
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(m_path.c_str(), buf, sizeof buf);
    if (n >= 0 && std::string_view(buf, static_cast<std::size_t>(n)) == m_target)
        ::unlink(m_path.c_str());
    m_path.clear();
    m_target.clear();
}

} // namespace kx::sim
