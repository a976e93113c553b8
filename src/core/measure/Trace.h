#pragma once
// The five recorded values, in the order of the chart's series and the register's value
// columns: the three measured values, then the two threshold outputs.

namespace kx {

enum class Trace
{
    Y,
    X1,
    X2,
    PK1,
    PK2,
};
constexpr int kTraceCount = 5;

} // namespace kx
