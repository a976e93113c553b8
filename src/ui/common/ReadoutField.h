#pragma once
// A read-out on a black panel in its value's colour, read from across the bench: the large
// fields of the indicator tab and the small ones above the chart. Right-aligned, so the
// decimal point of "%3.4f" stays put as the value changes.

#include "ui/common/ValueLabel.h"

namespace kx {

class ReadoutField : public ValueLabel
{
    Q_OBJECT

public:
    ReadoutField(const QString& caption, const QColor& colour, int pixelSize,
                 const QString& initialText, QWidget* parent = nullptr);
};

} // namespace kx
