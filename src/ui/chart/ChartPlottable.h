#pragma once
// One series of the time chart as a QCustomPlot plottable. It draws from the series' summaries
// about one bucket per pixel column (a vertical min–max stroke joined to its neighbours), and
// the exact points once few enough are in view, so a redraw costs the same at ten thousand and
// at ten million points. It can be limited to an index range: a page shows points first … last.
//
// Created on a plot's axes, it belongs to that plot, like QCPGraph; the series it draws is
// someone else's and must outlive it:
//     auto* y = new ChartPlottable(plot->xAxis, plot->yAxis, data.series(Trace::Y));

#include <optional>

#include <QLineF>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QVector>

#include <qcustomplot.h>

#include "core/chart/ChartPaging.h"
#include "core/chart/ChartSeries.h"

namespace kx {

class ChartPlottable : public QCPAbstractPlottable
{
    Q_OBJECT

public:
    enum class Style
    {
        Line,     // straight segments from point to point
        StepLeft, // stairs: each value holds until the next point's x, then steps (lsStepLeft)
    };

    ChartPlottable(QCPAxis* keyAxis, QCPAxis* valueAxis, const ChartSeries& series);
    ~ChartPlottable() override;

    const ChartSeries& series() const { return m_series; }

    void setStyle(Style style) { m_style = style; }
    Style style() const { return m_style; }

    // Shows only points first … last (a page); indices beyond the points are ignored and an
    // empty range shows nothing. The range stays as set while points are added.
    void setShownRange(const IndexRange& range) { m_shown = range; }
    // Shows every point, however many are added later (the default).
    void showAll() { m_shown.reset(); }
    bool showsAll() const { return !m_shown; }
    // The indices drawn now: the set range cut to the points; empty when nothing is drawn.
    IndexRange shownRange() const;
    // Extents of the shown points; none when nothing is shown.
    std::optional<Extent> keyExtent() const;
    std::optional<Extent> valueExtent() const;

    double selectTest(const QPointF& pos, bool onlySelectable,
                      QVariant* details = nullptr) const override;
    QCPRange getKeyRange(bool& foundRange,
                         QCP::SignDomain inSignDomain = QCP::sdBoth) const override;
    QCPRange getValueRange(bool& foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth,
                           const QCPRange& inKeyRange = QCPRange()) const override;

protected:
    void draw(QCPPainter* painter) override;
    void drawLegendIcon(QCPPainter* painter, const QRectF& rect) const override;

private:
    // Drawing works in pixels along the key axis (k) and the value axis (v).
    QPointF pixel(double k, double v) const;
    void lineTo(double k, double v);
    void addPoints(std::int64_t first, std::int64_t last);
    void addBuckets(std::int64_t first, std::int64_t last, int columns);

    const ChartSeries& m_series;
    Style m_style = Style::Line;
    std::optional<IndexRange> m_shown;

    // State and scratch of the current draw, kept to spare allocations.
    bool m_horizontal = true;
    bool m_hasLast = false;
    double m_lastK = 0;
    double m_lastV = 0;
    QVector<QLineF> m_lines;
    QVector<QRectF> m_bars;
    QVector<QRect> m_pixelBars;
    std::vector<ChartSeries::Bucket> m_buckets;
    std::vector<double> m_separators;
};

} // namespace kx
