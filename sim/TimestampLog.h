#pragma once
// The simulator's log (--verbose): every part writes through one of these, so all lines carry
// seconds from the same start and read in step, "[     1.234] text".

#include <cstdio>
#include <string>
#include <string_view>

#include "sim/SimDevice.h"

namespace kx::sim {

// "[%10.3f] text\n", made without the C library's locale: the point stays a point under a
// locale with a decimal comma.
std::string timestampedLine(SimClock::duration sinceStart, std::string_view text);

class TimestampLog
{
public:
    explicit TimestampLog(std::FILE* out, SimTime start = SimClock::now());

    void write(std::string_view text) const;
    // For SimDevice::setLogger and SimLoop; the log must outlive it.
    SimDevice::Logger logger() const;

private:
    std::FILE* m_out;
    SimTime m_start;
};

} // namespace kx::sim
