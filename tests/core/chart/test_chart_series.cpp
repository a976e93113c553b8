#include <QtTest>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "core/chart/ChartSeries.h"

using namespace kx;

namespace {

constexpr int kChunk = ChartSeries::kChunkCapacity;

// The store next to a plain sorted vector that places points the slow, obvious way.
struct Fixture
{
    ChartSeries series;
    std::vector<double> xs;
    std::vector<double> ys;

    void add(double x, double y)
    {
        QVERIFY(series.add(x, y));
        const auto at = std::upper_bound(xs.begin(), xs.end(), x) - xs.begin();
        xs.insert(xs.begin() + at, x);
        ys.insert(ys.begin() + at, y);
    }

    // Every point in the same place, read back by index.
    void verifySame() const
    {
        QCOMPARE(series.size(), std::int64_t(xs.size()));
        for (std::size_t i = 0; i < xs.size(); ++i) {
            if (series.x(std::int64_t(i)) != xs[i] || series.y(std::int64_t(i)) != ys[i])
                QFAIL(qPrintable(QStringLiteral("point %1: (%2, %3), expected (%4, %5)")
                                     .arg(i)
                                     .arg(series.x(std::int64_t(i)))
                                     .arg(series.y(std::int64_t(i)))
                                     .arg(xs[i])
                                     .arg(ys[i])));
        }
    }

    ChartSeries::Bucket bruteBucket(std::int64_t first, std::int64_t last) const
    {
        ChartSeries::Bucket b;
        b.first = first;
        b.last = last;
        b.xFirst = xs[std::size_t(first)];
        b.xLast = xs[std::size_t(last)];
        b.yFirst = ys[std::size_t(first)];
        b.yLast = ys[std::size_t(last)];
        b.yMin = *std::min_element(ys.begin() + first, ys.begin() + last + 1);
        b.yMax = *std::max_element(ys.begin() + first, ys.begin() + last + 1);
        return b;
    }
};

// Time restarting at 0 while recording: a second run of points lands among the first.
void recordTwoRuns(Fixture& f, int firstRun, int secondRun, std::mt19937& random)
{
    std::normal_distribution<double> noise(0, 5);
    for (int i = 0; i < firstRun; ++i)
        f.add(i * 0.01, std::sin(i * 0.01) * 100 + noise(random));
    for (int i = 0; i < secondRun; ++i)
        f.add(i * 0.013, noise(random) - 50);
}

void compareBucket(const ChartSeries::Bucket& got, const ChartSeries::Bucket& want)
{
    QCOMPARE(got.first, want.first);
    QCOMPARE(got.last, want.last);
    QCOMPARE(got.xFirst, want.xFirst);
    QCOMPARE(got.xLast, want.xLast);
    QCOMPARE(got.yFirst, want.yFirst);
    QCOMPARE(got.yLast, want.yLast);
    QCOMPARE(got.yMin, want.yMin);
    QCOMPARE(got.yMax, want.yMax);
}

} // namespace

class TestChartSeries : public QObject
{
    Q_OBJECT

private slots:
    void appendedPointsReadBackAcrossChunks()
    {
        Fixture f;
        const int n = 3 * kChunk + 17;
        for (int i = 0; i < n; ++i)
            f.add(i * 0.5, (i % 7) - 3.0 + i * 1e-3);
        f.verifySame();
        QCOMPARE(f.series.keyExtent(), (std::optional<Extent>{Extent{0, (n - 1) * 0.5}}));
        const auto [lo, hi] = std::minmax_element(f.ys.begin(), f.ys.end());
        QCOMPARE(f.series.valueExtent(), (std::optional<Extent>{Extent{*lo, *hi}}));
        QCOMPARE(f.series.keyExtent({kChunk - 1, kChunk + 1}),
                 (std::optional<Extent>{Extent{f.xs[kChunk - 1], f.xs[kChunk + 1]}}));
    }

