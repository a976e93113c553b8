#pragma once
// Stand-ins for the serial engine's send operation and the monitor's traffic pane.

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/RequestSender.h"

struct RecordingSink : kx::ByteSink
{
    std::vector<std::vector<uint8_t>> sent;
    bool refuse = false; // as the engine does while a write is pending
    bool send(const uint8_t* data, int length) override
    {
        if (refuse)
            return false;
        sent.emplace_back(data, data + length);
        return true;
    }
};

struct FakeLog : kx::TrafficLog
{
    bool shown = true;
    std::vector<std::string> lines;
    bool isShown() const override { return shown; }
    void appendLine(const std::string& line) override { lines.push_back(line); }
};
