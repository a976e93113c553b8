#include "core/device/ReplyDispatch.h"

#include <array>
#include <climits>
#include <cmath>

#include "core/text/NumberFormat.h"
#include "core/text/RoundTo3.h"
#include "core/protocol/Commands.h"

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

std::string ReplyDispatcher::text(double value) const
{
    return formatGeneral(RoundTo3(value), m_separator);
}

void ReplyDispatcher::storeRounded(Param p, float value)
{
    m_model.Stan.setReal(p, static_cast<float>(RoundTo3(value)));
    m_model.received(p) = 1;
    m_view.showConfirmed(p, text(m_model.Stan.real(p)));
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

void ReplyDispatcher::storeMeasured(Channel c, double value)
{
    const auto rounded = static_cast<float>(RoundTo3(value));
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
    m_view.showResult(c, text(rounded));
    m_view.newValues();
    m_model.zapytanie = false;
}

void ReplyDispatcher::dispatch(const Frame8& reply)
{
    m_model.ReplyReceived = true;
    deviceAnswered(m_model);
    const uint8_t byte = reply[3];
    const float value = replyReal(reply);
    ParamSet& stan = m_model.Stan;

    switch (reply[2]) {
    case Cmd::Mode:
        stan.mode = byte;
        m_model.received(Param::mode) = 1;
        m_view.selectMode(stan.mode);
        break;
    case Cmd::Decp:
        stan.decp = byte;
        m_model.received(Param::decp) = 1;
        break;
    case Cmd::Beep:
        stan.Beep = byte;
        m_model.received(Param::Beep) = 1;
        break;
    case Cmd::LED:
        stan.LED = byte;
        m_model.received(Param::LED) = 1;
        break;
    case Cmd::PK1:
        stan.PK1 = value;
        m_model.received(Param::PK1) = 1;
        break;
    case Cmd::PK2:
        stan.PK2 = value;
        m_model.received(Param::PK2) = 1;
        break;
    case Cmd::Offset:
        storeRounded(Param::OFFSET, value);
        break;
    case Cmd::Coef:
        storeRounded(Param::COEF, value);
        break;
    case Cmd::Filter:
        storeRounded(Param::filter, value);
        break;
    case Cmd::D0:
        storeRounded(Param::D0, value);
        updateYGauge();
        break;
    case Cmd::D1:
        storeRounded(Param::D1, value);
        if (auto m = gaugeMaximum(stan.D1))
            m_view.setGaugeMaximum(Gauge::X1, *m);
        updateYGauge();
        updateLargeGauges();
        m_view.placeField1Captions(field1Captions(stan.D1));
        break;
    case Cmd::D2:
        storeRounded(Param::D2, value);
        if (auto m = gaugeMaximum(stan.D2))
            m_view.setGaugeMaximum(Gauge::X2, *m);
        updateYGauge();
        updateLargeGauges();
        m_view.placeField2Captions(field2Captions(stan.D2));
        break;
    case Cmd::A1:
        storeRounded(Param::a1, value);
        break;
    case Cmd::A2:
        storeRounded(Param::a2, value);
        break;
    case Cmd::B1:
        storeRounded(Param::b1, value);
        break;
    case Cmd::B2:
        storeRounded(Param::b2, value);
        break;
    case Cmd::VoltageRange:
        m_view.selectVoltageRange(byte);
        stan.VoltageRange = byte;
        m_model.received(Param::VoltageRange) = 1;
        break;
    case Cmd::Measure:
        storeMeasured(Channel::Y, value);
        break;
    case Cmd::X1:
        storeMeasured(Channel::X1, double(value) * double(stan.D1) * 0.1);
        break;
    case Cmd::X2:
        storeMeasured(Channel::X2, double(value) * double(stan.D2) * 0.1);
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
        if (m_log && m_log->isShown())
            m_log->appendLine(kBadCommandLine);
        break;
    }
}

} // namespace kx
