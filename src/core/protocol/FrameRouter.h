#pragma once
// Routes the blocks the serial engine delivers: walks each block frame by frame, checks and
// logs every reply before it is dispatched, and hands whole measurement frames on. Blocks are
// routed one at a time in the order received; a frame cut at the read size is completed from
// the next block. Every piece the walk drops leaves a line in the traffic pane.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "core/protocol/BlockWalker.h"
#include "core/protocol/RequestSender.h"

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

// What the line lost since the port was opened, for the operator to read in the monitor.
struct LinkCounters
{
    std::uint64_t badChecksums = 0;    // replies whose checksum failed
    std::uint64_t blocksDropped = 0;   // bytes that began no frame, up to their block's end
    std::uint64_t partialFrames = 0;   // frames cut off, dropped
    std::uint64_t measureRequests = 0; // measurement requests the engine took
    std::uint64_t measureAnswers = 0;  // measurement frames received

    // Requests still without an answer; one that is on its way counts until it arrives.
    std::uint64_t unanswered() const
    {
        return measureRequests > measureAnswers ? measureRequests - measureAnswers : 0;
    }
};

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

    // Counted by the routing; the requests are the sender's to count.
    LinkCounters& counters() { return m_counters; }
    const LinkCounters& counters() const { return m_counters; }

private:
    void dropped(DroppedPiece piece, std::span<const uint8_t> bytes);

    BlockWalker m_walker;
    FrameConsumer* m_consumer = nullptr;
    TrafficLog* m_log = nullptr;
    LinkCounters m_counters;
};

} // namespace kx
