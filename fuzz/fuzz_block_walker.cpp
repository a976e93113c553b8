// Arbitrary byte blocks through the block walk and the frame decoders. The first byte picks
// the read size, and each block is copied to a buffer of exactly its length so the address
// sanitizer catches a read past it. Every byte walked must come out once, in order, in a
// frame or in a dropped piece.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "core/protocol/BlockWalker.h"
#include "core/protocol/Frame.h"
#include "core/protocol/RequestSender.h"

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
    std::vector<uint8_t> walked;
    std::vector<uint8_t> out;
    const auto dropped = [&](kx::DroppedPiece piece, std::span<const uint8_t> bytes) {
        if (bytes.empty() || bytes.size() > 64 + kx::kMaxMeasurementFrameSize)
            std::abort();
        if (piece != kx::DroppedPiece::StrayBytes && bytes[0] != 0xF3 && bytes[0] != 0xF4)
            std::abort();
        out.insert(out.end(), bytes.begin(), bytes.end());
    };
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
            walker.reset(dropped); // stands for a port close
        walked.insert(walked.end(), block.get(), block.get() + length);
        walker.walk(
            {block.get(), length},
            [&](kx::FrameKind kind, std::span<const uint8_t> f) {
                out.insert(out.end(), f.begin(), f.end());
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
            },
            dropped);
    }
    walker.reset(dropped);
    if (out != walked)
        std::abort();
    return 0;
}
