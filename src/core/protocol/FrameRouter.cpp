#include "core/protocol/FrameRouter.h"

#include <algorithm>
#include <string>

namespace kx {

namespace {

std::string bytesText(std::span<const uint8_t> bytes)
{
    std::string s;
    for (uint8_t b : bytes) {
        if (!s.empty())
            s += ' ';
        s += std::to_string(b);
    }
    return s;
}

// The bytes after the header: the command (or flag byte), a colon, then the rest, in the
// style of the other monitor lines.
std::string cutText(std::span<const uint8_t> piece)
{
    if (piece.size() <= 2)
        return ",CUT OFF";
    return std::to_string(piece[2]) + ":" + (piece.size() > 3 ? " " : "") +
           bytesText(piece.subspan(3)) + " ,CUT OFF";
}

} // namespace

std::string droppedPieceLine(DroppedPiece piece, std::span<const uint8_t> bytes)
{
    switch (piece) {
    case DroppedPiece::PartialReply:
        return "   <<Received Data: " + cutText(bytes);
    case DroppedPiece::PartialMeasurement:
        return "   <<Measurement Frame: " + cutText(bytes);
    case DroppedPiece::StrayBytes:
        break;
    }
    return "   <<Stray Bytes: " + bytesText(bytes);
}

void FrameRouter::route(std::span<const uint8_t> block)
{
    m_walker.walk(
        block,
        [this](FrameKind kind, std::span<const uint8_t> frame) {
            if (kind == FrameKind::Measurement) {
                ++m_counters.measureAnswers;
                if (m_consumer)
                    m_consumer->measurementFrameReceived(frame);
                return;
            }
            Frame8 reply;
            std::copy(frame.begin(), frame.end(), reply.begin());
            if (!logAndCheckReply(m_log, reply))
                ++m_counters.badChecksums;
            else if (m_consumer)
                m_consumer->replyReceived(reply);
        },
        [this](DroppedPiece piece, std::span<const uint8_t> bytes) { dropped(piece, bytes); });
}

void FrameRouter::reset()
{
    m_walker.reset(
        [this](DroppedPiece piece, std::span<const uint8_t> bytes) { dropped(piece, bytes); });
}

void FrameRouter::dropped(DroppedPiece piece, std::span<const uint8_t> bytes)
{
    if (piece == DroppedPiece::StrayBytes)
        ++m_counters.blocksDropped;
    else
        ++m_counters.partialFrames;
    if (m_log && m_log->isShown())
        m_log->appendLine(droppedPieceLine(piece, bytes));
}

} // namespace kx
