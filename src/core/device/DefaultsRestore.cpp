#include "core/device/DefaultsRestore.h"

#include <vector>

#include "core/device/DeviceModel.h"
#include "core/protocol/Commands.h"

namespace kx {

namespace {

// The parameters in the order the wizard reads them.
const std::vector<Param>& readOrder()
{
    static const std::vector<Param> order = [] {
        std::vector<Param> params;
        for (uint8_t command : wizardReadOrder())
            if (const auto info = findCommand(command); info && info->param)
                params.push_back(*info->param);
        return params;
    }();
    return order;
}

void follow(DeviceModel& model, Param p)
{
    if (ParamSet::isReal(p))
        model.Set.setReal(p, model.Stan.real(p));
    else
        model.Set.setInteger(p, model.Stan.integer(p));
}

} // namespace

bool DefaultsRestore::request(DeviceModel& model, const RequestChannel& requests)
{
    model.DefaultsRestored = false;
    m_ticks = 0;
    if (!model.Detected) {
        m_phase = Phase::Idle;
        return false;
    }
    const bool taken = SendWriteCmd(requests, Cmd::RestoreDefaults, {0, 0, 0, 0});
    m_phase = taken ? Phase::Acknowledging : Phase::Sending;
    return taken;
}

bool DefaultsRestore::tick(DeviceModel& model, const RequestChannel& requests)
{
    switch (m_phase) {
    case Phase::Idle:
        return false;
    case Phase::Sending:
        if (!model.Detected) {
            m_phase = Phase::Idle;
            return false;
        }
        if (SendWriteCmd(requests, Cmd::RestoreDefaults, {0, 0, 0, 0}))
            m_phase = Phase::Acknowledging;
        return true;
    case Phase::Acknowledging:
        if (model.DefaultsRestored) {
            // Without a device the wizard reads everything when it connects.
            if (model.Detected)
                startReading(model);
            else
                m_phase = Phase::Idle;
            return !idle();
        }
        if (++m_ticks > kAcknowledgeTicks) {
            m_phase = Phase::Idle; // no answer: the cycle carries on as before
            return false;
        }
        return true;
    case Phase::Reading:
        return true;
    }
    return false;
}

void DefaultsRestore::startReading(DeviceModel& model)
{
    for (Param p : readOrder())
        model.received(p) = 0;
    m_next = 0;
    m_tries = 0;
    m_phase = Phase::Reading;
}

bool DefaultsRestore::readStep(DeviceModel& model, const RequestChannel& requests)
{
    if (m_phase != Phase::Reading)
        return false;
    if (!model.Detected) {
        m_phase = Phase::Idle;
        return false;
    }
    const std::vector<Param>& order = readOrder();
    // A parameter the device does not answer for is left as reported before, rather than
    // holding back the rest.
    while (m_next < order.size() && (model.received(order[m_next]) || m_tries >= kReadTries)) {
        follow(model, order[m_next]);
        ++m_next;
        m_tries = 0;
    }
    if (m_next == order.size()) {
        m_phase = Phase::Idle;
        return true;
    }
    ++m_tries;
    SendReadCmd(requests, commandOf(order[m_next]));
    return false;
}

} // namespace kx
