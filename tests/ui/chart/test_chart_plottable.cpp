#include <QtTest>

#include <cmath>
#include <memory>

#include <qcustomplot.h>

#include "ui/chart/ChartPlottable.h"

using namespace kx;

Q_DECLARE_METATYPE(QCPRange)

// How a failed comparison shows a range.
char* toString(const QCPRange& range)
{
    return QTest::toString(QStringLiteral("[%1, %2]").arg(range.lower).arg(range.upper));
}

namespace {

const QColor kInk{0xFF, 0x00, 0x00};

// A chart of 900 × 500 pixels on white, without grid or smoothing, so every pixel the series
// draws has exactly the series' colour.
struct Chart
{
    ChartSeries data; // outlives the plot, which draws it
    std::unique_ptr<QCustomPlot> plot = std::make_unique<QCustomPlot>();
    ChartPlottable* series = nullptr;
    QImage image;

    explicit Chart(ChartPlottable::Style style, double penWidth = 1)
    {
        plot->resize(900, 500);
        plot->setNotAntialiasedElements(QCP::aeAll);
        plot->xAxis->grid()->setVisible(false);
        plot->yAxis->grid()->setVisible(false);
        series = new ChartPlottable(plot->xAxis, plot->yAxis, data);
        series->setPen(QPen(kInk, penWidth));
        series->setStyle(style);
        plot->show();
    }

    void render()
    {
        plot->replot();
        image = plot->toPixmap().toImage();
    }

    int column(double key) const { return qRound(plot->xAxis->coordToPixel(key)); }
    int row(double value) const { return qRound(plot->yAxis->coordToPixel(value)); }
    QRect plotArea() const { return plot->axisRect()->rect(); }

    bool inked(int x, int y) const
    {
        return image.rect().contains(x, y) && QColor(image.pixel(x, y)) == kInk;
    }
    // Is any pixel of the series within `radius` of (x, y)?
    bool inkedNear(int x, int y, int radius) const
    {
        for (int dx = -radius; dx <= radius; ++dx)
            for (int dy = -radius; dy <= radius; ++dy)
                if (inked(x + dx, y + dy))
                    return true;
        return false;
    }
    // Columns of the plot area where row y is inked.
    QList<int> inkedColumns(int y) const
    {
        QList<int> columns;
        for (int x = plotArea().left(); x <= plotArea().right(); ++x)
            if (inked(x, y))
                columns.append(x);
        return columns;
    }
};

} // namespace

class TestChartPlottable : public QObject
{
    Q_OBJECT

private slots:
    void createdOnAPlotBelongsToIt()
    {
        Chart chart(ChartPlottable::Style::Line);
        QCOMPARE(chart.plot->plottableCount(), 1);
        QCOMPARE(chart.plot->plottable(0), chart.series);
        chart.series->addToLegend();
        chart.series->setName("Y");
        chart.render(); // the legend draws the series' icon
        QVERIFY(chart.plot->removePlottable(chart.series));
    }

