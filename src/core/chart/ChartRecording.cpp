#include "core/chart/ChartRecording.h"

namespace kx {

void ChartRecording::record()
{
    clear();
    m_recording = true;
}

void ChartRecording::pause()
{
    m_recording = !m_recording;
}

void ChartRecording::stop()
{
    m_recording = false;
    clear();
}

void ChartRecording::clear()
{
    for (int t = 0; t < kTraceCount; ++t)
        m_data.series(static_cast<Trace>(t)).clear();
    ++m_generation;
}

void ChartRecording::add(Trace t, double x, double y)
{
    // A value that is not finite is refused by the series: the chart leaves it out.
    if (m_data.series(t).add(x, y))
        ++m_generation;
}

void ChartRecording::add(const Sample& sample, const LineSettings& lines)
{
    if (!m_recording)
        return;
    const double x = sample.measureTime;
    if (sample.active.y && sample.shown.y)
        add(Trace::Y, x, *sample.shown.y);
    if (sample.active.x1 && sample.shown.x1)
        add(Trace::X1, x, *sample.shown.x1);
    if (sample.active.x2 && sample.shown.x2)
        add(Trace::X2, x, *sample.shown.x2);
    add(Trace::PK1, x, double(outputLineLevel(lines, 0, sample.pk1)));
    add(Trace::PK2, x, double(outputLineLevel(lines, 1, sample.pk2)));
}

} // namespace kx
