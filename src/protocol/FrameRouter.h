#pragma once
// Routes the blocks the serial engine delivers: walks each block frame by frame, checks and
// logs every reply before it is dispatched, and hands whole measurement frames on. Blocks are
// routed one at a time in the order received; a frame cut at the read size is completed from
// the next block. Every piece the walk drops leaves a line in the traffic pane.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "protocol/BlockWalker.h"
#include "protocol/RequestSender.h"

namespace kx {

// Where routed frames go.
class FrameConsumer
{
public:
    virtual ~FrameConsumer() = default;
    // A reply whose checksum holds.
    virtual void replyReceived(const Frame8& reply) = 0;
    // A whole measurement frame.
    virtual void measurementFrameReceived(std::span<const uint8_t> frame) = 0;
};

// The traffic pane's line for a dropped piece: a cut reply as its received-data line.
std::string droppedPieceLine(DroppedPiece piece, std::span<const uint8_t> bytes);

class FrameRouter
{
public:
    explicit FrameRouter(std::size_t readSize) : m_walker(readSize) {}

    void setConsumer(FrameConsumer* consumer) { m_consumer = consumer; }
    // Replies are logged here, valid or not, while the log is shown.
    void setTrafficLog(TrafficLog* log) { m_log = log; }
    void setReadSize(std::size_t readSize) { m_walker.setReadSize(readSize); }

    void route(std::span<const uint8_t> block);
    // The port closed: a frame begun in an earlier block is dropped.
    void reset();

private:
    void logDropped(DroppedPiece piece, std::span<const uint8_t> bytes);

    BlockWalker m_walker;
    FrameConsumer* m_consumer = nullptr;
    TrafficLog* m_log = nullptr;
};

} // namespace kx
