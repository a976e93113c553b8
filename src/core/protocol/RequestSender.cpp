#include "core/protocol/RequestSender.h"

#include "core/protocol/Commands.h"

namespace kx {

namespace {

bool sendRequest(const RequestChannel& channel, FrameKind kind, uint8_t command, const Data4& data)
{
    const Frame8 frame = buildFrame(kind, command, data);
    if (!channel.sink || !channel.sink->send(frame.data(), static_cast<int>(frame.size())))
        return false;
    // Measurement requests come many times a second and would drown the traffic pane.
    if (command != Cmd::Measure && channel.log && channel.log->isShown())
        channel.log->appendLine(requestLine(frame));
    return true;
}

} // namespace

bool SendReadCmd(const RequestChannel& channel, uint8_t command, const Data4& data)
{
    return sendRequest(channel, FrameKind::ReadRequest, command, data);
}

bool SendWriteCmd(const RequestChannel& channel, uint8_t command, const Data4& data)
{
    return sendRequest(channel, FrameKind::WriteRequest, command, data);
}

bool logAndCheckReply(TrafficLog* log, const Frame8& reply)
{
    const ReplyCheck check = checkReply(reply);
    const bool shown = log && log->isShown();
    if (shown)
        log->appendLine(check.receivedLine);
    if (!check.valid && shown)
        log->appendLine(kBadCrcLine);
    return check.valid;
}

} // namespace kx
