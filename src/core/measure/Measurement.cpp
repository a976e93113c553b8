#include "core/measure/Measurement.h"

#include <algorithm>
#include <cfenv>
#include <climits>
#include <cmath>

#include "core/protocol/Frame.h"
#include "core/text/NumberFormat.h"

namespace kx {

namespace {

// trunc toward zero, held within int for the bar that clamps it anyway.
std::optional<int> truncated(double v)
{
    if (!std::isfinite(v))
        return std::nullopt;
    const double t = std::trunc(v);
    return static_cast<int>(std::clamp(t, double(INT_MIN), double(INT_MAX)));
}

std::optional<int> absolute(std::optional<int> v)
{
    if (!v)
        return v;
    return *v == INT_MIN ? INT_MAX : std::abs(*v);
}

std::string twoDecimals(double v, char decimalSeparator)
{
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(v * 100) / 100;
    std::fesetround(previous);
    return formatGeneral(r, decimalSeparator);
}

} // namespace

int32_t MeasurementScheduler::effectivePeriod(int32_t periodMs)
{
    return std::max(periodMs, kMinSamplingPeriodMs);
}

bool MeasurementScheduler::IdleStep(int64_t now, DeviceModel& model,
                                    const SamplingSettings& sampling)
{
    m_stepHundredths = std::max<int64_t>(0, now - m_previous);
    m_previous = now;
    if (!model.GO || model.TypeCode == 0)
        return false;

    m_timeHundredths += m_stepHundredths;
    const int64_t stepMs = m_stepHundredths * 10;
    if (!sampling.continuous) {
        m_countdownMs -= stepMs;
        if (m_countdownMs > kEarlyMs)
            return false;
        // Reloaded with the whole period: an overshoot is not carried over.
        m_countdownMs = effectivePeriod(sampling.periodMs);
        model.bledna_transmisja = 0;
        return true;
    }
    if (!model.zapytanie) {
        model.zapytanie = true;
        m_replyTimeoutMs = kReplyTimeoutMs;
        return true;
    }
    m_replyTimeoutMs -= stepMs;
    if (m_replyTimeoutMs <= 0) {
        model.zapytanie = false;
        model.bledna_transmisja = 1;
    }
    return false;
}

std::optional<int64_t>
MeasurementScheduler::hundredthsUntilNextRequest(int64_t now, const DeviceModel& model,
                                                 const SamplingSettings& sampling) const
{
    if (!model.GO || model.TypeCode == 0 || sampling.continuous)
        return std::nullopt;
    // The hundredths IdleStep must count from the previous reading before the countdown is
    // down to kEarlyMs.
    const int64_t left = m_countdownMs - kEarlyMs;
    const int64_t steps = left > 0 ? (left + 9) / 10 : 0;
    return std::max<int64_t>(0, m_previous + steps - now);
}

void MeasurementScheduler::start()
{
    m_lastDurationHundredths = m_timeHundredths;
    m_timeHundredths = 0;
    m_countdownMs = 0;
    m_started = true;
}

void MeasurementScheduler::start(int64_t nowHundredths)
{
    start();
    m_previous = nowHundredths;
}

void MeasurementScheduler::stop()
{
    start();
    m_started = false;
}

void MeasurementScheduler::pause(bool going)
{
    if (going)
        m_started = true;
}

void MeasurementScheduler::resetTime()
{
    // A measurement that runs reports its time since the reset; a stopped one keeps its length.
    m_timeHundredths = 0;
}

double MeasurementScheduler::duration() const
{
    return double(m_started ? m_timeHundredths : m_lastDurationHundredths) / 100.0;
}

BarPositions barPositions(const DeviceModel& m, const ActiveValues& active, int leftMaximum)
{
    BarPositions b;
    const double y = m.CurrentY;
    const double x1 = m.CurrentX1;
    const double x2 = m.CurrentX2;
    if (active.y) {
        b.y = truncated(std::fabs(y));
        if (active.x1 && active.x2) {
            b.right = absolute(truncated(x1 * 100));
            if (auto t = absolute(truncated(x2 * 100)))
                b.left = absolute(truncated(double(leftMaximum) - *t));
        } else {
            const double d = y - double(m.Stan.D0);
            if (auto t = truncated(d * 100))
                b.right = truncated(std::fabs(*t * 0.5));
            if (auto whole = absolute(truncated(d)))
                b.left = truncated(std::fabs(double(leftMaximum) - *whole * 100.0 * 0.5));
        }
    }
    if (active.x1)
        b.x1 = truncated(x1);
    if (active.x2)
        b.x2 = truncated(x2);
    return b;
}

bool applyMeasurementFrame(DeviceModel& model, std::span<const uint8_t> frame, bool* hasY,
                           bool* hasX1, bool* hasX2)
{
    const auto m = decodeMeasurement(frame);
    if (!m)
        return false;
    deviceAnswered(model);
    model.OutputPK1 = m->outputPK1;
    model.OutputPK2 = m->outputPK2;
    if (m->hasY)
        model.CurrentY = static_cast<float>(channelValue(Channel::Y, m->y, model.Stan));
    if (m->hasX1)
        model.CurrentX1 = static_cast<float>(channelValue(Channel::X1, m->x1, model.Stan));
    if (m->hasX2)
        model.CurrentX2 = static_cast<float>(channelValue(Channel::X2, m->x2, model.Stan));
    if (hasY)
        *hasY = m->hasY;
    if (hasX1)
        *hasX1 = m->hasX1;
    if (hasX2)
        *hasX2 = m->hasX2;
    return true;
}

std::string rateText(const SamplingSettings& sampling)
{
    if (sampling.continuous)
        return {};
    const double rate = 1000.0 / MeasurementScheduler::effectivePeriod(sampling.periodMs);
    return CommaDecimal(formatFixed(rate, 5, 3));
}

std::string timeText(double seconds, char decimalSeparator)
{
    return twoDecimals(seconds, decimalSeparator);
}

std::optional<std::string> PeriodMeter::frame(double measureTime, char decimalSeparator)
{
    // The time went back (the measurement started again without a restart here): this frame
    // begins a new count rather than closing a period that never was.
    if (measureTime < m_start) {
        restart(measureTime);
        return std::nullopt;
    }
    if (++m_count < 10)
        return std::nullopt;
    const double meanMs = (measureTime - m_start) * 1000 * 0.1;
    restart(measureTime);
    return twoDecimals(meanMs, decimalSeparator);
}

void PeriodMeter::restart(double measureTime)
{
    m_start = measureTime;
    m_count = 0;
}

} // namespace kx
