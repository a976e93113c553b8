#include "ui/common/Dimension.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace kx {

void drawArrowHead(QPainter& p, QPointF tip, QPointF from, ArrowHead head)
{
    const QPointF d = tip - from;
    const double length = std::hypot(d.x(), d.y());
    if (length <= 0)
        return;
    const QPointF u = d / length;
    const QPointF n(-u.y(), u.x());
    QPainterPath path;
    path.moveTo(tip);
    path.lineTo(tip - u * head.length + n * head.halfWidth);
    path.lineTo(tip - u * head.length - n * head.halfWidth);
    path.closeSubpath();
    p.fillPath(path, p.pen().color());
}

void drawDimension(QPainter& p, QPointF a, QPointF b, ArrowHead head)
{
    p.drawLine(a, b);
    drawArrowHead(p, a, b, head);
    drawArrowHead(p, b, a, head);
}

} // namespace kx
