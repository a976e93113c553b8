#include "ui/chart/ChartPlottable.h"

#include <algorithm>
#include <cmath>

namespace kx {

namespace {

// Zoomed in, the exact points are drawn while there are no more than this many per pixel
// column; beyond that, one summary per column.
constexpr int kExactPerColumn = 2;

// Cuts segment a–b to `r` (Liang–Barsky). False when nothing of it is inside.
bool clipSegment(QPointF& a, QPointF& b, const QRectF& r)
{
    double t0 = 0;
    double t1 = 1;
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const QPointF start = a;
    if (t0 > 0)
        a = QPointF(start.x() + t0 * dx, start.y() + t0 * dy);
    if (t1 < 1)
        b = QPointF(start.x() + t1 * dx, start.y() + t1 * dy);
    return true;
}

// An axis' coordinate-to-pixel mapping, taken once per draw: for a linear axis a multiply and
// an add in place of a library call per value.
class AxisMap
{
public:
    explicit AxisMap(QCPAxis* axis) : m_axis(axis)
    {
        const QCPRange range = axis->range();
        m_linear = axis->scaleType() == QCPAxis::stLinear && range.size() > 0;
        m_lower = range.lower;
        m_origin = axis->coordToPixel(range.lower);
        m_scale = m_linear ? (axis->coordToPixel(range.upper) - m_origin) / range.size() : 0;
    }
    double operator()(double value) const
    {
        return m_linear ? m_origin + (value - m_lower) * m_scale : m_axis->coordToPixel(value);
    }

private:
    QCPAxis* m_axis;
    bool m_linear;
    double m_lower;
    double m_origin;
    double m_scale;
};

} // namespace

ChartPlottable::ChartPlottable(QCPAxis* keyAxis, QCPAxis* valueAxis, const ChartSeries& series)
    : QCPAbstractPlottable(keyAxis, valueAxis), m_series(series)
{}

ChartPlottable::~ChartPlottable() = default;

IndexRange ChartPlottable::shownRange() const
{
    const IndexRange all{0, m_series.size() - 1};
    if (!m_shown)
        return all;
    return {std::max(m_shown->first, all.first), std::min(m_shown->last, all.last)};
}

std::optional<Extent> ChartPlottable::keyExtent() const
{
    return m_series.keyExtent(shownRange());
}

std::optional<Extent> ChartPlottable::valueExtent() const
{
    return m_series.valueExtent(shownRange());
}

double ChartPlottable::selectTest(const QPointF&, bool, QVariant*) const
{
    return -1;
}

QCPRange ChartPlottable::getKeyRange(bool& foundRange, QCP::SignDomain inSignDomain) const
{
    IndexRange r = shownRange();
    // Keys ascend, so each sign is one run of indices.
    if (inSignDomain == QCP::sdPositive)
        r.first = std::max(r.first, m_series.upperBound(0));
    else if (inSignDomain == QCP::sdNegative)
        r.last = std::min(r.last, m_series.lowerBound(0) - 1);
    foundRange = !r.empty();
    if (!foundRange)
        return QCPRange();
    return QCPRange(m_series.x(r.first), m_series.x(r.last));
}

QCPRange ChartPlottable::getValueRange(bool& foundRange, QCP::SignDomain inSignDomain,
                                       const QCPRange& inKeyRange) const
{
    IndexRange r = shownRange();
    if (inKeyRange != QCPRange()) {
        r.first = std::max(r.first, m_series.lowerBound(inKeyRange.lower));
        r.last = std::min(r.last, m_series.upperBound(inKeyRange.upper) - 1);
    }
    const ChartSeries::Sign sign = inSignDomain == QCP::sdPositive   ? ChartSeries::Sign::Positive
                                   : inSignDomain == QCP::sdNegative ? ChartSeries::Sign::Negative
                                                                     : ChartSeries::Sign::Any;
    const std::optional<Extent> extent = r.empty() ? std::nullopt : m_series.valueExtent(r, sign);
    foundRange = extent.has_value();
    if (!foundRange)
        return QCPRange();
    return QCPRange(extent->lower, extent->upper);
}

void ChartPlottable::draw(QCPPainter* painter)
{
    QCPAxis* keyAxis = mKeyAxis.data();
    QCPAxis* valueAxis = mValueAxis.data();
    if (!keyAxis || !valueAxis || mPen.style() == Qt::NoPen)
        return;
    const IndexRange shown = shownRange();
    if (shown.empty())
        return;

    // The points in the key range, and one neighbour on each side so the line runs out of the
    // plot instead of stopping short of its edge.
    const QCPRange keys = keyAxis->range();
    const std::int64_t lo =
        std::clamp(m_series.lowerBound(keys.lower), shown.first, shown.last + 1);
    const std::int64_t hi =
        std::clamp(m_series.upperBound(keys.upper), shown.first, shown.last + 1) - 1;
    const double span =
        std::abs(keyAxis->coordToPixel(keys.upper) - keyAxis->coordToPixel(keys.lower));
    const int columns = std::max(1, int(std::ceil(std::min(span, 1e6))));

    m_horizontal = keyAxis->orientation() == Qt::Horizontal;
    m_hasLast = false;
    m_lines.clear();
    m_bars.clear();
    if (lo - 1 >= shown.first)
        addPoints(lo - 1, lo - 1);
    if (lo <= hi) {
        if (hi - lo + 1 <= std::int64_t(kExactPerColumn) * columns)
            addPoints(lo, hi);
        else
            addBuckets(lo, hi, columns);
    }
    if (hi + 1 <= shown.last)
        addPoints(hi + 1, hi + 1);

    // Far outside the plot the paint engine's fixed-point coordinates overflow: everything is
    // cut to a little more than the plot first.
    const double margin = std::max(2.0, mPen.widthF()) + 2;
    const QRectF clip = QRectF(clipRect()).adjusted(-margin, -margin, margin, margin);
    if (!m_bars.isEmpty()) {
        // Whole pixels without smoothing, all in one call: the paint engine's fastest fill.
        m_pixelBars.clear();
        for (const QRectF& bar : std::as_const(m_bars)) {
            const QRectF r = bar.intersected(clip);
            if (r.isEmpty())
                continue;
            const QRect pixels(qRound(r.left()), qRound(r.top()), std::max(1, qRound(r.width())),
                               std::max(1, qRound(r.height())));
            // Neighbours over the same pixels (a stair's level, or a step in every column)
            // become one wider bar: far fewer spans to fill.
            if (!m_pixelBars.isEmpty()) {
                QRect& previous = m_pixelBars.last();
                const bool sameRows =
                    m_horizontal
                        ? previous.top() == pixels.top() && previous.bottom() == pixels.bottom()
                        : previous.left() == pixels.left() && previous.right() == pixels.right();
                if (sameRows && previous.intersects(pixels.adjusted(-1, -1, 1, 1))) {
                    previous = previous.united(pixels);
                    continue;
                }
            }
            m_pixelBars.append(pixels);
        }
        painter->setAntialiasing(false);
        painter->setPen(Qt::NoPen);
        painter->setBrush(mPen.brush());
        painter->drawRects(m_pixelBars.constData(), int(m_pixelBars.size()));
    }
    applyDefaultAntialiasingHint(painter);
    painter->setPen(mPen);
    painter->setBrush(Qt::NoBrush);
    const bool singlePoint = m_lines.isEmpty() && m_bars.isEmpty() && m_hasLast;
    qsizetype kept = 0;
    for (QLineF& line : m_lines) {
        QPointF a = line.p1();
        QPointF b = line.p2();
        if ((clip.contains(a) && clip.contains(b)) || clipSegment(a, b, clip))
            m_lines[kept++] = QLineF(a, b);
    }
    m_lines.resize(kept);
    // Separate segments, not one polyline: Qt strokes a polyline that folds back on itself in
    // time that grows far faster than its length, while lines take a fast path.
    if (!m_lines.isEmpty())
        painter->drawLines(m_lines.constData(), int(m_lines.size()));
    else if (singlePoint && clip.contains(pixel(m_lastK, m_lastV)))
        painter->drawPoint(pixel(m_lastK, m_lastV));
}

QPointF ChartPlottable::pixel(double k, double v) const
{
    return m_horizontal ? QPointF(k, v) : QPointF(v, k);
}

void ChartPlottable::lineTo(double k, double v)
{
    if (m_hasLast && (k != m_lastK || v != m_lastV))
        m_lines.append(QLineF(pixel(m_lastK, m_lastV), pixel(k, v)));
    m_hasLast = true;
    m_lastK = k;
    m_lastV = v;
}

void ChartPlottable::addPoints(std::int64_t first, std::int64_t last)
{
    const bool stairs = m_style == Style::StepLeft;
    const AxisMap keyPixel(mKeyAxis.data());
    const AxisMap valuePixel(mValueAxis.data());
    m_series.forEachRun({first, last}, [&](std::span<const ChartPoint> points) {
        for (const ChartPoint& point : points) {
            const double k = keyPixel(point.x);
            // A stair holds the previous value up to this key, then steps.
            if (stairs && m_hasLast)
                lineTo(k, m_lastV);
            lineTo(k, valuePixel(point.y));
        }
    });
}

void ChartPlottable::addBuckets(std::int64_t first, std::int64_t last, int columns)
{
    QCPAxis* keyAxis = mKeyAxis.data();
    QCPAxis* valueAxis = mValueAxis.data();
    const QCPRange keys = keyAxis->range();
    // One bucket per pixel column of the key range: the keys where columns meet.
    const double start = keyAxis->coordToPixel(keys.lower);
    const double direction = keyAxis->coordToPixel(keys.upper) >= start ? 1 : -1;
    m_separators.clear();
    for (int c = 1; c < columns; ++c)
        m_separators.push_back(keyAxis->pixelToCoord(start + direction * c));
    if (m_separators.size() > 1 && m_separators.front() > m_separators.back())
        std::reverse(m_separators.begin(), m_separators.end());

    m_buckets.clear();
    m_series.summarizeByKey({first, last}, m_separators, m_buckets);

    const bool stairs = m_style == Style::StepLeft;
    const double width = std::max(1.0, double(qRound(mPen.widthF())));
    const AxisMap keyPixel(keyAxis);
    const AxisMap valuePixel(valueAxis);
    for (const ChartSeries::Bucket& b : m_buckets) {
        const double kFirst = keyPixel(b.xFirst);
        const double vFirst = valuePixel(b.yFirst);
        if (b.first == b.last) {
            if (stairs && m_hasLast)
                lineTo(kFirst, m_lastV);
            lineTo(kFirst, vFirst);
            continue;
        }
        // Every value of the column, from the lowest to the highest, as one bar.
        const double vA = valuePixel(b.yMin);
        const double vB = valuePixel(b.yMax);
        double low = std::min(vA, vB);
        double high = std::max(vA, vB);
        // The way in from the previous point: next door it lies within the bar's reach and only
        // widens it; across a gap it is a line (for a stair: at the previous level, stepping
        // in this column).
        if (m_hasLast) {
            if (std::abs(kFirst - m_lastK) > 1.5)
                lineTo(kFirst, stairs ? m_lastV : vFirst);
            if (stairs || std::abs(kFirst - m_lastK) <= 1.5) {
                low = std::min(low, m_lastV);
                high = std::max(high, m_lastV);
            }
        }
        const double kLast = keyPixel(b.xLast);
        const double k = (kFirst + kLast) / 2;
        m_bars.append(m_horizontal
                          ? QRectF(k - width / 2, low - width / 2, width, high - low + width)
                          : QRectF(low - width / 2, k - width / 2, high - low + width, width));
        // The column is left from its last point (a stair: at its last level).
        m_hasLast = true;
        m_lastK = kLast;
        m_lastV = valuePixel(b.yLast);
    }
}

void ChartPlottable::drawLegendIcon(QCPPainter* painter, const QRectF& rect) const
{
    applyDefaultAntialiasingHint(painter);
    painter->setPen(mPen);
    painter->setBrush(Qt::NoBrush);
    if (m_style == Style::StepLeft) {
        const double low = rect.top() + rect.height() * 0.75;
        const double high = rect.top() + rect.height() * 0.25;
        const QPointF stair[] = {{rect.left(), low},
                                 {rect.center().x(), low},
                                 {rect.center().x(), high},
                                 {rect.right(), high}};
        painter->drawPolyline(stair, 4);
    } else {
        painter->drawLine(QLineF(rect.left(), rect.center().y(), rect.right(), rect.center().y()));
    }
}

} // namespace kx
