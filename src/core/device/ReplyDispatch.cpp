#include "core/device/ReplyDispatch.h"

#include <array>
#include <climits>
#include <cmath>

#include "core/protocol/Commands.h"
#include "core/text/NumberFormat.h"
#include "core/text/RoundTo3.h"

namespace kx {

namespace {

struct Identity
{
    char code[3];
    DeviceType type;
};

constexpr std::array<Identity, 4> kIdentities{{
    {{'K', 'L', '3'}, DeviceType::KX300L},
    {{'R', 'N', '3'}, DeviceType::RV7N},
    {{'K', 'N', '3'}, DeviceType::KX300N},
    {{'K', 'T', '5'}, DeviceType::KX350T},
}};

} // namespace

FieldCaptions field1Captions(float stanD1)
{
    return stanD1 >= 0 ? FieldCaptions::MinLeft : FieldCaptions::MinRight;
}

FieldCaptions field2Captions(float stanD2)
{
    return stanD2 > 0 ? FieldCaptions::MinRight : FieldCaptions::MinLeft;
}

std::optional<int> gaugeMaximum(double v)
{
    if (!std::isfinite(v))
        return std::nullopt;
    const double t = std::trunc(std::fabs(v));
    return t >= double(INT_MAX) ? INT_MAX : static_cast<int>(t);
}

void ReplyDispatcher::store(const CommandInfo& info, const Frame8& reply)
{
    const Param p = *info.param;
    ParamSet& stan = m_model.Stan;
    const bool rounded = info.replyStore == ReplyStore::Rounded;
    if (info.encoding == Encoding::Byte)
        stan.setInteger(p, reply[3]);
    else if (rounded)
        stan.setReal(p, static_cast<float>(RoundTo3(replyReal(reply))));
    else
        stan.setReal(p, replyReal(reply));
    m_model.received(p) = 1;
    if (rounded)
        m_view.showConfirmed(p, formatRoundedTo3(stan.real(p), m_separator));
}

void ReplyDispatcher::updateYGauge()
{
    const ParamSet& s = m_model.Stan;
    if (auto m = gaugeMaximum(double(s.D0) + double(s.D1) + double(s.D2)))
        m_view.setGaugeMaximum(Gauge::Y, *m);
}

void ReplyDispatcher::updateLargeGauges()
{
    const ParamSet& s = m_model.Stan;
    if (auto m = gaugeMaximum(double(s.D1) * 100))
        m_view.setGaugeMaximum(Gauge::RightHalf, *m);
    if (auto m = gaugeMaximum(double(s.D2) * 100))
        m_view.setGaugeMaximum(Gauge::LeftHalf, *m);
}

void ReplyDispatcher::storeMeasured(Channel c, float raw)
{
    // A measurement answer: the request it answers was not lost after all. Other replies say
    // nothing of the measurement requests.
    deviceAnswered(m_model);
    const auto rounded = static_cast<float>(RoundTo3(channelValue(c, raw, m_model.Stan)));
    switch (c) {
    case Channel::Y:
        m_model.CurrentY = rounded;
        break;
    case Channel::X1:
        m_model.CurrentX1 = rounded;
        break;
    case Channel::X2:
        m_model.CurrentX2 = rounded;
        break;
    }
    m_view.showResult(c, formatRoundedTo3(rounded, m_separator));
    m_view.newValues();
    m_model.zapytanie = false;
}

void ReplyDispatcher::dispatch(const Frame8& reply)
{
    m_model.ReplyReceived = true;
    const std::optional<CommandInfo> info = findCommand(reply[2]);
    if (!info || !info->param) {
        applyOwnEffect(reply, info.has_value());
    } else if (info->replyStore == ReplyStore::AsReceivedAfterEffect) {
        applyOwnEffect(reply, true);
        store(*info, reply);
    } else {
        store(*info, reply);
        applyOwnEffect(reply, true);
    }
}

void ReplyDispatcher::applyOwnEffect(const Frame8& reply, bool known)
{
    const uint8_t byte = reply[3];
    const float value = replyReal(reply);
    const ParamSet& stan = m_model.Stan;

    switch (reply[2]) {
    case Cmd::Mode:
        m_view.selectMode(stan.mode);
        break;
    case Cmd::VoltageRange:
        m_view.selectVoltageRange(byte);
        break;
    case Cmd::D0:
        updateYGauge();
        break;
    case Cmd::D1:
        if (auto m = gaugeMaximum(stan.D1))
            m_view.setGaugeMaximum(Gauge::X1, *m);
        updateYGauge();
        updateLargeGauges();
        m_view.placeField1Captions(field1Captions(stan.D1));
        break;
    case Cmd::D2:
        if (auto m = gaugeMaximum(stan.D2))
            m_view.setGaugeMaximum(Gauge::X2, *m);
        updateYGauge();
        updateLargeGauges();
        m_view.placeField2Captions(field2Captions(stan.D2));
        break;
    case Cmd::Measure:
        storeMeasured(Channel::Y, value);
        break;
    case Cmd::X1:
        storeMeasured(Channel::X1, value);
        break;
    case Cmd::X2:
        storeMeasured(Channel::X2, value);
        break;
    case Cmd::DeviceType:
        for (const Identity& id : kIdentities)
            if (reply[3] == uint8_t(id.code[0]) && reply[4] == uint8_t(id.code[1]) &&
                reply[5] == uint8_t(id.code[2]))
                m_model.TypeCode = static_cast<int32_t>(id.type);
        break;
    case Cmd::SoftwareVersion:
        m_model.SoftwareVersion = byte;
        break;
    case Cmd::HardwareVersion:
        m_model.HardwareVersion = byte;
        break;
    case Cmd::RestoreDefaults:
        m_model.DefaultsRestored = true;
        break;
    case Cmd::Nop5:
    case Cmd::Nop6:
    case Cmd::Nop10:
    case Cmd::Nop11:
        break;
    default:
        // A known command here is a parameter that needs nothing beyond its store.
        if (!known && m_log && m_log->isShown())
            m_log->appendLine(kBadCommandLine);
        break;
    }
}

} // namespace kx
