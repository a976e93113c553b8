#pragma once
// Height H and offset F of the chart's output lines, for the outputs PK1 … PK4, in the order
// H1, F1, H2, F2, H3, F3, H4, F4 (the order config.ini keeps them in). Only PK1 and PK2 are
// drawn; PK3 and PK4 are edited and kept.

#include <array>
#include <cstdint>

namespace kx {

using LineSettings = std::array<int32_t, 8>;

constexpr int kLineOutputs = 4;

// The level of output `output` (0 … 3) in state `on`: H × state + F. Computed in 64 bits, so
// no pair of 32-bit settings overflows.
constexpr int64_t outputLineLevel(const LineSettings& s, int output, bool on)
{
    const auto n = static_cast<std::size_t>(2 * output);
    return int64_t(s[n]) * (on ? 1 : 0) + int64_t(s[n + 1]);
}

} // namespace kx
