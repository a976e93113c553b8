#include "core/device/SyncCycle.h"

#include <cmath>

#include "core/protocol/Commands.h"
#include "core/text/NumberFormat.h"
#include "core/text/RoundTo3.h"

namespace kx {

const std::vector<Param>& syncOrder()
{
    static const std::vector<Param> order{
        Param::LED,  Param::PK1,    Param::PK2, Param::decp,   Param::Beep,         Param::mode,
        Param::COEF, Param::OFFSET, Param::D0,  Param::D1,     Param::D2,           Param::a1,
        Param::b1,   Param::a2,     Param::b2,  Param::filter, Param::VoltageRange,
    };
    return order;
}

bool inStep(const ParamSet& set, const ParamSet& stan, Param p)
{
    if (!ParamSet::isReal(p))
        return set.integer(p) == stan.integer(p);
    // A desired value that is not finite (a NaN the device reported and the wizard copied)
    // is nothing to write: written, it would be sent on every tick and hold back every
    // parameter after it.
    if (!std::isfinite(set.real(p)))
        return true;
    // A reported NaN compares unequal to everything.
    return RoundTo3(set.real(p)) == RoundTo3(stan.real(p));
}

std::optional<SyncWrite> nextWrite(const ParamSet& set, const ParamSet& stan)
{
    for (Param p : syncOrder()) {
        if (inStep(set, stan, p))
            continue;
        const Data4 data =
            ParamSet::isReal(p) ? encodeReal(set.real(p)) : encodeByte(set.integer(p));
        return SyncWrite{p, commandOf(p), data};
    }
    return std::nullopt;
}

std::vector<std::string> stateDump(const DeviceModel& m, char sep)
{
    const ParamSet& set = m.Set;
    const ParamSet& stan = m.Stan;
    auto integer = [&](const char* name, Param p) {
        return std::string("Set.") + name + "=" + std::to_string(set.integer(p)) + " , Stan." +
               name + "=" + std::to_string(stan.integer(p));
    };
    auto exact = [&](const char* name, Param p) {
        return std::string("Set.") + name + "=" + formatGeneral(set.real(p), sep) + " , Stan." +
               name + "=" + formatGeneral(stan.real(p), sep);
    };
    auto rounded = [&](const char* name, Param p) {
        return std::string("Set.") + name + "=" + formatRoundedTo3(set.real(p), sep) + " , Stan." +
               name + "=" + formatRoundedTo3(stan.real(p), sep);
    };
    return {
        integer("LED", Param::LED),
        exact("PK1", Param::PK1),
        exact("PK2", Param::PK2),
        integer("decp", Param::decp),
        integer("mode", Param::mode),
        integer("Beep", Param::Beep),
        exact("COEF", Param::COEF),
        exact("OFFSET", Param::OFFSET),
        exact("filter", Param::filter),
        rounded("D0", Param::D0),
        rounded("D1", Param::D1),
        rounded("D2", Param::D2),
        rounded("a1", Param::a1),
        rounded("b1", Param::b1),
        rounded("a2", Param::a2),
        rounded("b2", Param::b2),
        integer("VoltageRange", Param::VoltageRange),
        "Device.GO=" + std::to_string(m.GO ? 1 : 0),
        "Device.zapytanie=" + std::to_string(m.zapytanie ? 1 : 0),
        "Device.bledna_transmisja=" + std::to_string(m.bledna_transmisja),
    };
}

std::optional<std::string> statusText(bool detected, bool go)
{
    if (detected)
        return go ? "praca" : "gotowy do pracy";
    if (!go)
        return "nie wykryto";
    return std::nullopt;
}

} // namespace kx
