#include "core/protocol/Frame.h"

#include <bit>
#include <cstring>

namespace kx {

uint8_t checksum(uint8_t command, const Data4& data)
{
    unsigned sum = command;
    for (uint8_t b : data)
        sum += b;
    return static_cast<uint8_t>(sum & 0xFF);
}

Frame8 buildFrame(FrameKind kind, uint8_t command, const Data4& data)
{
    const auto header = static_cast<uint8_t>(kind);
    return {header, header, command, data[0], data[1], data[2], data[3], checksum(command, data)};
}

Data4 encodeReal(float value)
{
    const auto bits = std::bit_cast<uint32_t>(value);
    return {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
            static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
}

float decodeReal(const uint8_t* b)
{
    const uint32_t bits =
        uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return std::bit_cast<float>(bits);
}

Data4 encodeByte(int32_t value)
{
    return {static_cast<uint8_t>(value & 0xFF), 0, 0, 0};
}

namespace {

std::string dataText(const Frame8& f)
{
    std::string s = std::to_string(f[2]);
    s += ':';
    for (int i = 3; i <= 6; ++i) {
        s += ' ';
        s += std::to_string(f[i]);
    }
    return s;
}

} // namespace

std::string requestLine(const Frame8& frame)
{
    const char* prefix = frame[0] == static_cast<uint8_t>(FrameKind::WriteRequest)
                             ? ">sending write cmd: "
                             : ">sending read cmd: ";
    return prefix + dataText(frame) + " ,CRC=" + std::to_string(frame[7]);
}

ReplyCheck checkReply(const Frame8& reply)
{
    const uint8_t computed = checksum(reply[2], {reply[3], reply[4], reply[5], reply[6]});
    ReplyCheck r;
    r.receivedLine = "   <<Received Data: " + dataText(reply) +
                     " ,CRC=" + std::to_string(reply[7]) + "<->" + std::to_string(computed);
    r.valid = computed == reply[7];
    return r;
}

float replyReal(const Frame8& reply)
{
    return decodeReal(reply.data() + 3);
}

std::size_t measurementFrameSize(uint8_t flags)
{
    return 3 + 4 * static_cast<std::size_t>(std::popcount(static_cast<unsigned>(flags & 0x07)));
}

std::optional<MeasurementFrameValues> decodeMeasurement(std::span<const uint8_t> frame)
{
    if (frame.size() < 3 || frame.size() < measurementFrameSize(frame[2]))
        return std::nullopt;
    const uint8_t flags = frame[2];
    MeasurementFrameValues m;
    m.outputPK1 = (flags >> 3) & 1;
    m.outputPK2 = (flags >> 4) & 1;
    std::size_t at = 3;
    auto next = [&] {
        const float v = decodeReal(frame.data() + at);
        at += 4;
        return v;
    };
    if ((m.hasY = flags & 0x01))
        m.y = next();
    if ((m.hasX1 = flags & 0x02))
        m.x1 = next();
    if ((m.hasX2 = flags & 0x04))
        m.x2 = next();
    return m;
}

} // namespace kx
