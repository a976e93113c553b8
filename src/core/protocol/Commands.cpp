#include "core/protocol/Commands.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace kx {

namespace {

constexpr std::array<CommandInfo, 28> kCommands{{
    {Cmd::Mode, Encoding::Byte, Param::mode, ReplyStore::AsReceived},
    {Cmd::Decp, Encoding::Byte, Param::decp, ReplyStore::AsReceived},
    {Cmd::Beep, Encoding::Byte, Param::Beep, ReplyStore::AsReceived},
    {Cmd::Nop5, Encoding::None, std::nullopt},
    {Cmd::Nop6, Encoding::None, std::nullopt},
    {Cmd::Measure, Encoding::Flags3, std::nullopt},
    {Cmd::PK1, Encoding::Real, Param::PK1, ReplyStore::AsReceived},
    {Cmd::PK2, Encoding::Real, Param::PK2, ReplyStore::AsReceived},
    {Cmd::Nop10, Encoding::None, std::nullopt},
    {Cmd::Nop11, Encoding::None, std::nullopt},
    {Cmd::LED, Encoding::Byte, Param::LED, ReplyStore::AsReceived},
    {Cmd::Offset, Encoding::Real, Param::OFFSET, ReplyStore::Rounded},
    {Cmd::Coef, Encoding::Real, Param::COEF, ReplyStore::Rounded},
    {Cmd::D0, Encoding::Real, Param::D0, ReplyStore::Rounded},
    {Cmd::D1, Encoding::Real, Param::D1, ReplyStore::Rounded},
    {Cmd::D2, Encoding::Real, Param::D2, ReplyStore::Rounded},
    {Cmd::A1, Encoding::Real, Param::a1, ReplyStore::Rounded},
    {Cmd::A2, Encoding::Real, Param::a2, ReplyStore::Rounded},
    {Cmd::B1, Encoding::Real, Param::b1, ReplyStore::Rounded},
    {Cmd::B2, Encoding::Real, Param::b2, ReplyStore::Rounded},
    {Cmd::X1, Encoding::Real, std::nullopt},
    {Cmd::X2, Encoding::Real, std::nullopt},
    {Cmd::Filter, Encoding::Real, Param::filter, ReplyStore::Rounded},
    {Cmd::VoltageRange, Encoding::Byte, Param::VoltageRange, ReplyStore::AsReceivedAfterEffect},
    {Cmd::DeviceType, Encoding::Identity, std::nullopt},
    {Cmd::SoftwareVersion, Encoding::Byte, std::nullopt},
    {Cmd::HardwareVersion, Encoding::Byte, std::nullopt},
    {Cmd::RestoreDefaults, Encoding::None, std::nullopt},
}};

// The table's rules, checked as it compiles: numbers ascending, every parameter under exactly
// one command, a parameter a byte or a real, only a real rounded.
constexpr bool tableHolds()
{
    for (std::size_t i = 1; i < kCommands.size(); ++i)
        if (kCommands[i - 1].command >= kCommands[i].command)
            return false;
    for (std::size_t p = 0; p < kParamCount; ++p) {
        int found = 0;
        for (const CommandInfo& c : kCommands)
            if (c.param && index(*c.param) == p)
                ++found;
        if (found != 1)
            return false;
    }
    for (const CommandInfo& c : kCommands) {
        if (c.param && c.encoding != Encoding::Byte && c.encoding != Encoding::Real)
            return false;
        if (c.replyStore == ReplyStore::Rounded && c.encoding != Encoding::Real)
            return false;
    }
    return true;
}
static_assert(tableHolds());

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

const CommandInfo& commandInfo(Param p)
{
    for (const CommandInfo& c : known)
        if (c.param == p)
            return c;
    std::abort(); // tableHolds() sees to it that every parameter has a command
}

uint8_t commandOf(Param p)
{
    return commandInfo(p).command;
}

std::span<const uint8_t> wizardReadOrder()
{
    return kWizardOrder;
}

} // namespace kx
