#pragma once
// Byte layout of the device's frames: 8-byte requests and replies with an 8-bit sum over the
// command and the four data bytes, and the variable-length measurement frame.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kx {

enum class FrameKind : uint8_t
{
    ReadRequest = 0xF1,
    WriteRequest = 0xF2,
    Reply = 0xF3,
    Measurement = 0xF4,
};

constexpr std::size_t kFrameSize = 8;
// Largest measurement frame: header, flags and three values.
constexpr std::size_t kMaxMeasurementFrameSize = 3 + 3 * 4;

using Data4 = std::array<uint8_t, 4>;
using Frame8 = std::array<uint8_t, kFrameSize>;

uint8_t checksum(uint8_t command, const Data4& data);

Frame8 buildFrame(FrameKind kind, uint8_t command, const Data4& data);

// Real values travel as little-endian IEEE 754 singles.
Data4 encodeReal(float value);
float decodeReal(const uint8_t* fourBytes);
// Small integers travel as the low byte in data 0.
Data4 encodeByte(int32_t value);

// Request line of the traffic monitor: ">sending read cmd: 16: 0 0 0 0 ,CRC=16".
std::string requestLine(const Frame8& frame);

// Reply as the dispatch sees it. The monitor line is produced for every reply, before the
// checksum is judged.
struct ReplyCheck
{
    bool valid = false;
    std::string receivedLine; // "   <<Received Data: 12: 5 0 0 0 ,CRC=17<->17"
};
ReplyCheck checkReply(const Frame8& reply);

inline const char* const kBadCrcLine = "  <<BAD CRC :(";
inline const char* const kBadCommandLine = "  <<BAD COMMAND :(";

float replyReal(const Frame8& reply);

// What one measurement frame carries, decoded. Values absent from the frame are left at zero
// and flagged absent; the outputs are always carried by the flag byte.
struct MeasurementFrameValues
{
    bool hasY = false;
    bool hasX1 = false;
    bool hasX2 = false;
    float y = 0;
    float x1 = 0;
    float x2 = 0;
    uint8_t outputPK1 = 0;
    uint8_t outputPK2 = 0;
};

// Length a measurement frame with this flag byte occupies.
std::size_t measurementFrameSize(uint8_t flags);

// Decodes a whole measurement frame; std::nullopt when the bytes are fewer than the flag byte
// announces (nothing is read past the span).
std::optional<MeasurementFrameValues> decodeMeasurement(std::span<const uint8_t> frame);

} // namespace kx
