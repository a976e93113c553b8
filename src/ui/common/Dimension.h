#pragma once
// The dimension lines of the program's technical drawings (the measuring fields, the output
// lines, the About picture): a line with a filled arrow head at each end, in the pen's colour.

#include <QPointF>

class QPainter;

namespace kx {

struct ArrowHead
{
    double length = 8;
    double halfWidth = 3.5;
};

void drawArrowHead(QPainter& p, QPointF tip, QPointF from, ArrowHead head = {});
void drawDimension(QPainter& p, QPointF a, QPointF b, ArrowHead head = {});

} // namespace kx
