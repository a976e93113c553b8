#pragma once
// The colours every window shares. A measured value keeps its colour wherever it is shown:
// its read-out fields, its bar, its chart series and its register column (TraceColours.h says
// which is whose).

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

} // namespace kx
