#pragma once
// The operator's decimal separator, for the regional conversions (edit boxes, read-outs).

#include <QLocale>

namespace kx {

inline char localeDecimalSeparator()
{
    const QString point = QLocale::system().decimalPoint();
    return point.size() == 1 && point[0].unicode() < 128 ? char(point[0].unicode()) : '.';
}

} // namespace kx