    // Equal x keep their arrival order, also when the equal run crosses chunks and a later
    // point with that x arrives after larger ones.
    void equalXKeepArrivalOrder()
    {
        Fixture f;
        for (int i = 0; i < kChunk + 100; ++i)
            f.add(1.0, i);
        for (int i = 0; i < 10; ++i)
            f.add(2.0, -i);
        f.add(1.0, 99999); // after every x = 1, before the first x = 2
        f.add(0.5, -1);    // before everything
        f.add(2.0, 42);    // last
        f.verifySame();
        QCOMPARE(f.series.y(0), -1.0);
        QCOMPARE(f.series.y(kChunk + 101), 99999.0);
        QCOMPARE(f.series.x(kChunk + 102), 2.0);
        QCOMPARE(f.series.y(f.series.size() - 1), 42.0);
        QCOMPARE(f.series.lowerBound(1.0), 1);
        QCOMPARE(f.series.upperBound(1.0), kChunk + 102);
        QCOMPARE(f.series.upperBound(2.0), f.series.size());
        QCOMPARE(f.series.lowerBound(-5), 0);
    }

    // A second recording run restarting at 0 goes in among the old points; every chunk it
    // passes through fills up and splits, and index access stays right.
    void insertionAmongOldPointsSplitsChunks()
    {
        std::mt19937 random(7);
        Fixture f;
        recordTwoRuns(f, 6 * kChunk, 4 * kChunk, random);
        f.verifySame();
        // Points the fixture did not place: one before all, many on the same x in the middle.
        for (int i = 0; i < kChunk + 5; ++i)
            f.add(30.0, i);
        f.add(-1, 3);
        f.verifySame();
        for (double key : {-2.0, -1.0, 0.0, 0.013, 29.99, 30.0, 30.001, 200.0}) {
            QCOMPARE(f.series.lowerBound(key),
                     std::lower_bound(f.xs.begin(), f.xs.end(), key) - f.xs.begin());
            QCOMPARE(f.series.upperBound(key),
                     std::upper_bound(f.xs.begin(), f.xs.end(), key) - f.xs.begin());
        }
    }

