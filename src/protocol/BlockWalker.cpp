#include "protocol/BlockWalker.h"

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

// Length of the frame that begins with these bytes, or 0 while too few are known.
std::size_t frameLength(std::span<const uint8_t> begun)
{
    if (begun.size() < 2)
        return 0;
    if (begun[0] == static_cast<uint8_t>(FrameKind::Reply))
        return kFrameSize;
    return begun.size() < 3 ? 0 : measurementFrameSize(begun[2]);
}

Frame8 toFrame8(const std::array<uint8_t, kMaxMeasurementFrameSize>& carry)
{
    Frame8 f;
    std::copy_n(carry.begin(), kFrameSize, f.begin());
    return f;
}

} // namespace

std::size_t BlockWalker::completeCarried(std::span<const uint8_t> block,
                                         const FrameHandler& handler)
{
    std::size_t used = 0;
    while (used < block.size()) {
        m_carry[m_carryLength++] = block[used++];
        if (m_carryLength == 2 && !isFrameHeader(m_carry[0], m_carry[1])) {
            m_carryLength = 0;
            return 0;
        }
        const std::size_t need = frameLength({m_carry.data(), m_carryLength});
        if (need != 0 && m_carryLength == need) {
            const auto kind = static_cast<FrameKind>(m_carry[0]);
            // A block of exactly the read size may also have ended by silence. When the
            // bytes that would finish it fail the reply's checksum and the new block begins
            // a frame of its own, the carried bytes were a lost fragment.
            if (kind == FrameKind::Reply && !checkReply(toFrame8(m_carry)).valid &&
                block.size() >= 2 && isFrameHeader(block[0], block[1])) {
                m_carryLength = 0;
                return 0;
            }
            const std::size_t length = m_carryLength;
            m_carryLength = 0;
            handler(kind, {m_carry.data(), length});
            return used;
        }
    }
    // The whole block went into the carried frame and it is still not complete.
    if (!cutAtReadSize(block))
        m_carryLength = 0;
    return used;
}

void BlockWalker::walk(std::span<const uint8_t> block, const FrameHandler& handler)
{
    std::size_t pos = 0;
    if (m_carryLength > 0) {
        pos = completeCarried(block, handler);
        if (m_carryLength > 0)
            return;
    }
    while (pos < block.size()) {
        const auto rest = block.subspan(pos);
        if (rest.size() >= 2 && !isFrameHeader(rest[0], rest[1]))
            return;
        if (rest.size() == 1 && !canBeginFrame(rest[0]))
            return;
        const std::size_t need = frameLength(rest);
        if (need == 0 || rest.size() < need) {
            // A frame runs past the block's end: keep it only if the read was cut short.
            if (cutAtReadSize(block)) {
                std::copy(rest.begin(), rest.end(), m_carry.begin());
                m_carryLength = rest.size();
            }
            return;
        }
        handler(static_cast<FrameKind>(rest[0]), rest.first(need));
        pos += need;
    }
}

} // namespace kx
