#pragma once
// Every command number the device knows, and what it carries. Later code names commands
// through this table and never repeats a number.

#include <cstdint>
#include <optional>
#include <span>

#include "core/protocol/Param.h"

namespace kx {

namespace Cmd {
constexpr uint8_t Mode = 1;
constexpr uint8_t Decp = 2;
constexpr uint8_t Beep = 3;
constexpr uint8_t Nop5 = 5;
constexpr uint8_t Nop6 = 6;
constexpr uint8_t Measure = 7; // request: Y, X1, X2 wanted; reply: real Y
constexpr uint8_t PK1 = 8;
constexpr uint8_t PK2 = 9;
constexpr uint8_t Nop10 = 10;
constexpr uint8_t Nop11 = 11;
constexpr uint8_t LED = 12;
constexpr uint8_t Offset = 13;
constexpr uint8_t Coef = 14;
constexpr uint8_t D0 = 16;
constexpr uint8_t D1 = 17;
constexpr uint8_t D2 = 18;
constexpr uint8_t A1 = 19;
constexpr uint8_t A2 = 20;
constexpr uint8_t B1 = 21;
constexpr uint8_t B2 = 22;
constexpr uint8_t X1 = 23; // reply: raw channel 1 value
constexpr uint8_t X2 = 24; // reply: raw channel 2 value
constexpr uint8_t Filter = 27;
constexpr uint8_t VoltageRange = 29;
constexpr uint8_t DeviceType = 32;
constexpr uint8_t SoftwareVersion = 34;
constexpr uint8_t HardwareVersion = 35;
constexpr uint8_t RestoreDefaults = 36;
} // namespace Cmd

enum class Encoding : uint8_t
{
    None,     // accepted, carries nothing the program uses
    Byte,     // one unsigned byte in data 0
    Real,     // IEEE 754 single, little-endian
    Flags3,   // three 0/1 bytes (measurement request)
    Identity, // three ASCII characters
};

// How a reply stores its parameter among the reported values, and whether before or after
// what the reply dispatch does for that command itself (a selection, the gauges).
enum class ReplyStore : uint8_t
{
    AsReceived,            // stored as it came; then the command's own effect
    AsReceivedAfterEffect, // the command's own effect first, then stored as it came
    Rounded,               // stored RoundTo3 and shown confirmed in its box; then the effect
};

struct CommandInfo
{
    uint8_t command;
    Encoding encoding;
    std::optional<Param> param;                     // the parameter it reads and writes, if any
    ReplyStore replyStore = ReplyStore::AsReceived; // only for a command with a parameter
};

// Every known command, in ascending order of number.
std::span<const CommandInfo> commandTable();

// The entry for a command number; std::nullopt for a number the device does not know.
std::optional<CommandInfo> findCommand(uint8_t command);

// The entry of the command under which a parameter travels, and its number.
const CommandInfo& commandInfo(Param p);
uint8_t commandOf(Param p);

// The order in which the wizard reads the device.
std::span<const uint8_t> wizardReadOrder();

} // namespace kx
