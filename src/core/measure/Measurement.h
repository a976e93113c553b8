#pragma once
// Running a measurement: when to ask for the next sample, the elapsed measurement time, and
// what the displays make of a sample. The clock and the displays belong to the caller.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "core/device/DeviceModel.h"

namespace kx {

// Which values the operator asked for ("Aktywny").
struct ActiveValues
{
    bool y = false;
    bool x1 = false;
    bool x2 = false;
};

// The range of "próbkowanie co:", in ms. A period below the least counts as the least, so
// nothing divides by zero and timed sampling never asks at every idle step.
constexpr int32_t kMinSamplingPeriodMs = 10;
constexpr int32_t kMaxSamplingPeriodMs = 10000000;

struct SamplingSettings
{
    bool continuous = false; // "Próbkowanie ciągłe:"
    int32_t periodMs = 0;    // "próbkowanie co:"; below 10 counts as 10
};

// Time is counted in whole hundredths of a second from a monotonic clock, so steps add up
// without drift and whole seconds between two idle steps are not lost.
class MeasurementScheduler
{
public:
    static constexpr int64_t kReplyTimeoutMs = 150;
    // A timed request goes out once its countdown is down to this.
    static constexpr int64_t kEarlyMs = 5;

    // The clock reading (hundredths of a second since any fixed point) at construction.
    explicit MeasurementScheduler(int64_t nowHundredths = 0) : m_previous(nowHundredths) {}

    // One idle step. Returns true when a measurement request is to be sent now.
    bool IdleStep(int64_t nowHundredths, DeviceModel& model, const SamplingSettings& sampling);

    void start(); // START: time and countdown from zero
    // START at the clock reading now: the first step counts from now, not from the last idle
    // step, which a busy UI thread may have left long before.
    void start(int64_t nowHundredths);
    void stop(); // STOP: likewise; GO is the caller's
    // PAUSE, going on (true) or standing: from stopped it begins a measurement that counts as
    // one begun by START, its time running on from where STOP left it.
    void pause(bool going);
    // The chart tab's reset ("Nagrywaj wykres", "stop"): the time only; the request
    // countdown runs on.
    void resetTime();
    // The duration of the last measurement, as a saved register reports it: MeasureTime from
    // START (or PAUSE from stopped) until STOP, running or paused; after STOP the length the
    // measurement had, whatever the chart tab resets meanwhile.
    double duration() const;

    // How long, from the clock reading now, until an idle step sends the next timed
    // request: 0 when it is due already, nothing when none is waiting (GO clear, no device
    // type, continuous sampling). Arm a single-shot timer for that many hundredths (× 10 ms)
    // and run an idle step when it fires, so requests leave on time between other events.
    std::optional<int64_t> hundredthsUntilNextRequest(int64_t nowHundredths,
                                                      const DeviceModel& model,
                                                      const SamplingSettings& sampling) const;

    double MeasureTime() const { return double(m_timeHundredths) / 100.0; }
    double ClockStep() const { return double(m_stepHundredths) / 100.0; }
    bool hasStepped() const { return m_stepHundredths != 0; }

    static int32_t effectivePeriod(int32_t periodMs);

private:
    int64_t m_previous;
    int64_t m_stepHundredths = 0;
    int64_t m_timeHundredths = 0;
    int64_t m_countdownMs = 0;
    int64_t m_replyTimeoutMs = 0;
    int64_t m_lastDurationHundredths = 0;
    bool m_started = false;
};

// Bar positions for one set of values; an empty position leaves its bar as it is.
struct BarPositions
{
    std::optional<int> y;
    std::optional<int> right; // right half-bar
    std::optional<int> left;  // left half-bar
    std::optional<int> x1;
    std::optional<int> x2;
};
BarPositions barPositions(const DeviceModel& model, const ActiveValues& active, int leftMaximum);

// A measurement frame's effect on the model: outputs first, then the present values, each
// through channelValue (X1 and X2 scaled by the reported widths); the device has answered, so
// the transmission fault clears. Returns false, changing nothing, for a frame shorter than its
// flags announce.
bool applyMeasurementFrame(DeviceModel& model, std::span<const uint8_t> frame, bool* hasY = nullptr,
                           bool* hasX1 = nullptr, bool* hasX2 = nullptr);

// "%3.5f" samples per second, with a decimal comma; empty in continuous sampling.
std::string rateText(const SamplingSettings& sampling);
// Seconds rounded to two decimals, halves to even, shortest form, with the locale's decimal
// separator.
std::string timeText(double seconds, char decimalSeparator);

// The continuous-sampling period meter: after every tenth frame, their mean period in ms,
// rounded to two decimals with the locale's decimal separator.
class PeriodMeter
{
public:
    std::optional<std::string> frame(double measureTime, char decimalSeparator);
    // Counts again from measureTime: at START and STOP (the time starts again from 0) and
    // when continuous sampling is switched on (the frames before belong to no period).
    void restart(double measureTime);

private:
    int m_count = 0;
    double m_start = 0;
};

} // namespace kx
