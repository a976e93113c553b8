#pragma once
// Splits the blocks the serial engine delivers into whole frames. A block is whatever arrived
// in one burst, so it may hold several frames, or end inside one when the read was cut at the
// read size; such a frame is completed from the start of the next block. A block that ended
// by silence inside a frame loses that partial frame, and bytes that begin no frame end the
// walk of their block.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "protocol/Frame.h"

namespace kx {

class BlockWalker
{
public:
    using FrameHandler = std::function<void(FrameKind kind, std::span<const uint8_t> frame)>;

    explicit BlockWalker(std::size_t readSize = 64) : m_readSize(readSize) {}

    void setReadSize(std::size_t readSize) { m_readSize = readSize; }
    std::size_t readSize() const { return m_readSize; }

    // Calls handler for every complete frame, in order, before returning. The span is valid
    // only during the call.
    void walk(std::span<const uint8_t> block, const FrameHandler& handler);

    // The port closed: a frame begun in an earlier block is dropped.
    void reset() { m_carryLength = 0; }
    bool hasPartialFrame() const { return m_carryLength > 0; }

private:
    // Returns how many bytes of block were used to finish the carried frame, or 0 when the
    // carried bytes turned out to begin no frame and were dropped.
    std::size_t completeCarried(std::span<const uint8_t> block, const FrameHandler& handler);
    bool cutAtReadSize(std::span<const uint8_t> block) const { return block.size() >= m_readSize; }

    std::size_t m_readSize;
    std::array<uint8_t, kMaxMeasurementFrameSize> m_carry{};
    std::size_t m_carryLength = 0;
};

} // namespace kx
