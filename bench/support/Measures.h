#pragma once
// The measures every benchmark takes: this thread's CPU time, the wall clock, the process's
// resident memory, and the median and percentiles of a series of timings.

#ifdef _WIN32
#include <windows.h>

#include <psapi.h>
#else
#include <time.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <fstream>
#include <vector>

namespace bench {

// The machine may be shared: time on this thread's CPU leaves out the time others ran.
inline double threadUs()
{
#ifdef _WIN32
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    const auto us = [](FILETIME f) {
        return double((ULONGLONG(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10.0;
    };
    return us(kernel) + us(user);
#else
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
#endif
}

inline double wallUs()
{
    return std::chrono::duration<double, std::micro>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline long residentBytes()
{
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)
               ? long(counters.WorkingSetSize)
               : 0;
#else
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
#endif
}

inline double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    const auto k = std::size_t(double(v.size() - 1) * p);
    std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(k), v.end());
    return v[k];
}

inline double median(const std::vector<double>& v)
{
    return percentile(v, 0.5);
}

} // namespace bench
