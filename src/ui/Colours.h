#pragma once
// The colours every window shares. A measured value keeps its colour wherever it is shown:
// its read-out fields, its bar, its chart series and its register column.

#include <QColor>

#include "measure/Trace.h"

namespace kx {

inline const QColor kRed{0xFF, 0x00, 0x00};
inline const QColor kLime{0x00, 0xFF, 0x00};
inline const QColor kAqua{0x00, 0xFF, 0xFF};
inline const QColor kWhite{0xFF, 0xFF, 0xFF};
inline const QColor kOrange{0xFF, 0x80, 0x00};
inline const QColor kMaroon{0x80, 0x00, 0x00};
inline const QColor kNavy{0x00, 0x00, 0x80};
inline const QColor kSilver{0xC0, 0xC0, 0xC0};
inline const QColor kGrey{0x80, 0x80, 0x80};

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
