#pragma once
// Splits the blocks the serial engine delivers into whole frames. A block is whatever arrived
// in one burst, so it may hold several frames, or end inside one when the read was cut at the
// read size; such a frame is completed from the start of the next block. A block of the read
// size may also have ended by silence, so a next block that begins a frame of its own (F3 F3
// or F4 F4) does not complete a carried measurement frame, nor a carried reply that its bytes
// would give a bad checksum: the carried bytes are dropped and no frame is made of two
// frames' bytes. A block that ended by silence inside a frame loses that partial frame, and
// bytes that begin no frame end the walk of their block.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "core/protocol/Frame.h"

namespace kx {

// What a walk throws away, so that the traffic monitor can show it.
enum class DroppedPiece : uint8_t
{
    PartialReply,       // the start of a reply whose rest never came
    PartialMeasurement, // the start of a measurement frame whose rest never came
    StrayBytes,         // bytes that begin no frame, up to the end of their block
};

class BlockWalker
{
public:
    using FrameHandler = std::function<void(FrameKind kind, std::span<const uint8_t> frame)>;
    using DropHandler = std::function<void(DroppedPiece piece, std::span<const uint8_t> bytes)>;

    explicit BlockWalker(std::size_t readSize = 64) : m_readSize(readSize) {}

    void setReadSize(std::size_t readSize) { m_readSize = readSize; }
    std::size_t readSize() const { return m_readSize; }

    // Calls handler for every complete frame, in order, before returning. The span is valid
    // only during the call.
    void walk(std::span<const uint8_t> block, const FrameHandler& handler);
    // The same, and calls dropped for every piece thrown away, in its place among the
    // frames, so that every byte received comes out once, in a frame or in a piece. A partial
    // frame carried over from an earlier block comes with the bytes it had gathered.
    void walk(std::span<const uint8_t> block, const FrameHandler& handler,
              const DropHandler& dropped);

    // The port closed: a frame begun in an earlier block is dropped.
    void reset() { m_carryLength = 0; }
    // The same, reporting the frame dropped.
    void reset(const DropHandler& dropped);
    bool hasPartialFrame() const { return m_carryLength > 0; }

private:
    void walkBlock(std::span<const uint8_t> block, const FrameHandler& handler,
                   const DropHandler* dropped);
    // Returns how many bytes of block were used to finish the carried frame, or 0 when the
    // carried bytes turned out to begin no frame, or not this one, and were dropped.
    std::size_t completeCarried(std::span<const uint8_t> block, const FrameHandler& handler,
                                const DropHandler* dropped);
    void dropCarried(DroppedPiece piece, std::size_t length, const DropHandler* dropped);
    bool cutAtReadSize(std::span<const uint8_t> block) const { return block.size() >= m_readSize; }

    std::size_t m_readSize;
    std::array<uint8_t, kMaxMeasurementFrameSize> m_carry{};
    std::size_t m_carryLength = 0;
};

} // namespace kx
