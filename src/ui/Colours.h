#pragma once
// The colours every window shares. A measured value keeps its colour wherever it is shown:
// its read-out fields, its bar, its chart series and its register column.

#include <QColor>

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

// The five recorded values, in the order of the chart's series and the register's columns.
enum class Trace
{
    Y,
    X1,
    X2,
    PK1,
    PK2,
};
constexpr int kTraceCount = 5;

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

} // namespace kx
