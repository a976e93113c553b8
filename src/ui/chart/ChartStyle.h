#pragma once
// The chart's look, apart from what it shows: the axes' style with one minor tick between
// major ticks, and legend entries with a tick box that shows whether a series is shown.

#include <qcustomplot.h>

namespace kx {

// White titles and labels, a silver axis and major grid, a grey minor grid with one minor
// tick between two major ticks.
void styleAxis(QCPAxis* axis, const QString& title);

// A legend entry with a tick box in front of the series' symbol: ticked while the series is
// shown. The entry's text takes the series' colour.
class TickBoxLegendItem : public QCPPlottableLegendItem
{
public:
    TickBoxLegendItem(QCPLegend* legend, QCPAbstractPlottable* plottable);

protected:
    void draw(QCPPainter* painter) override;
    QSize minimumOuterSizeHint() const override;
};

} // namespace kx
