#pragma once
// A model of the KX350T as the program meets it on the line: bytes in, timed bytes out. It
// knows nothing of terminals, so tests drive it with plain byte buffers and a clock of their
// own.
//
// Behaviour the program cannot tell from a real device, chosen here:
// - Requests are F1 F1 or F2 F2 frames; anything else (replies echoed back, noise) is skipped
//   byte by byte until a header pair starts a frame with a good checksum.
// - A request with a bad checksum, or for a command the device does not know (0, 4, 15, 25,
//   26, 28, 30, 31, 33, 37...255), gets no reply, as a device that never saw it.
// - Commands without a writable value (5, 6, 7, 10, 11, 23, 24, 32, 34, 35) answer a write
//   request as they answer a read; 36 restores the defaults only on a write.
// - Y = COEF * (D0 + X1 + X2) + OFFSET, with X1 = r1 * D1 * 0.1 and X2 = r2 * D2 * 0.1 as the
//   program scales the raw channel values r1, r2 (0...10, like a 0-10 V input). a1, a2, b1,
//   b2, filter and VoltageRange are stored and reported only.
// - In mode 1, PK1 is on while Y > P1 and PK2 while Y > P2; in any other mode both are off.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "core/device/DeviceModel.h"
#include "core/protocol/Frame.h"

namespace kx::sim {

using SimClock = std::chrono::steady_clock;
using SimTime = SimClock::time_point;

constexpr uint32_t kDefaultSeed = 350;
constexpr uint8_t kHardwareVersion = 12;
constexpr uint8_t kSoftwareVersion = 105;
constexpr uint8_t kMaxLED = 9;
constexpr uint8_t kMaxDecp = 6;
// The raw channel waveform: r = 5 + 4.5 sin(2 pi t / period + phase) plus noise.
constexpr double kWavePeriodSeconds = 10.0;
constexpr double kWaveAmplitude = 4.5;
constexpr double kChannel2PhaseLag = 0.6; // radians, so X1 and X2 differ
constexpr double kNoiseSigma = 0.01;      // raw units

struct SimOptions
{
    std::chrono::milliseconds latency{0}; // between a request's arrival and its answer
    // Misbehaviour. Requests left unanswered are still carried out; 0 turns a count off.
    unsigned ignoreFirst = 0;      // the first k valid requests get no answer
    unsigned dropEvery = 0;        // every n-th answer (reply or measurement frame) is not sent
    unsigned badChecksumEvery = 0; // every n-th 8-byte reply that is sent has a wrong checksum
    std::array<char, 3> identity{'K', 'T', '5'};
    bool silent = false; // nothing is ever sent
    uint32_t seed = kDefaultSeed;
};

// One raw sample of the channels, with Y and the outputs it implies.
struct Sample
{
    float y = 0;
    float r1 = 0; // raw channel values, 0...10
    float r2 = 0;
    bool pk1 = false;
    bool pk2 = false;
};

class SimDevice
{
public:
    using ClockFn = std::function<SimTime()>;
    using Logger = std::function<void(const std::string&)>;

    explicit SimDevice(SimOptions options = {}, ClockFn clock = &SimClock::now);

    static ParamSet defaultParams();

    // Bytes from the line, cut anywhere. Complete requests are answered at once, their replies
    // queued for clock() + latency.
    void receive(std::span<const uint8_t> bytes);

    // When the earliest queued reply is due; nullopt while nothing is queued.
    std::optional<SimTime> nextSendTime() const;
    // Removes and returns, in order, the bytes of every reply due at or before now.
    std::vector<uint8_t> takeDue(SimTime now);

    const ParamSet& params() const { return m_params; }
    // Valid requests seen so far, answered or not.
    std::size_t requestCount() const { return m_requestCount; }

    // Called with one line per request and per answer (for --verbose).
    void setLogger(Logger logger) { m_logger = std::move(logger); }

private:
    struct Pending
    {
        SimTime at;
        std::vector<uint8_t> bytes;
    };

    void parse();
    void handleRequest(const Frame8& request);
    std::optional<std::vector<uint8_t>> answer(const Frame8& request);
    std::vector<uint8_t> measurementFrame(const Frame8& request);
    Sample sample();
    void send(std::vector<uint8_t> bytes, bool isReply);
    void log(const std::string& line) const;

    SimOptions m_options;
    ClockFn m_clock;
    SimTime m_start;
    SimTime m_now; // arrival time of the bytes being handled
    std::mt19937 m_random;
    std::normal_distribution<double> m_noise{0.0, kNoiseSigma};
    ParamSet m_params;

    // Never holds more than one frame's worth: bytes that cannot begin a request are dropped.
    std::vector<uint8_t> m_input;
    std::deque<Pending> m_pending;

    std::size_t m_requestCount = 0;
    std::size_t m_answerCount = 0;
    std::size_t m_replySentCount = 0;
    Logger m_logger;
};

} // namespace kx::sim
