#include "ui/chart/ChartStyle.h"

#include "ui/common/Colours.h"

namespace kx {

namespace {

constexpr int kBox = 10;
constexpr int kGap = 5;

// Exactly one minor tick between two major ticks, whatever the major step.
class OneSubTickTicker : public QCPAxisTicker
{
protected:
    int getSubTickCount(double) override { return 1; }
};

} // namespace

void styleAxis(QCPAxis* axis, const QString& title)
{
    axis->setLabel(title);
    axis->setLabelColor(kWhite);
    axis->setTickLabelColor(kWhite);
    axis->setBasePen(QPen(kSilver, 1));
    axis->setTickPen(QPen(kSilver, 1));
    axis->setSubTickPen(QPen(kGrey, 1));
    axis->setTicker(QSharedPointer<QCPAxisTicker>(new OneSubTickTicker));
    axis->grid()->setPen(QPen(kSilver, 1, Qt::SolidLine));
    axis->grid()->setSubGridPen(QPen(kGrey, 1, Qt::SolidLine));
    axis->grid()->setSubGridVisible(true);
    axis->grid()->setZeroLinePen(Qt::NoPen);
}

TickBoxLegendItem::TickBoxLegendItem(QCPLegend* legend, QCPAbstractPlottable* plottable)
    : QCPPlottableLegendItem(legend, plottable)
{
    setTextColor(plottable->pen().color());
}

void TickBoxLegendItem::draw(QCPPainter* painter)
{
    if (!mPlottable)
        return;
    const int height = qMax(QFontMetrics(getFont()).height(), mParentLegend->iconSize().height());
    const QRect box(mRect.x(), mRect.y() + (height - kBox) / 2, kBox, kBox);
    painter->setPen(QPen(kSilver, 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(box);
    if (mPlottable->visible()) {
        painter->setPen(QPen(kWhite, 1.6));
        painter->drawLine(QPointF(box.left() + 2, box.center().y()),
                          QPointF(box.left() + 4.2, box.bottom() - 2));
        painter->drawLine(QPointF(box.left() + 4.2, box.bottom() - 2),
                          QPointF(box.right() - 1.5, box.top() + 2));
    }
    // The symbol and the text as the plain entry draws them, right of the box.
    const QRect whole = mRect;
    mRect.setLeft(mRect.left() + kBox + kGap);
    QCPPlottableLegendItem::draw(painter);
    mRect = whole;
}

QSize TickBoxLegendItem::minimumOuterSizeHint() const
{
    QSize size = QCPPlottableLegendItem::minimumOuterSizeHint();
    if (mPlottable)
        size.rwidth() += kBox + kGap;
    return size;
}

} // namespace kx
