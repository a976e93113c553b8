#include <QtTest>

#include "Windows1250.h"
#include "core/chart/ChartFile.h"
#include "core/chart/ChartSeries.h"

using namespace kx;

namespace {

QString decoded(const std::string& bytes)
{
    return fromWindows1250(QByteArray::fromStdString(bytes));
}

std::string write(std::span<const ChartFileSeries> series, char separator)
{
    std::string out;
    const bool ok = writeChartSpreadsheet(series, separator, [&](std::string_view chunk) {
        out += chunk;
        return true;
    });
    return ok ? out : std::string("failed");
}

} // namespace

class TestChartFile : public QObject
{
    Q_OBJECT

private slots:
    void everyPointOfEverySeriesInOrder()
    {
        ChartSeries y;
        y.add(0.5, 12.25);
        y.add(1, -3);
        ChartSeries pk2;
        pk2.add(0.5, 75);
        ChartSeries empty;
        const ChartFileSeries series[] = {
            {"Y (Wartość mierzona)", "#FF0000", &y},
            {"X1 (kanał 1)", "#00FF00", &empty},
            {"PK2", "#FFFFFF", &pk2},
        };
        const std::string bytes = write(series, ',');
        QCOMPARE(decoded(bytes),
                 QString::fromUtf8("Seria\tIndeks\tczas [s]\tkąt [ °]\tKolor\tEtykieta\r\n"
                                   "Y (Wartość mierzona)\t0\t0,5\t12,25\t#FF0000\t\r\n"
                                   "Y (Wartość mierzona)\t1\t1\t-3\t#FF0000\t\r\n"
                                   "PK2\t0\t0,5\t75\t#FFFFFF\t\r\n"));
        // Polish letters take one byte each.
        QVERIFY(bytes.find("Warto\x9C\xE6") != std::string::npos);
        QVERIFY(bytes.find("k\xB9t") != std::string::npos);
    }

    void theSeparatorIsTheCallers()
    {
        ChartSeries y;
        y.add(1.5, 2.25);
        const ChartFileSeries series[] = {{"Y", "#FF0000", &y}};
        QVERIFY(decoded(write(series, '.')).endsWith("Y\t0\t1.5\t2.25\t#FF0000\t\r\n"));
    }

    void aFailingSinkStopsTheWriting()
    {
        ChartSeries y;
        for (int i = 0; i < 20000; ++i)
            y.add(i, i);
        const ChartFileSeries series[] = {{"Y", "#FF0000", &y}};
        int calls = 0;
        const bool ok = writeChartSpreadsheet(series, ',', [&](std::string_view) {
            ++calls;
            return false;
        });
        QVERIFY(!ok);
        QCOMPARE(calls, 1);
    }
};

QTEST_APPLESS_MAIN(TestChartFile)
#include "test_chart_file.moc"
