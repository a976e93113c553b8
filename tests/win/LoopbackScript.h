#pragma once

// The exchanges the Win32 engine test plays with its POSIX peer over a COM port that wine maps
// onto a pseudo-terminal. Both programs are built from this one list: the engine sends each
// step's request; the peer checks it byte for byte and answers with the step's reply pieces;
// the engine checks how its reads cut the reply into blocks. Standard C++ only.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kx::wintest {

using Bytes = std::vector<uint8_t>;

constexpr int kBaud = 57600;
// The program's read size: a reply longer than this comes in several blocks.
constexpr int kReadSize = 64;

struct Piece
{
    int pauseBeforeMs; // the peer's pause before it writes these bytes
    Bytes bytes;
};

struct Step
{
    const char* name;
    Bytes request;
    std::vector<Piece> reply;
    std::vector<std::size_t> blockSizes; // how the engine's reads must cut the reply

    Bytes replyBytes() const
    {
        Bytes all;
        for (const Piece& p : reply)
            all.insert(all.end(), p.bytes.begin(), p.bytes.end());
        return all;
    }
};

inline Bytes pattern(std::size_t size, uint8_t first)
{
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i)
        b[i] = static_cast<uint8_t>(first + i);
    return b;
}

// Indices into loopbackScript(), in the order the engine test plays them.
enum StepId : std::size_t
{
    kFrameEachWay,
    kLargestSend,
    kFramesApart,
    kBurst,
    kStreamCut,
    kAfterReopen,
    kAfterOpenWhileOpen,
    kFirstOfTwoSends,
    kSendAfterDataSent,
    kAfterTimedOutClose,
    kStepCount
};

// Every request differs from the next one's first bytes, so a block the engine should have
// dropped, or sent twice, shows up as a wrong request at the peer. The requests cover every
// byte value between them, CR, LF, XON and XOFF included: a line discipline that is not raw
// changes or swallows some of them.
inline const std::vector<Step>& loopbackScript()
{
    static const std::vector<Step> script = {
        {"a frame each way",
         {0xF3, 0xF3, 0x07, 0x00, 0x00, 0x00, 0x00, 0x0D},
         {{0, {0xF3, 0xF3, 0x07, 0x00, 0x00, 0x80, 0x3F, 0x0A}}},
         {8}},
        {"the largest send, 255 bytes", pattern(255, 0x01), {{0, pattern(8, 0xF8)}}, {8}},
        {"two frames 150 ms apart: two blocks",
         pattern(8, 0x11),
         {{0, pattern(8, 0x21)}, {150, pattern(8, 0x31)}},
         {8, 8}},
        {"two frames in one burst: one block", pattern(8, 0x41), {{0, pattern(16, 0x51)}}, {16}},
        {"a 200-byte stream is cut at the read size",
         pattern(8, 0x61),
         {{0, pattern(200, 0x71)}},
         {64, 64, 64, 8}},
        {"after closing and opening again", pattern(8, 0x81), {{0, pattern(8, 0x91)}}, {8}},
        {"after an open while open", pattern(8, 0xA1), {{0, pattern(8, 0xB1)}}, {8}},
        {"the first of two quick sends", pattern(8, 0xC1), {{0, pattern(8, 0xD1)}}, {8}},
        {"a send after DataSent", pattern(8, 0xE1), {{0, pattern(8, 0xF1)}}, {8}},
        {"after a close that timed out", pattern(4, 0x13), {{0, pattern(4, 0x17)}}, {4}},
    };
    return script;
}

} // namespace kx::wintest
