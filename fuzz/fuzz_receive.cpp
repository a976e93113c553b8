// The program's whole receive path as the windows drive it, without a window: arbitrary blocks
// through the frame router (block walk, reply check and log), every reply into the reply
// dispatch and the parameter model, every measurement frame into the model as the frame
// handler applies it, with the measurement scheduler stepping on a clock in between and the
// synchronisation cycle deciding its next write. Nothing may crash or read past a block, and
// the model must stay coherent: flags 0 or 1, a transmission fault cleared by a measurement
// answer and by nothing else.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <string>

#include "core/device/DeviceModel.h"
#include "core/device/ReplyDispatch.h"
#include "core/device/SyncCycle.h"
#include "core/measure/Measurement.h"
#include "core/protocol/Commands.h"
#include "core/protocol/FrameRouter.h"

namespace {

struct CountingView : kx::ReplyView
{
    std::size_t calls = 0;
    void showConfirmed(kx::Param, const std::string& text) override { calls += text.size(); }
    void selectMode(int) override { ++calls; }
    void selectVoltageRange(int) override { ++calls; }
    void setGaugeMaximum(kx::Gauge, int maximum) override
    {
        if (maximum < 0)
            std::abort(); // a gauge's maximum is |D| truncated
        ++calls;
    }
    void placeField1Captions(kx::FieldCaptions) override { ++calls; }
    void placeField2Captions(kx::FieldCaptions) override { ++calls; }
    void showResult(kx::Channel, const std::string& text) override { calls += text.size(); }
    void newValues() override { ++calls; }
};

struct CountingLog : kx::TrafficLog
{
    bool shown = true;
    std::size_t total = 0;
    bool isShown() const override { return shown; }
    void appendLine(const std::string& line) override { total += line.size(); }
};

// The program as the link feeds it: replies dispatched, frames applied.
struct Program : kx::FrameConsumer
{
    kx::DeviceModel model;
    CountingView view;
    CountingLog log;
    kx::ReplyDispatcher dispatcher{model, view, &log, ','};
    kx::MeasurementScheduler scheduler{0};
    kx::SamplingSettings sampling{false, 100};
    int64_t now = 0;

    void replyReceived(const kx::Frame8& reply) override
    {
        model.bledna_transmisja = 1;
        dispatcher.dispatch(reply);
        // Only a measurement answer says the lost request was answered after all.
        const uint8_t command = reply[2];
        const bool measurement =
            command == kx::Cmd::Measure || command == kx::Cmd::X1 || command == kx::Cmd::X2;
        if (!model.ReplyReceived || model.bledna_transmisja != (measurement ? 0 : 1))
            std::abort();
    }
    void measurementFrameReceived(std::span<const uint8_t> frame) override
    {
        if (!kx::applyMeasurementFrame(model, frame))
            std::abort(); // the walk hands over whole frames only
        if (model.OutputPK1 > 1 || model.OutputPK2 > 1)
            std::abort();
        (void)kx::barPositions(model, {true, true, true}, 100);
        (void)kx::barPositions(model, {true, false, true}, 100);
        model.zapytanie = false;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const std::size_t readSize = 1 + data[0] % 64;
    Program program;
    program.model.Detected = true;
    program.model.TypeCode = 4;
    program.model.GO = (data[1] & 1) != 0;
    program.sampling.continuous = (data[1] & 2) != 0;
    program.log.shown = (data[1] & 4) != 0;
    kx::FrameRouter router(readSize);
    router.setConsumer(&program);
    router.setTrafficLog(&program.log);

    std::size_t pos = 2;
    while (pos < size) {
        // Each block: a length byte (blocks never exceed the read size), then the block.
        const uint8_t control = data[pos++];
        const std::size_t length = std::min<std::size_t>(1 + control % readSize, size - pos);
        if (length == 0)
            break;
        std::unique_ptr<uint8_t[]> block(new uint8_t[length]);
        std::memcpy(block.get(), data + pos, length);
        pos += length;
        if (block[0] == 0xEE)
            router.reset(); // stands for a port close
        router.route({block.get(), length});
        // Time passes between blocks; the scheduler and the cycle run as the timers would.
        program.now += control / 16;
        (void)program.scheduler.IdleStep(program.now, program.model, program.sampling);
        (void)program.scheduler.hundredthsUntilNextRequest(program.now, program.model,
                                                           program.sampling);
        (void)kx::nextWrite(program.model.Set, program.model.Stan);
        if (program.model.ReplyReceived)
            program.model.ReplyReceived = false;
    }
    (void)kx::stateDump(program.model, ',');
    return 0;
}
