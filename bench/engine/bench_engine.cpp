// How fast a device reply reaches the handler, and what the reader thread costs while idle.
//
// A pseudo-terminal plays the device: 8-byte frames, 60 ms apart, read size 64 as the program
// uses. Latency runs from the call that writes the frame (its last byte included) to the start
// of its DataReceived handler, so it holds the 25 ms silence that ends a read.
// Idle cost is the reader thread's own CPU clock over 3 s with the port open and no traffic.

#include "PtyPair.h"
#include "serial/SerialEngine.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <pthread.h>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kFrames = 500;
constexpr auto kFrameGap = 60ms;
constexpr auto kIdleTime = 3s;

struct Shared
{
    std::mutex mutex;
    std::condition_variable changed;
    bool opened = false;
    clockid_t readerClock{};
    int blocks = 0;
    Clock::time_point lastBlockAt;
    uint32_t lastBlockSize = 0;
};

double msOf(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double cpuMs(clockid_t clock)
{
    timespec ts{};
    if (clock_gettime(clock, &ts) != 0) {
        std::perror("reader thread's CPU clock");
        std::exit(1);
    }
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

} // namespace

int main()
{
    kx::test::PtyPair pty;
    if (!pty.valid()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }

    Shared shared;
    kx::SerialEngine engine;
    engine.set_event_handler([&shared](kx::SerialEngine& e, kx::SerialEvent ev) {
        const auto now = Clock::now();
        if (ev == kx::PortOpened) {
            std::lock_guard lock(shared.mutex);
            pthread_getcpuclockid(pthread_self(), &shared.readerClock);
            shared.opened = true;
        } else if (ev == kx::DataReceived) {
            std::lock_guard lock(shared.mutex);
            ++shared.blocks;
            shared.lastBlockAt = now;
            shared.lastBlockSize = e.received_count();
        } else {
            return;
        }
        shared.changed.notify_all();
        if (ev == kx::DataReceived)
            e.request_next_read();
    });
    engine.set_read_size(64);
    if (const int result = engine.open_port(pty.slavePath(), 57600, 0, 8, false); result != 0) {
        std::fprintf(stderr, "open_port gave %d\n", result);
        return 1;
    }
    clockid_t readerClock{};
    {
        std::unique_lock lock(shared.mutex);
        if (!shared.changed.wait_for(lock, 2s, [&] { return shared.opened; })) {
            std::fprintf(stderr, "no PortOpened\n");
            return 1;
        }
        readerClock = shared.readerClock;
    }

    std::vector<double> latencies;
    int lost = 0;
    int wrongSize = 0;
    const uint8_t frame[8] = {0xF3, 0xF3, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
    for (int i = 0; i < kFrames; ++i) {
        // Taken before the write: a preempted caller must not shorten the figure.
        const auto written = Clock::now();
        pty.write(frame, sizeof frame);
        {
            std::unique_lock lock(shared.mutex);
            const int want = i + 1 - lost;
            if (shared.changed.wait_for(lock, 1s, [&] { return shared.blocks >= want; })) {
                latencies.push_back(msOf(shared.lastBlockAt - written));
                wrongSize += shared.lastBlockSize != sizeof frame;
            } else {
                ++lost;
            }
        }
        std::this_thread::sleep_until(written + kFrameGap);
    }

    std::this_thread::sleep_for(100ms);
    const double cpuBefore = cpuMs(readerClock);
    const auto wallBefore = Clock::now();
    std::this_thread::sleep_for(kIdleTime);
    const double cpuAfter = cpuMs(readerClock);
    const double seconds = msOf(Clock::now() - wallBefore) / 1e3;
    engine.close_port();

    if (latencies.empty()) {
        std::fprintf(stderr, "no frame arrived\n");
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    const std::size_t n = latencies.size();
    const double median = n % 2 ? latencies[n / 2] : (latencies[n / 2 - 1] + latencies[n / 2]) / 2;
    const std::size_t rank99 = (n * 99 + 99) / 100; // nearest rank, 1-based
    const double p99 = latencies[std::min(n, rank99) - 1];
    const double idle = (cpuAfter - cpuBefore) / seconds;

    std::printf("frames=%d received=%zu lost=%d wrong_size=%d min_ms=%.3f max_ms=%.3f\n", kFrames,
                n, lost, wrongSize, latencies.front(), latencies.back());
    std::printf("idle_window_s=%.3f idle_reader_cpu_ms=%.4f reader_cpu_before_idle_ms=%.3f\n",
                seconds, cpuAfter - cpuBefore, cpuBefore);
    std::printf("latency_median_ms=%.3f latency_p99_ms=%.3f idle_cpu_ms_per_s=%.4f\n", median, p99,
                idle);
    return lost == 0 && wrongSize == 0 ? 0 : 1;
}
