#pragma once
// The chart as spreadsheet text ("  Zapisz jako excel..."): tab-separated Windows-1250 text
// with CR LF line ends that a spreadsheet opens. A header row, then one row per point of every
// series in the chart's order: the series' title, the point's index in its series, its time
// and value with the regional decimal separator, the colour it was added with and its label
// (the chart's points carry none, so the cell is empty). Written as a stream of chunks, so a
// recording of millions of points passes through a small buffer.

#include <span>
#include <string>

#include "core/text/ChunkWriter.h"

namespace kx {

class ChartSeries;

struct ChartFileSeries
{
    std::string title;  // UTF-8, as the legend shows it
    std::string colour; // "#RRGGBB", the colour its points are added with
    const ChartSeries* series = nullptr;
};

// Returns false as soon as the sink does; nothing more is passed.
bool writeChartSpreadsheet(std::span<const ChartFileSeries> series, char decimalSeparator,
                           const ChunkSink& sink);

} // namespace kx
