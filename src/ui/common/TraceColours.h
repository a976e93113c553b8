#pragma once
// The colour of each recorded value, on the chart and wherever else it is drawn.

#include <QColor>

#include "core/measure/Trace.h"
#include "ui/common/Colours.h"

namespace kx {

inline QColor traceColour(Trace t)
{
    switch (t) {
    case Trace::Y:
        return kRed;
    case Trace::X1:
        return kLime;
    case Trace::X2:
        return kAqua;
    case Trace::PK1:
        return kWhite;
    case Trace::PK2:
        break;
    }
    return kOrange;
}

// The colour a sample's point is added with: the values' own colours, white for both output
// lines (the PK2 line itself is drawn orange).
inline QColor pointColour(Trace t)
{
    return t == Trace::PK2 ? kWhite : traceColour(t);
}

} // namespace kx
