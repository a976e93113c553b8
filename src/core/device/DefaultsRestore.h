#pragma once
// "Przywróć ustawienia domyślne" and what follows it. The request goes out at once, or at the
// next cycle ticks until the engine takes it. Once the device acknowledges it, every
// parameter is read again, one read per step in the wizard's order, and each desired value
// follows what the device reports, so the tab shows the device's defaults instead of stale
// values shown as confirmed, and a value typed as it was before the restore is sent again.
// The cycle writes nothing from the request until the read-out is done. Only a detected
// device is reset: pressed without one, nothing is sent, then or later (a request left waiting
// would reset the device in the middle of the next connection's read-out).

#include <cstddef>

#include "core/protocol/RequestSender.h"

namespace kx {

struct DeviceModel;

class DefaultsRestore
{
public:
    static constexpr int kAcknowledgeTicks = 8; // cycle ticks (2 s) to wait for the device
    static constexpr int kReadTries = 10;       // read steps for one parameter before it is left

    // The button. Returns whether the request was taken at once.
    bool request(DeviceModel& model, const RequestChannel& requests);
    // The port opened or closed: a restore under way belongs to the connection before.
    void cancel() { m_phase = Phase::Idle; }
    // A cycle tick; true while the restore holds the cycle's writes.
    bool tick(DeviceModel& model, const RequestChannel& requests);
    // A read-out step (every 50 ms while reading()); true when the read-out has just ended
    // and the tab is to be refreshed from the reported values.
    bool readStep(DeviceModel& model, const RequestChannel& requests);
    bool reading() const { return m_phase == Phase::Reading; }
    bool idle() const { return m_phase == Phase::Idle; }

private:
    enum class Phase
    {
        Idle,
        Sending,
        Acknowledging,
        Reading,
    };

    void startReading(DeviceModel& model);

    Phase m_phase = Phase::Idle;
    int m_ticks = 0;
    std::size_t m_next = 0;
    int m_tries = 0;
};

} // namespace kx
