#include "core/chart/ChartRecording.h"

#include "core/chart/ChartSeries.h"

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
    for (ChartSeries* s : m_series)
        s->clear();
    ++m_generation;
}

void ChartRecording::add(Trace t, double x, double y)
{
    // A value that is not finite is refused by the series: the chart leaves it out.
    if (m_series[static_cast<std::size_t>(t)]->add(x, y))
        ++m_generation;
}

void ChartRecording::addValues(double measureTime, const DeviceModel& model,
                               const ActiveValues& active)
{
    if (!m_recording)
        return;
    if (active.y)
        add(Trace::Y, measureTime, model.CurrentY);
    if (active.x1)
        add(Trace::X1, measureTime, model.CurrentX1);
    if (active.x2)
        add(Trace::X2, measureTime, model.CurrentX2);
}

void ChartRecording::addOutputLines(double measureTime, const DeviceModel& model,
                                    const LineSettings& lines)
{
    if (!m_recording)
        return;
    add(Trace::PK1, measureTime, double(outputLineLevel(lines, 0, model.OutputPK1 != 0)));
    add(Trace::PK2, measureTime, double(outputLineLevel(lines, 1, model.OutputPK2 != 0)));
}

} // namespace kx
