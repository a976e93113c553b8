#pragma once
// What the time chart holds: the five series, in the order of Trace, and the one table of how
// each is titled and coloured. The chart's controller owns it; the chart tab draws it.

#include <array>
#include <cstdint>

#include "core/chart/ChartSeries.h"
#include "core/measure/Trace.h"

namespace kx {

struct TraceLook
{
    const char* title;      // UTF-8, as the legend and the chart's spreadsheet name the series
    std::uint32_t rgb;      // the series' colour, 0xRRGGBB; the value's colour everywhere
    std::uint32_t pointRgb; // the colour a sample's point is added with
    bool stairs;            // an output holds its state until the next sample
};
const TraceLook& traceLook(Trace t);

class ChartData
{
public:
    ChartSeries& series(Trace t) { return m_series[static_cast<std::size_t>(t)]; }
    const ChartSeries& series(Trace t) const { return m_series[static_cast<std::size_t>(t)]; }

private:
    std::array<ChartSeries, kTraceCount> m_series;
};

} // namespace kx
