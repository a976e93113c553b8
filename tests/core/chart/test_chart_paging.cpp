#include <QtTest>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "core/chart/ChartPaging.h"

using namespace kx;

namespace {

// A series held in plain vectors; x grows unevenly so a wrong index shows in the extents.
struct Points
{
    std::vector<double> xs;
    std::vector<double> ys;

    static Points make(int count, double yOffset = 0)
    {
        Points p;
        for (int i = 0; i < count; ++i) {
            p.xs.push_back(0.5 * i + 0.01 * i * i);
            p.ys.push_back(yOffset + std::sin(i * 0.7) * 10 + i);
        }
        return p;
    }

    PagedSeries view() const
    {
        return {std::int64_t(xs.size()), [this](std::int64_t i) { return xs.at(std::size_t(i)); },
                [this](std::int64_t first, std::int64_t last) {
                    Extent e{ys.at(std::size_t(first)), ys.at(std::size_t(first))};
                    for (std::int64_t i = first; i <= last; ++i) {
                        e.lower = std::min(e.lower, ys.at(std::size_t(i)));
                        e.upper = std::max(e.upper, ys.at(std::size_t(i)));
                    }
                    return e;
                }};
    }
};

} // namespace

class TestChartPaging : public QObject
{
    Q_OBJECT

private slots:
    void pageCountOfShownSeries_data()
    {
        QTest::addColumn<qint64>("perPage");
        QTest::addColumn<QList<qint64>>("counts");
        QTest::addColumn<qint64>("expected");

        QTest::newRow("25 points, 10 per page") << 10LL << QList<qint64>{25} << 3LL;
        QTest::newRow("30 points fill 3 pages exactly") << 10LL << QList<qint64>{30} << 3LL;
        QTest::newRow("31 points open a fourth") << 10LL << QList<qint64>{31} << 4LL;
        QTest::newRow("fewer points than a page") << 10LL << QList<qint64>{3} << 1LL;
        QTest::newRow("no points still one page") << 10LL << QList<qint64>{0, 0} << 1LL;
        QTest::newRow("no series shown") << 10LL << QList<qint64>{} << 1LL;
        QTest::newRow("no paging") << 0LL << QList<qint64>{1000} << 1LL;
        QTest::newRow("largest shown series decides") << 10LL << QList<qint64>{5, 41, 12} << 5LL;
        QTest::newRow("largest page size") << 32767LL << QList<qint64>{32768} << 2LL;
    }
    void pageCountOfShownSeries()
    {
        QFETCH(qint64, perPage);
        QFETCH(QList<qint64>, counts);
        QFETCH(qint64, expected);
        const std::vector<std::int64_t> c(counts.begin(), counts.end());
        QCOMPARE(pageCount(perPage, c), expected);
    }

    void clampingThePage_data()
    {
        QTest::addColumn<qint64>("page");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("page 0 shows page 1") << 0LL << 3LL << 1LL;
        QTest::newRow("negative page shows page 1") << -7LL << 3LL << 1LL;
        QTest::newRow("page 99 of 3 shows page 3") << 99LL << 3LL << 3LL;
        QTest::newRow("page inside stays") << 2LL << 3LL << 2LL;
        QTest::newRow("last page stays") << 3LL << 3LL << 3LL;
        QTest::newRow("one page only") << 5LL << 1LL << 1LL;
    }
    void clampingThePage()
    {
        QFETCH(qint64, page);
        QFETCH(qint64, count);
        QFETCH(qint64, expected);
        QCOMPARE(clampPage(page, count), expected);
    }

