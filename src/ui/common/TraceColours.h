#pragma once
// The colour of each recorded value, on the chart and wherever else it is drawn, as the chart's
// table gives it.

#include <QColor>

#include "core/chart/ChartData.h"

namespace kx {

inline QColor traceColour(Trace t)
{
    return QColor::fromRgb(QRgb(traceLook(t).rgb));
}

// The colour a sample's point is added with.
inline QColor pointColour(Trace t)
{
    return QColor::fromRgb(QRgb(traceLook(t).pointRgb));
}

} // namespace kx
