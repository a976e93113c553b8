#include "core/chart/ChartFile.h"

#include "core/text/NumberFormat.h"
#include "core/chart/ChartSeries.h"

namespace kx {

namespace {

constexpr std::size_t kChunk = 64 * 1024;

class Chunks
{
public:
    explicit Chunks(const ChunkSink& sink) : m_sink(sink), m_ok(bool(sink)) {}

    void add(std::string_view text)
    {
        if (!m_ok)
            return;
        m_buffer += text;
        if (m_buffer.size() >= kChunk)
            flush();
    }
    bool finish()
    {
        flush();
        return m_ok;
    }

private:
    void flush()
    {
        if (m_ok && !m_buffer.empty())
            m_ok = m_sink(m_buffer);
        m_buffer.clear();
    }

    const ChunkSink& m_sink;
    bool m_ok;
    std::string m_buffer;
};

} // namespace

bool writeChartSpreadsheet(std::span<const ChartFileSeries> series, char decimalSeparator,
                           const ChunkSink& sink)
{
    Chunks out(sink);
    out.add(toWindows1250("Seria\tIndeks\tczas [s]\tkąt [ °]\tKolor\tEtykieta\r\n"));
    for (const ChartFileSeries& s : series) {
        if (!s.series)
            continue;
        const std::string title = toWindows1250(s.title);
        const std::string colour = toWindows1250(s.colour);
        std::int64_t index = 0;
        std::string row;
        s.series->forEachRun({0, s.series->size() - 1}, [&](std::span<const ChartPoint> run) {
            for (const ChartPoint& p : run) {
                row.clear();
                row += title;
                row += '\t';
                row += std::to_string(index++);
                row += '\t';
                row += formatGeneral(p.x, decimalSeparator);
                row += '\t';
                row += formatGeneral(p.y, decimalSeparator);
                row += '\t';
                row += colour;
                row += "\t\r\n";
                out.add(row);
            }
        });
    }
    return out.finish();
}

} // namespace kx