    void pointsOfAPage_data()
    {
        QTest::addColumn<qint64>("perPage");
        QTest::addColumn<qint64>("page");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<qint64>("first");
        QTest::addColumn<qint64>("last");

        QTest::newRow("first page") << 10LL << 1LL << 25LL << 0LL << 9LL;
        QTest::newRow("middle page") << 10LL << 2LL << 25LL << 10LL << 19LL;
        QTest::newRow("partly filled last page") << 10LL << 3LL << 25LL << 20LL << 24LL;
        QTest::newRow("full last page") << 10LL << 3LL << 30LL << 20LL << 29LL;
        QTest::newRow("page below 1 counts as 1") << 10LL << 0LL << 25LL << 0LL << 9LL;
        // Past the end the first index falls back to the last full page.
        QTest::newRow("past the end, full pages") << 10LL << 4LL << 30LL << 20LL << 29LL;
        QTest::newRow("past the end, partly filled") << 10LL << 5LL << 25LL << 10LL << 19LL;
        QTest::newRow("past the end, less than a page") << 10LL << 2LL << 4LL << 0LL << 3LL;
        QTest::newRow("huge page number")
            << 10LL << std::numeric_limits<qint64>::max() << 30LL << 20LL << 29LL;
        QTest::newRow("no paging: everything") << 0LL << 3LL << 25LL << 0LL << 24LL;
        QTest::newRow("one point") << 10LL << 1LL << 1LL << 0LL << 0LL;
    }
    void pointsOfAPage()
    {
        QFETCH(qint64, perPage);
        QFETCH(qint64, page);
        QFETCH(qint64, count);
        QFETCH(qint64, first);
        QFETCH(qint64, last);
        QCOMPARE(pageRange(perPage, page, count), (IndexRange{first, last}));
    }

    // No points: an empty page, never an index below 0.
    void pageWithoutPointsIsEmpty_data()
    {
        QTest::addColumn<qint64>("perPage");
        QTest::addColumn<qint64>("page");
        QTest::newRow("paging, page 1") << 10LL << 1LL;
        QTest::newRow("paging, page 3") << 10LL << 3LL;
        QTest::newRow("no paging") << 0LL << 1LL;
    }
    void pageWithoutPointsIsEmpty()
    {
        QFETCH(qint64, perPage);
        QFETCH(qint64, page);
        const IndexRange r = pageRange(perPage, page, 0);
        QVERIFY(r.empty());
        QCOMPARE(r.size(), 0);
        QVERIFY(!pageKeyExtent(perPage, r, [](std::int64_t) -> double {
                     QTest::qFail("read a point of an empty page", __FILE__, __LINE__);
                     return 0;
                 }).has_value());
        const Points none;
        const PagedSeries shown[] = {none.view(), none.view()};
        QVERIFY(!pageValueExtent(perPage, r, shown).has_value());
        const PageLayout layout = layoutPage(perPage, page, shown);
        QCOMPARE(layout.pageCount, 1);
        QVERIFY(layout.range.empty());
        QVERIFY(!layout.keyExtent.has_value());
        QVERIFY(!layout.valueExtent.has_value());
    }

