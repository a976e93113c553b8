// Arbitrary byte blocks through the block walk and the frame decoders. The first byte picks
// the read size, and each block is copied to a buffer of exactly its length so the address
// sanitizer catches a read past it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "protocol/BlockWalker.h"
#include "protocol/Frame.h"
#include "protocol/RequestSender.h"

namespace {

struct NullLog : kx::TrafficLog
{
    bool isShown() const override { return true; }
    void appendLine(const std::string& line) override { total += line.size(); }
    std::size_t total = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::size_t readSize = 1 + data[0] % 64;
    kx::BlockWalker walker(readSize);
    NullLog log;
    std::size_t pos = 1;
    while (pos < size) {
        // Each block: a length byte (blocks never exceed the read size), then the block.
        const std::size_t want = 1 + data[pos++] % readSize;
        const std::size_t length = std::min(want, size - pos);
        if (length == 0)
            break;
        std::unique_ptr<uint8_t[]> block(new uint8_t[length]);
        std::memcpy(block.get(), data + pos, length);
        pos += length;
        if (block[0] == 0xEE)
            walker.reset(); // stands for a port close
        walker.walk({block.get(), length}, [&](kx::FrameKind kind, std::span<const uint8_t> f) {
            if (kind == kx::FrameKind::Reply) {
                if (f.size() != kx::kFrameSize)
                    std::abort();
                kx::Frame8 frame;
                std::memcpy(frame.data(), f.data(), f.size());
                kx::logAndCheckReply(&log, frame);
                (void)kx::replyReal(frame);
            } else if (kind == kx::FrameKind::Measurement) {
                if (!kx::decodeMeasurement(f))
                    std::abort(); // the walk hands over whole frames only
            } else {
                std::abort();
            }
        });
    }
    return 0;
}
