#pragma once
// Stand-ins for the serial engine's send operation and the monitor's traffic pane.

#include <cstdint>
#include <string>
#include <vector>

#include "core/device/ReplyDispatch.h"
#include "core/protocol/RequestSender.h"

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

// A window that shows nothing of what the reply dispatch asks it to show.
struct NullView : kx::ReplyView
{
    void showConfirmed(kx::Param, const std::string&) override {}
    void selectMode(int) override {}
    void selectVoltageRange(int) override {}
    void setGaugeMaximum(kx::Gauge, int) override {}
    void placeField1Captions(kx::FieldCaptions) override {}
    void placeField2Captions(kx::FieldCaptions) override {}
    void showResult(kx::Channel, const std::string&) override {}
    void newValues() override {}
};