    void randomOrderMatchesASortedVector_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("distinctKeys");
        QTest::newRow("many equal keys") << 20000 << 50;
        QTest::newRow("mostly distinct keys") << 20000 << 1000000;
        QTest::newRow("one key only") << 5000 << 1;
    }
    void randomOrderMatchesASortedVector()
    {
        QFETCH(int, points);
        QFETCH(int, distinctKeys);
        std::mt19937 random(11);
        std::uniform_int_distribution<int> key(0, distinctKeys - 1);
        std::uniform_real_distribution<double> value(-1000, 1000);
        Fixture f;
        for (int i = 0; i < points; ++i)
            f.add(key(random) * 0.01, value(random));
        f.verifySame();
    }

    // Summaries from the pyramid equal a plain min/max over the points, for ranges and bucket
    // counts of every size, on chunks left irregular by insertions.
    void summariesMatchBruteForce_data()
    {
        QTest::addColumn<bool>("withInsertions");
        QTest::newRow("appended only") << false;
        QTest::newRow("with insertions") << true;
    }
    void summariesMatchBruteForce()
    {
        QFETCH(bool, withInsertions);
        std::mt19937 random(withInsertions ? 3 : 5);
        Fixture f;
        if (withInsertions) {
            recordTwoRuns(f, 25 * kChunk, 12 * kChunk, random);
        } else {
            std::uniform_real_distribution<double> value(-1, 1);
            for (int i = 0; i < 40 * kChunk + 333; ++i)
                f.add(i, value(random) * (i % 1000 == 0 ? 50 : 1));
        }
        const std::int64_t n = f.series.size();
        std::uniform_int_distribution<std::int64_t> index(0, n - 1);
        std::uniform_int_distribution<int> length(0, 4);
        std::vector<ChartSeries::Bucket> buckets;
        for (int round = 0; round < 300; ++round) {
            // Ranges of every scale: a few points up to all of them.
            const std::int64_t a = index(random);
            const std::int64_t span = std::min<std::int64_t>(
                n - a, std::int64_t(std::pow(10.0, length(random) + 1)) * (1 + round % 7));
            const IndexRange range{a, a + span - 1};
            const std::int64_t count = 1 + round % 900;
            buckets.clear();
            f.series.summarize(range, count, buckets);
            QCOMPARE(std::int64_t(buckets.size()), std::min(count, range.size()));
            std::int64_t next = range.first;
            for (const ChartSeries::Bucket& b : buckets) {
                QCOMPARE(b.first, next); // buckets tile the range in order
                compareBucket(b, f.bruteBucket(b.first, b.last));
                next = b.last + 1;
            }
            QCOMPARE(next, range.last + 1);
            const auto extent = f.series.valueExtent(range);
            const ChartSeries::Bucket whole = f.bruteBucket(range.first, range.last);
            QCOMPARE(extent, (std::optional<Extent>{Extent{whole.yMin, whole.yMax}}));
        }
    }

    // Buckets split by key hold exactly the points between their separators.
    void bucketsByKeyMatchBruteForce()
    {
        std::mt19937 random(13);
        Fixture f;
        recordTwoRuns(f, 20 * kChunk, 10 * kChunk, random);
        const double top = f.xs.back();
        std::uniform_real_distribution<double> key(-1, top + 1);
        std::uniform_int_distribution<int> columns(1, 1200);
        std::vector<ChartSeries::Bucket> buckets;
        for (int round = 0; round < 60; ++round) {
            double lower = key(random);
            double upper = key(random);
            if (lower > upper)
                std::swap(lower, upper);
            const int c = columns(random);
            std::vector<double> separators;
            if (round < 40) {
                for (int i = 1; i < c; ++i)
                    separators.push_back(lower + (upper - lower) * i / c);
            } else {
                // Separators exactly on points, on block starts among them, where a boundary
                // search that passes equal keys would misplace the points.
                const std::size_t step = 16 * std::size_t(1 + round % 5);
                for (std::size_t i = std::size_t(round); i < f.xs.size(); i += step + round % 3)
                    if (separators.empty() || f.xs[i] > separators.back())
                        separators.push_back(f.xs[i]);
                lower = separators.front() - 1;
                upper = separators.back() + 1;
            }
            const IndexRange range{f.series.lowerBound(lower), f.series.upperBound(upper) - 1};
            buckets.clear();
            f.series.summarizeByKey(range, separators, buckets);
            std::int64_t next = range.first;
            for (const ChartSeries::Bucket& b : buckets) {
                QCOMPARE(b.first, next);
                QVERIFY(b.last >= b.first);
                // All points of a bucket fall between the same two separators.
                const auto column = [&](double x) {
                    return std::upper_bound(separators.begin(), separators.end(), x) -
                           separators.begin();
                };
                QCOMPARE(column(f.xs[std::size_t(b.first)]), column(f.xs[std::size_t(b.last)]));
                if (b.first > range.first)
                    QVERIFY(column(f.xs[std::size_t(b.first - 1)]) < column(b.xFirst));
                compareBucket(b, f.bruteBucket(b.first, b.last));
                next = b.last + 1;
            }
            QCOMPARE(next, std::max(range.first, range.last + 1));
        }
    }

    void signedValueExtentMatchesBruteForce()
    {
        std::mt19937 random(17);
        Fixture f;
        recordTwoRuns(f, 8 * kChunk, 3 * kChunk, random);
        for (int i = 0; i < kChunk; ++i)
            f.add(1000 + i, 5 + i % 3); // whole chunks above zero
        std::uniform_int_distribution<std::int64_t> index(0, f.series.size() - 1);
        for (int round = 0; round < 50; ++round) {
            std::int64_t a = index(random);
            std::int64_t b = index(random);
            if (a > b)
                std::swap(a, b);
            double pos[2] = {std::numeric_limits<double>::infinity(), -1};
            double neg[2] = {1, -std::numeric_limits<double>::infinity()};
            for (std::int64_t i = a; i <= b; ++i) {
                const double y = f.ys[std::size_t(i)];
                if (y > 0) {
                    pos[0] = std::min(pos[0], y);
                    pos[1] = std::max(pos[1], y);
                } else if (y < 0) {
                    neg[0] = std::min(neg[0], y);
                    neg[1] = std::max(neg[1], y);
                }
            }
            const auto p = f.series.valueExtent({a, b}, ChartSeries::Sign::Positive);
            const auto q = f.series.valueExtent({a, b}, ChartSeries::Sign::Negative);
            QCOMPARE(p.has_value(), pos[1] > 0);
            if (p)
                QCOMPARE(*p, (Extent{pos[0], pos[1]}));
            QCOMPARE(q.has_value(), neg[0] < 0);
            if (q)
                QCOMPARE(*q, (Extent{neg[0], neg[1]}));
        }
    }

    void pointsThatAreNotFiniteAreRefused_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        const double inf = std::numeric_limits<double>::infinity();
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("NaN value") << 1.0 << nan;
        QTest::newRow("infinite value") << 1.0 << -inf;
        QTest::newRow("NaN time") << nan << 1.0;
        QTest::newRow("infinite time, before all") << -inf << 1.0;
    }
    void pointsThatAreNotFiniteAreRefused()
    {
        QFETCH(double, x);
        QFETCH(double, y);
        Fixture f;
        for (int i = 0; i < 10; ++i)
            f.add(i, i);
        QVERIFY(!f.series.add(x, y));
        f.verifySame();
        QCOMPARE(f.series.valueExtent(), (std::optional<Extent>{Extent{0, 9}}));
    }

    void indexOutsideThePointsReadsNothing()
    {
        ChartSeries s;
        QVERIFY(std::isnan(s.x(0)));
        s.add(1, 2);
        QVERIFY(std::isnan(s.x(1)));
        QVERIFY(std::isnan(s.y(-1)));
        QVERIFY(!s.summary({5, 9}).has_value());
        QVERIFY(!s.valueExtent({1, 3}).has_value());
        std::vector<ChartSeries::Bucket> out;
        s.summarize({-3, 10}, 4, out);
        QCOMPARE(out.size(), std::size_t(1));
        compareBucket(out[0], ChartSeries::Bucket{0, 0, 1, 1, 2, 2, 2, 2});
    }

    void clearEmptiesAndStartsAfresh()
    {
        std::mt19937 random(19);
        Fixture f;
        recordTwoRuns(f, 3 * kChunk, kChunk, random);
        f.series.clear();
        QCOMPARE(f.series.size(), 0);
        QVERIFY(f.series.empty());
        QVERIFY(!f.series.keyExtent().has_value());
        QVERIFY(!f.series.valueExtent().has_value());
        QCOMPARE(f.series.lowerBound(0), 0);
        QVERIFY(f.series.memoryUsage() < 1024);
        f.xs.clear();
        f.ys.clear();
        f.add(5, 1);
        f.add(3, 2);
        f.verifySame();
        QCOMPARE(f.series.valueExtent(), (std::optional<Extent>{Extent{1, 2}}));
    }

    // Points, summaries and unused capacity stay within 40 bytes a point, also when a second
    // recording run has split every chunk it went through.
    void memoryPerPointStaysBounded_data()
    {
        QTest::addColumn<int>("firstRun");
        QTest::addColumn<int>("secondRun");
        QTest::newRow("appended") << 200000 << 0;
        QTest::newRow("second run among the first") << 150000 << 150000;
        QTest::newRow("short second run") << 200000 << 3000;
    }
    void memoryPerPointStaysBounded()
    {
        QFETCH(int, firstRun);
        QFETCH(int, secondRun);
        ChartSeries s;
        for (int i = 0; i < firstRun; ++i)
            s.add(i * 0.01, i);
        for (int i = 0; i < secondRun; ++i)
            s.add(i * 0.01, -i);
        const double perPoint = double(s.memoryUsage()) / double(s.size());
        QVERIFY2(perPoint <= 40, qPrintable(QString::number(perPoint)));
    }

    void forEachRunVisitsTheRangeInOrder()
    {
        std::mt19937 random(23);
        Fixture f;
        recordTwoRuns(f, 3 * kChunk, 2 * kChunk, random);
        std::vector<double> xs;
        std::vector<double> ys;
        f.series.forEachRun({100, 4 * kChunk + 7}, [&](std::span<const ChartPoint> run) {
            for (const ChartPoint& p : run) {
                xs.push_back(p.x);
                ys.push_back(p.y);
            }
        });
        QVERIFY(
            std::equal(xs.begin(), xs.end(), f.xs.begin() + 100, f.xs.begin() + 4 * kChunk + 8));
        QVERIFY(
            std::equal(ys.begin(), ys.end(), f.ys.begin() + 100, f.ys.begin() + 4 * kChunk + 8));
        QCOMPARE(xs.size(), std::size_t(4 * kChunk + 8 - 100));
    }
};

QTEST_APPLESS_MAIN(TestChartSeries)
#include "test_chart_series.moc"