    // A million flat points with one spike up and one down: each summary column must keep
    // its extremes, so both spikes show at their places and nowhere else.
    void singleSpikesAmongAMillionPointsShow()
    {
        Chart chart(ChartPlottable::Style::Line);
        for (int i = 0; i < 1'000'000; ++i)
            chart.data.add(i, i == 500'000 ? 100.0 : i == 750'001 ? -50.0 : 0.0);
        chart.plot->rescaleAxes();
        chart.plot->yAxis->setRange(-60, 110);
        chart.render();

        const int top = chart.row(100);
        const int bottom = chart.row(-50);
        QVERIFY(chart.inkedNear(chart.column(500'000), top, 2));
        QVERIFY(chart.inkedNear(chart.column(750'001), bottom, 2));
        for (int x : chart.inkedColumns(chart.row(50)))
            QVERIFY2(std::abs(x - chart.column(500'000)) <= 2, qPrintable(QString::number(x)));
        for (int x : chart.inkedColumns(chart.row(-25)))
            QVERIFY2(std::abs(x - chart.column(750'001)) <= 2, qPrintable(QString::number(x)));
        // The flat line runs across the whole plot.
        const QRect area = chart.plotArea();
        for (int x = area.left() + 1; x < area.right(); ++x)
            QVERIFY2(chart.inkedNear(x, chart.row(0), 1), qPrintable(QString::number(x)));
    }

    // Stairs hold each value until the next point's x, then step: the vertical sits at the
    // x of the point that changes the value, whether drawn from the points or from summaries.
    void stairsStepAtTheRightX_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("style");
        QTest::addColumn<double>("expectedStepUp");
        // 100 points: exact drawing. Up at point 30, down at point 70.
        QTest::newRow("few points, stairs") << 100 << int(ChartPlottable::Style::StepLeft) << 30.0;
        // The same points as straight lines cross half height between points 29 and 30.
        QTest::newRow("few points, lines") << 100 << int(ChartPlottable::Style::Line) << 29.5;
        QTest::newRow("a million points, stairs")
            << 1'000'000 << int(ChartPlottable::Style::StepLeft) << 300'000.0;
    }
    void stairsStepAtTheRightX()
    {
        QFETCH(int, points);
        QFETCH(int, style);
        QFETCH(double, expectedStepUp);
        Chart chart{ChartPlottable::Style(style)};
        const int up = points * 3 / 10;
        const int down = points * 7 / 10;
        for (int i = 0; i < points; ++i)
            chart.data.add(i, i >= up && i < down ? 50.0 : 0.0);
        chart.plot->xAxis->setRange(-0.5, points - 0.5);
        chart.plot->yAxis->setRange(-10, 60);
        chart.render();

        const double expectedStepDown = expectedStepUp + (down - up);
        const QList<int> halfway = chart.inkedColumns(chart.row(25));
        QVERIFY(!halfway.isEmpty());
        for (int x : halfway)
            QVERIFY2(std::abs(x - chart.column(expectedStepUp)) <= 1 ||
                         std::abs(x - chart.column(expectedStepDown)) <= 1,
                     qPrintable(QStringLiteral("ink at column %1, steps at %2 and %3")
                                    .arg(x)
                                    .arg(chart.column(expectedStepUp))
                                    .arg(chart.column(expectedStepDown))));
        QVERIFY(chart.inkedNear(chart.column(expectedStepUp), chart.row(25), 1));
        QVERIFY(chart.inkedNear(chart.column(expectedStepDown), chart.row(25), 1));
        // The levels in between.
        QVERIFY(chart.inkedNear(chart.column(points / 2), chart.row(50), 1));
        QVERIFY(!chart.inkedNear(chart.column(points / 2), chart.row(0), 1));
        QVERIFY(chart.inkedNear(chart.column(points / 10), chart.row(0), 1));
        QVERIFY(!chart.inkedNear(chart.column(points / 10), chart.row(50), 1));
    }

    // Zoomed in far, the exact points are drawn and the line leaves the plot at both edges
    // towards the points outside it.
    void zoomedInLineRunsToTheEdges()
    {
        Chart chart(ChartPlottable::Style::Line);
        for (int i = 0; i < 1'000'000; ++i)
            chart.data.add(i * 0.01, 0.0);
        chart.plot->xAxis->setRange(5000.003, 5000.097);
        chart.plot->yAxis->setRange(-1, 1);
        chart.render();
        const QRect area = chart.plotArea();
        QVERIFY(chart.inkedNear(area.left() + 1, chart.row(0), 1));
        QVERIFY(chart.inkedNear(area.right() - 1, chart.row(0), 1));
    }

    // A page: only points first … last are drawn, and the ranges are those of the page.
    void pageShowsOnlyItsPoints()
    {
        Chart chart(ChartPlottable::Style::Line);
        for (int i = 0; i < 100'000; ++i)
            chart.data.add(i, i == 5'000 ? 90.0 : std::sin(i * 0.01));
        chart.series->setShownRange({1000, 1999});
        QVERIFY(!chart.series->showsAll());
        QCOMPARE(chart.series->shownRange(), (IndexRange{1000, 1999}));
        chart.plot->xAxis->setRange(0, 100'000);
        chart.plot->yAxis->setRange(-2, 100);
        chart.render();
        // Nothing right of the page, the spike at 5000 included.
        for (int x = chart.column(1999) + 3; x < chart.plotArea().right(); ++x)
            for (int y = chart.plotArea().top(); y < chart.plotArea().bottom(); ++y)
                QVERIFY2(!chart.inked(x, y), qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
        QVERIFY(chart.inkedNear(chart.column(1500), chart.row(std::sin(15.0)), 2));

        chart.plot->rescaleAxes();
        QCOMPARE(chart.plot->xAxis->range().lower, 1000.0);
        QCOMPARE(chart.plot->xAxis->range().upper, 1999.0);
        QVERIFY(chart.plot->yAxis->range().upper < 1.01);

        chart.series->showAll();
        QVERIFY(chart.series->showsAll());
        QCOMPARE(chart.series->shownRange(), (IndexRange{0, 99'999}));
    }

    void keyAndValueRangesMatchTheData_data()
    {
        QTest::addColumn<qint64>("first");
        QTest::addColumn<qint64>("last");
        QTest::addColumn<int>("sign");
        QTest::addColumn<QCPRange>("keyRange");
        QTest::addColumn<QCPRange>("valueRange");
        QTest::addColumn<bool>("found");
        // x = i − 100 for i = 0 … 299; y = (i − 150) × 2, and −500 at i = 10.
        const int both = QCP::sdBoth;
        QTest::newRow("all points")
            << 0LL << -1LL << both << QCPRange(-100, 199) << QCPRange(-500, 298) << true;
        QTest::newRow("a page") << 200LL << 249LL << both << QCPRange(100, 149)
                                << QCPRange(100, 198) << true;
        QTest::newRow("a page running past the points")
            << 290LL << 400LL << both << QCPRange(190, 199) << QCPRange(280, 298) << true;
        QTest::newRow("a page with no points")
            << 300LL << 400LL << both << QCPRange() << QCPRange() << false;
        QTest::newRow("positive side")
            << 0LL << -1LL << int(QCP::sdPositive) << QCPRange(1, 199) << QCPRange(2, 298) << true;
        QTest::newRow("negative side") << 0LL << -1LL << int(QCP::sdNegative) << QCPRange(-100, -1)
                                       << QCPRange(-500, -2) << true;
        QTest::newRow("negative keys of a page on the positive side")
            << 0LL << 99LL << int(QCP::sdPositive) << QCPRange() << QCPRange() << false;
    }
    void keyAndValueRangesMatchTheData()
    {
        QFETCH(qint64, first);
        QFETCH(qint64, last);
        QFETCH(int, sign);
        QFETCH(QCPRange, keyRange);
        QFETCH(QCPRange, valueRange);
        QFETCH(bool, found);
        Chart chart(ChartPlottable::Style::Line);
        for (int i = 0; i < 300; ++i)
            chart.data.add(i - 100, i == 10 ? -500 : (i - 150) * 2);
        if (last >= 0)
            chart.series->setShownRange({first, last});
        bool keyFound = !found;
        bool valueFound = !found;
        const QCPRange keys = chart.series->getKeyRange(keyFound, QCP::SignDomain(sign));
        QCPRange values = chart.series->getValueRange(valueFound, QCP::SignDomain(sign));
        QCOMPARE(keyFound, found);
        if (sign == QCP::sdBoth) {
            QCOMPARE(valueFound, found);
        } else if (found) {
            QVERIFY(valueFound);
        }
        if (found) {
            QCOMPARE(keys, keyRange);
            QCOMPARE(values, valueRange);
        }
        QCOMPARE(chart.series->keyExtent().has_value(), !chart.series->shownRange().empty());
        QCOMPARE(chart.series->valueExtent().has_value(), !chart.series->shownRange().empty());
    }

    // The value range within a key range, as QCustomPlot asks for it to fit the value axis to
    // what is in view.
    void valueRangeWithinKeys()
    {
        Chart chart(ChartPlottable::Style::StepLeft);
        for (int i = 0; i < 10'000; ++i)
            chart.data.add(i * 0.5, i < 5'000 ? i : -i);
        bool found = false;
        const QCPRange values = chart.series->getValueRange(found, QCP::sdBoth, QCPRange(10, 20));
        QVERIFY(found);
        QCOMPARE(values, QCPRange(20, 40));
        chart.plot->rescaleAxes();
        QCOMPARE(chart.plot->yAxis->range(), QCPRange(-9'999, 4'999));
        QCOMPARE(chart.plot->xAxis->range(), QCPRange(0, 4'999.5));
    }

    void emptySeriesDrawsNothingAndHasNoRange()
    {
        Chart chart(ChartPlottable::Style::StepLeft);
        bool found = true;
        chart.series->getKeyRange(found);
        QVERIFY(!found);
        chart.series->getValueRange(found);
        QVERIFY(!found);
        QVERIFY(chart.series->shownRange().empty());
        chart.plot->xAxis->setRange(0, 10);
        chart.render();
        QVERIFY(chart.inkedColumns(chart.row(5)).isEmpty());
        QCOMPARE(chart.series->selectTest(QPointF(10, 10), false), -1.0);
    }
};

QTEST_MAIN(TestChartPlottable)
#include "test_chart_plottable.moc"
