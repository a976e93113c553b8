#include "core/protocol/Commands.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace kx {

namespace {

constexpr std::array<CommandInfo, 28> kCommands{{
    {Cmd::Mode, Encoding::Byte, Param::mode},
    {Cmd::Decp, Encoding::Byte, Param::decp},
    {Cmd::Beep, Encoding::Byte, Param::Beep},
    {Cmd::Nop5, Encoding::None, std::nullopt},
    {Cmd::Nop6, Encoding::None, std::nullopt},
    {Cmd::Measure, Encoding::Flags3, std::nullopt},
    {Cmd::PK1, Encoding::Real, Param::PK1},
    {Cmd::PK2, Encoding::Real, Param::PK2},
    {Cmd::Nop10, Encoding::None, std::nullopt},
    {Cmd::Nop11, Encoding::None, std::nullopt},
    {Cmd::LED, Encoding::Byte, Param::LED},
    {Cmd::Offset, Encoding::Real, Param::OFFSET},
    {Cmd::Coef, Encoding::Real, Param::COEF},
    {Cmd::D0, Encoding::Real, Param::D0},
    {Cmd::D1, Encoding::Real, Param::D1},
    {Cmd::D2, Encoding::Real, Param::D2},
    {Cmd::A1, Encoding::Real, Param::a1},
    {Cmd::A2, Encoding::Real, Param::a2},
    {Cmd::B1, Encoding::Real, Param::b1},
    {Cmd::B2, Encoding::Real, Param::b2},
    {Cmd::X1, Encoding::Real, std::nullopt},
    {Cmd::X2, Encoding::Real, std::nullopt},
    {Cmd::Filter, Encoding::Real, Param::filter},
    {Cmd::VoltageRange, Encoding::Byte, Param::VoltageRange},
    {Cmd::DeviceType, Encoding::Identity, std::nullopt},
    {Cmd::SoftwareVersion, Encoding::Byte, std::nullopt},
    {Cmd::HardwareVersion, Encoding::Byte, std::nullopt},
    {Cmd::RestoreDefaults, Encoding::None, std::nullopt},
}};

constexpr std::span<const CommandInfo> known{kCommands};

constexpr std::array<uint8_t, 20> kWizardOrder{Cmd::DeviceType,
                                               Cmd::HardwareVersion,
                                               Cmd::SoftwareVersion,
                                               Cmd::D0,
                                               Cmd::D1,
                                               Cmd::D2,
                                               Cmd::A1,
                                               Cmd::A2,
                                               Cmd::B1,
                                               Cmd::B2,
                                               Cmd::Mode,
                                               Cmd::PK1,
                                               Cmd::PK2,
                                               Cmd::LED,
                                               Cmd::Beep,
                                               Cmd::Decp,
                                               Cmd::Coef,
                                               Cmd::Offset,
                                               Cmd::Filter,
                                               Cmd::VoltageRange};

} // namespace

std::span<const CommandInfo> commandTable()
{
    return known;
}

std::optional<CommandInfo> findCommand(uint8_t command)
{
    const auto it = std::find_if(known.begin(), known.end(),
                                 [command](const CommandInfo& c) { return c.command == command; });
    if (it == known.end())
        return std::nullopt;
    return *it;
}

uint8_t commandOf(Param p)
{
    for (const CommandInfo& c : known)
        if (c.param == p)
            return c.command;
    std::abort(); // every parameter has a command; a new one must be added to the table
}

std::span<const uint8_t> wizardReadOrder()
{
    return kWizardOrder;
}

} // namespace kx