    void horizontalExtentOfAPage_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<qint64>("page");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<bool>("stretched");
        QTest::newRow("25 points, page 3 keeps a full page's scale")
            << 25 << 3LL << 20 << 24 << true;
        QTest::newRow("30 points, page 3 ends exactly at x29") << 30 << 3LL << 20 << 29 << false;
        QTest::newRow("25 points, page 1") << 25 << 1LL << 0 << 9 << false;
        QTest::newRow("3 points on the only page") << 3 << 1LL << 0 << 2 << true;
        QTest::newRow("page 99 of 30 points is the last") << 30 << 99LL << 20 << 29 << false;
    }
    void horizontalExtentOfAPage()
    {
        QFETCH(int, count);
        QFETCH(qint64, page);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(bool, stretched);
        const Points p = Points::make(count);
        const PagedSeries shown[] = {p.view()};
        const std::int64_t current =
            clampPage(page, pageCount(10, std::vector<std::int64_t>{count}));
        const PageLayout layout = layoutPage(10, current, shown);
        QCOMPARE(layout.range, (IndexRange{first, last}));
        QVERIFY(layout.keyExtent.has_value());
        QCOMPARE(layout.keyExtent->lower, p.xs[first]);
        const double d = last - first + 1;
        const double expected =
            stretched ? p.xs[first] + 10 * (p.xs[last] - p.xs[first]) / d : p.xs[last];
        QCOMPARE(layout.keyExtent->upper, expected);
    }

    // A partly filled page whose points share one x still gets a width: N / d.
    void partlyFilledPageOfEqualX()
    {
        const IndexRange r{20, 23};
        const auto extent = pageKeyExtent(10, r, [](std::int64_t) { return 7.0; });
        QVERIFY(extent.has_value());
        QCOMPARE(extent->lower, 7.0);
        QCOMPARE(extent->upper, 7.0 + 10.0 / 4.0);
    }

    // The vertical extent takes points first … first + N − 1 of every shown series, each only
    // as far as it has points, and nothing of points outside the page.
    void verticalExtentOverShownSeries()
    {
        Points longest = Points::make(25);
        Points shorter = Points::make(22, 0);
        Points tiny = Points::make(5);
        // Extremes outside page 3 must not count; inside it they must.
        longest.ys[19] = 1000; // page 2
        shorter.ys[21] = -500; // page 3, the shorter series' last point
        tiny.ys[4] = 9999;     // the tiny series has nothing on page 3
        const PagedSeries shown[] = {tiny.view(), longest.view(), shorter.view()};
        const PageLayout layout = layoutPage(10, 3, shown);
        QCOMPARE(layout.range, (IndexRange{20, 24}));
        double high = -1e300;
        for (int i = 20; i <= 24; ++i)
            high = std::max(high, longest.ys[i]);
        for (int i = 20; i <= 21; ++i)
            high = std::max(high, shorter.ys[i]);
        QVERIFY(layout.valueExtent.has_value());
        QCOMPARE(layout.valueExtent->lower, -500.0);
        QCOMPARE(layout.valueExtent->upper, high);
        QCOMPARE(pagePointsOf(10, layout.range, 22), (IndexRange{20, 21}));
        QVERIFY(pagePointsOf(10, layout.range, 5).empty());
    }

    // The series with the most points decides the horizontal axis, whatever its position.
    void mostPointsDecideTheHorizontalAxis()
    {
        const Points a = Points::make(12);
        Points b = Points::make(25);
        for (double& x : b.xs)
            x += 100;
        const PagedSeries shown[] = {a.view(), b.view()};
        const PageLayout layout = layoutPage(10, 2, shown);
        QCOMPARE(layout.pageCount, 3);
        QCOMPARE(layout.keyExtent->lower, b.xs[10]);
        QCOMPARE(layout.keyExtent->upper, b.xs[19]);
    }

    // A series hidden by its legend box is not passed: it leaves the count and the extents.
    void hiddenSeriesLeavesTheCount()
    {
        const Points y = Points::make(25);
        Points hidden = Points::make(45, 5000);
        const PagedSeries all[] = {y.view(), hidden.view()};
        const PagedSeries shownOnly[] = {y.view()};
        QCOMPARE(layoutPage(10, 1, all).pageCount, 5);
        const PageLayout layout = layoutPage(10, 3, shownOnly);
        QCOMPARE(layout.pageCount, 3);
        QCOMPARE(layout.range, (IndexRange{20, 24}));
        QVERIFY(layout.valueExtent->upper < 5000);
    }

    // Without paging both axes take the extent of every point of every shown series.
    void withoutPagingEverythingShows()
    {
        Points a = Points::make(25);
        Points b = Points::make(8);
        for (double& x : b.xs)
            x -= 3;
        b.ys[7] = 777;
        const PagedSeries shown[] = {a.view(), b.view()};
        const PageLayout layout = layoutPage(0, 5, shown);
        QCOMPARE(layout.pageCount, 1);
        QCOMPARE(layout.range, (IndexRange{0, 24}));
        QCOMPARE(layout.keyExtent, (Extent{b.xs.front(), a.xs.back()}));
        QCOMPARE(layout.valueExtent->upper, 777.0);
        QCOMPARE(layout.valueExtent->lower, std::min(*std::min_element(a.ys.begin(), a.ys.end()),
                                                     *std::min_element(b.ys.begin(), b.ys.end())));
    }
};

QTEST_APPLESS_MAIN(TestChartPaging)
#include "test_chart_paging.moc"
