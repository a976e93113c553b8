#pragma once
// Building and sending the program's requests. Nothing waits for an answer: replies come back
// through the receive path.

#include <cstdint>
#include <string>

#include "core/protocol/Frame.h"

namespace kx {

// Where request bytes go: the serial engine's send operation.
class ByteSink
{
public:
    virtual ~ByteSink() = default;
    // True when the bytes were taken; the engine refuses them while a write is pending or the
    // port is closed.
    virtual bool send(const uint8_t* data, int length) = 0;
};

// The traffic pane of the monitor window; lines are written only while it is shown.
class TrafficLog
{
public:
    virtual ~TrafficLog() = default;
    virtual bool isShown() const = 0;
    virtual void appendLine(const std::string& line) = 0;
};

struct RequestChannel
{
    ByteSink* sink = nullptr;
    TrafficLog* log = nullptr; // may be null: nothing is logged
};

// Each returns whether the request was taken; only a request taken is logged as sent.
bool SendReadCmd(const RequestChannel& channel, uint8_t command, const Data4& data = {});
bool SendWriteCmd(const RequestChannel& channel, uint8_t command, const Data4& data);

// Writes the line of a valid or invalid reply, and "BAD CRC" after an invalid one.
// Returns whether the reply may be dispatched.
bool logAndCheckReply(TrafficLog* log, const Frame8& reply);

} // namespace kx
