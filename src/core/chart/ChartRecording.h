#pragma once
// Recording the time chart: whether new samples go into the five series, and what a sample
// adds to them. The series are the chart's data; the chart tab draws them.
//
// While recording, every sample adds a point at x = MeasureTime to the series of each active
// value (Y, X1, X2), then a point to each of the two output lines (y = H × state + F of the
// line settings, computed in 64 bits). A value that is not finite is left out. Points go in
// ascending x, a point with an equal x after the earlier ones, so recording across STOP and START
// places the new points among the old.

#include <cstdint>

#include "core/chart/ChartData.h"
#include "core/chart/LineSettings.h"
#include "core/measure/Sample.h"

namespace kx {

class ChartRecording
{
public:
    // The data must outlive the recording.
    explicit ChartRecording(ChartData& data) : m_data(data) {}

    // ChartRecording: new samples are added.
    bool recording() const { return m_recording; }

    // "Nagrywaj wykres": everything cleared, recording from now. The caller restarts the time.
    void record();
    // "pauza": recording on or off; pressed before any recording it starts without clearing.
    void pause();
    // "stop": recording off, everything cleared. The caller restarts the time.
    void stop();
    // "wyczyść wykres": everything cleared; recording goes on as it was.
    void clear();

    // A sample, while recording: Y, then X1, then X2, each only when active, then the output
    // lines PK1 and PK2.
    void add(const Sample& sample, const LineSettings& lines);

    // Changes whenever a point is added or the series are cleared, so the chart redraws only
    // when something changed.
    std::uint64_t generation() const { return m_generation; }

private:
    void add(Trace t, double x, double y);

    ChartData& m_data;
    bool m_recording = false;
    std::uint64_t m_generation = 0;
};

} // namespace kx
