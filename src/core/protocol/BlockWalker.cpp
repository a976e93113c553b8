#include "core/protocol/BlockWalker.h"

#include <algorithm>

namespace kx {

namespace {

bool isFrameHeader(uint8_t first, uint8_t second)
{
    return first == second && (first == static_cast<uint8_t>(FrameKind::Reply) ||
                               first == static_cast<uint8_t>(FrameKind::Measurement));
}

bool canBeginFrame(uint8_t first)
{
    return first == static_cast<uint8_t>(FrameKind::Reply) ||
           first == static_cast<uint8_t>(FrameKind::Measurement);
}

bool beginsFrame(std::span<const uint8_t> block)
{
    return block.size() >= 2 && isFrameHeader(block[0], block[1]);
}

// Length of the frame that begins with these bytes, or 0 while too few are known.
std::size_t frameLength(std::span<const uint8_t> begun)
{
    if (begun.size() < 2)
        return 0;
    if (begun[0] == static_cast<uint8_t>(FrameKind::Reply))
        return kFrameSize;
    return begun.size() < 3 ? 0 : measurementFrameSize(begun[2]);
}

// A frame that never got its end, named by its first byte (which can begin a frame).
DroppedPiece partialFrame(uint8_t first)
{
    return first == static_cast<uint8_t>(FrameKind::Reply) ? DroppedPiece::PartialReply
                                                           : DroppedPiece::PartialMeasurement;
}

Frame8 toFrame8(const std::array<uint8_t, kMaxMeasurementFrameSize>& carry)
{
    Frame8 f;
    std::copy_n(carry.begin(), kFrameSize, f.begin());
    return f;
}

} // namespace

void BlockWalker::dropCarried(DroppedPiece piece, std::size_t length, const DropHandler* dropped)
{
    m_carryLength = 0;
    if (dropped && *dropped && length > 0)
        (*dropped)(piece, {m_carry.data(), length});
}

std::size_t BlockWalker::completeCarried(std::span<const uint8_t> block,
                                         const FrameHandler& handler, const DropHandler* dropped)
{
    const std::size_t carried = m_carryLength;
    const auto carriedKind = static_cast<FrameKind>(m_carry[0]);
    // A measurement frame has no checksum to tell its own bytes from another frame's: a block
    // that begins a frame of its own does not continue it, and the carried bytes were lost.
    if (carriedKind == FrameKind::Measurement && beginsFrame(block)) {
        dropCarried(DroppedPiece::PartialMeasurement, carried, dropped);
        return 0;
    }
    std::size_t used = 0;
    while (used < block.size()) {
        m_carry[m_carryLength++] = block[used++];
        if (m_carryLength == 2 && !isFrameHeader(m_carry[0], m_carry[1])) {
            dropCarried(DroppedPiece::StrayBytes, carried, dropped);
            return 0;
        }
        const std::size_t need = frameLength({m_carry.data(), m_carryLength});
        if (need != 0 && m_carryLength == need) {
            // A block of exactly the read size may also have ended by silence. When the
            // bytes that would finish it fail the reply's checksum and the new block begins
            // a frame of its own, the carried bytes were a lost fragment.
            if (carriedKind == FrameKind::Reply && !checkReply(toFrame8(m_carry)).valid &&
                beginsFrame(block)) {
                dropCarried(DroppedPiece::PartialReply, carried, dropped);
                return 0;
            }
            const std::size_t length = m_carryLength;
            m_carryLength = 0;
            handler(carriedKind, {m_carry.data(), length});
            return used;
        }
    }
    // The whole block went into the carried frame and it is still not complete.
    if (!cutAtReadSize(block))
        dropCarried(partialFrame(m_carry[0]), m_carryLength, dropped);
    return used;
}

void BlockWalker::walkBlock(std::span<const uint8_t> block, const FrameHandler& handler,
                            const DropHandler* dropped)
{
    auto drop = [dropped](DroppedPiece piece, std::span<const uint8_t> bytes) {
        if (dropped && *dropped)
            (*dropped)(piece, bytes);
    };
    std::size_t pos = 0;
    if (m_carryLength > 0) {
        pos = completeCarried(block, handler, dropped);
        if (m_carryLength > 0)
            return;
    }
    while (pos < block.size()) {
        const auto rest = block.subspan(pos);
        if ((rest.size() >= 2 && !isFrameHeader(rest[0], rest[1])) || !canBeginFrame(rest[0])) {
            drop(DroppedPiece::StrayBytes, rest);
            return;
        }
        const std::size_t need = frameLength(rest);
        if (need == 0 || rest.size() < need) {
            // A frame runs past the block's end: keep it only if the read was cut short.
            if (cutAtReadSize(block)) {
                std::copy(rest.begin(), rest.end(), m_carry.begin());
                m_carryLength = rest.size();
            } else {
                drop(partialFrame(rest[0]), rest);
            }
            return;
        }
        handler(static_cast<FrameKind>(rest[0]), rest.first(need));
        pos += need;
    }
}

void BlockWalker::walk(std::span<const uint8_t> block, const FrameHandler& handler)
{
    walkBlock(block, handler, nullptr);
}

void BlockWalker::walk(std::span<const uint8_t> block, const FrameHandler& handler,
                       const DropHandler& dropped)
{
    walkBlock(block, handler, &dropped);
}

void BlockWalker::reset(const DropHandler& dropped)
{
    if (m_carryLength > 0)
        dropCarried(partialFrame(m_carry[0]), m_carryLength, &dropped);
}

} // namespace kx
