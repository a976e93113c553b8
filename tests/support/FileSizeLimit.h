#pragma once
// Files this process writes may grow to a given size only, so a long write fails part way
// through even as root (a read-only folder does not stop root). POSIX only.

#include <QtGlobal>

#if defined(Q_OS_UNIX)
#include <csignal>
#include <sys/resource.h>

struct FileSizeLimit
{
    rlimit previous{};
    void (*previousHandler)(int) = SIG_DFL;
    bool set = false;

    explicit FileSizeLimit(rlim_t bytes)
    {
        if (getrlimit(RLIMIT_FSIZE, &previous) != 0)
            return;
        // Past the limit write() fails with EFBIG instead of the signal ending the process.
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = previous;
        limit.rlim_cur = bytes;
        set = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        if (set)
            setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
};
#endif
