#include "core/chart/ChartFile.h"

#include "core/chart/ChartSeries.h"
#include "core/text/NumberFormat.h"

namespace kx {

bool writeChartSpreadsheet(std::span<const ChartFileSeries> series, char decimalSeparator,
                           const ChunkSink& sink)
{
    ChunkWriter out(sink);
    out.text("Seria\tIndeks\tczas [s]\tkąt [ °]\tKolor\tEtykieta");
    out.endLine();
    for (const ChartFileSeries& s : series) {
        if (!s.series)
            continue;
        const std::string title = toWindows1250(s.title);
        const std::string colour = toWindows1250(s.colour);
        std::int64_t index = 0;
        s.series->forEachRun({0, s.series->size() - 1}, [&](std::span<const ChartPoint> run) {
            for (const ChartPoint& p : run) {
                std::string& row = out.buffer();
                row += title;
                row += '\t';
                row += std::to_string(index++);
                row += '\t';
                row += formatGeneral(p.x, decimalSeparator);
                row += '\t';
                row += formatGeneral(p.y, decimalSeparator);
                row += '\t';
                row += colour;
                row += '\t';
                out.endLine();
            }
        });
    }
    return out.finish();
}

} // namespace kx
