#pragma once
// The simulator at work: bytes from the pseudo-terminal's master go to the device model, its
// answers go back when they fall due, until a stop signal or the hang-up time.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/SimDevice.h"

namespace kx::sim {

// Makes SIGINT, SIGTERM and SIGHUP write their number into a pipe, and ignores SIGPIPE. Returns
// the pipe's read end, for SimLoop's stopFd, or -1 with the reason in error. A signal that
// comes before the loop runs waits in the pipe and ends the loop at once. Later calls return
// the same pipe.
int installStopSignals(std::string& error);

class SimLoop
{
public:
    // Output waiting for a program that does not read is capped; beyond it answers are lost.
    static constexpr std::size_t kMaxUnsent = 64 * 1024;

    // masterFd is non-blocking. A byte readable on stopFd (the signal's number) ends the run;
    // so does hangupAfter, counted from construction. log, when set, gets one line per event.
    SimLoop(int masterFd, SimDevice& device, int stopFd,
            std::optional<std::chrono::milliseconds> hangupAfter, SimDevice::Logger log = {});

    // Returns true when stopped by a signal or the hang-up time, false with the reason in
    // error when poll failed.
    bool run(std::string& error);

private:
    void readMaster();
    void restMaster();
    void queueDue(SimTime now);
    void flush();
    void log(const std::string& line) const;

    int m_master;
    SimDevice& m_device;
    int m_stop;
    std::optional<SimTime> m_hangupAt;
    SimDevice::Logger m_log;
    std::vector<uint8_t> m_unsent;
    std::optional<SimTime> m_masterRestUntil;
};

} // namespace kx::sim
