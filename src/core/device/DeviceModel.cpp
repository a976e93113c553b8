#include "core/device/DeviceModel.h"

#include <cstdlib>
#include <type_traits>

#include "core/protocol/Commands.h"

namespace kx {

namespace {

template <typename Set, typename Visit> decltype(auto) field(Set& s, Param p, Visit&& visit)
{
    switch (p) {
    case Param::PK1:
        return visit(s.PK1);
    case Param::PK2:
        return visit(s.PK2);
    case Param::OFFSET:
        return visit(s.OFFSET);
    case Param::COEF:
        return visit(s.COEF);
    case Param::LED:
        return visit(s.LED);
    case Param::decp:
        return visit(s.decp);
    case Param::Beep:
        return visit(s.Beep);
    case Param::mode:
        return visit(s.mode);
    case Param::D0:
        return visit(s.D0);
    case Param::D1:
        return visit(s.D1);
    case Param::D2:
        return visit(s.D2);
    case Param::a1:
        return visit(s.a1);
    case Param::a2:
        return visit(s.a2);
    case Param::b1:
        return visit(s.b1);
    case Param::b2:
        return visit(s.b2);
    case Param::filter:
        return visit(s.filter);
    case Param::VoltageRange:
        return visit(s.VoltageRange);
    }
    std::abort();
}

} // namespace

bool ParamSet::isReal(Param p)
{
    return commandInfo(p).encoding == Encoding::Real;
}

// A real parameter read as an integer (or the other way round) is a programming error.
template <typename T, typename V> constexpr bool same = std::is_same_v<std::remove_cvref_t<V>, T>;

float ParamSet::real(Param p) const
{
    return field(*this, p, [](const auto& v) -> float {
        if constexpr (same<float, decltype(v)>)
            return v;
        std::abort();
    });
}

void ParamSet::setReal(Param p, float value)
{
    field(*this, p, [value](auto& v) {
        if constexpr (same<float, decltype(v)>)
            v = value;
        else
            std::abort();
    });
}

int32_t ParamSet::integer(Param p) const
{
    return field(*this, p, [](const auto& v) -> int32_t {
        if constexpr (same<int32_t, decltype(v)>)
            return v;
        std::abort();
    });
}

void ParamSet::setInteger(Param p, int32_t value)
{
    field(*this, p, [value](auto& v) {
        if constexpr (same<int32_t, decltype(v)>)
            v = value;
        else
            std::abort();
    });
}

double channelValue(Channel c, float raw, const ParamSet& reported)
{
    switch (c) {
    case Channel::Y:
        return raw;
    case Channel::X1:
        return double(raw) * double(reported.D1) * 0.1;
    case Channel::X2:
        return double(raw) * double(reported.D2) * 0.1;
    }
    std::abort();
}

std::string versionText(int32_t version)
{
    const std::string digits = std::to_string(version);
    return digits.substr(0, 1) + "." + digits.substr(1);
}

} // namespace kx
