#include <QtTest>

#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include <qcustomplot.h>

#include <cmath>

#include "ConfigFile.h"
#include "FrameBytes.h"
#include "NamedChild.h"
#include "PageFit.h"
#include "RecordingDialogs.h"
#include "app/Program.h"
#include "app/TForm1.h"
#include "core/chart/ChartSeries.h"
#include "core/settings/SettingsFile.h"
#include "ui/chart/ChartControl.h"
#include "ui/chart/ChartPage.h"
#include "ui/chart/ChartPlottable.h"
#include "ui/chart/TKonigLiniiForm.h"
#include "ui/common/SaveProgress.h"
#include "ui/common/ValueLabel.h"
#include "ui/measure/IndicatorPage.h"
#include "ui/measure/MeasurementControl.h"

using namespace kx;

namespace {

// Irregular steps, so a page's axis tells its points apart.
double xOf(int i)
{
    return 0.5 * i + 0.1 * (i % 3);
}

// The axes' ranges a rectangle dragged from one point to another asks for, read off the axes
// as they stand before the drag.
struct ZoomTarget
{
    QCPRange keys;
    QCPRange values;
};

ZoomTarget zoomTarget(QCustomPlot* chart, QPoint from, QPoint to)
{
    const QRect r = QRect(from, to).normalized();
    QCPRange keys(chart->xAxis->pixelToCoord(r.left()), chart->xAxis->pixelToCoord(r.right()));
    QCPRange values(chart->yAxis->pixelToCoord(r.bottom()), chart->yAxis->pixelToCoord(r.top()));
    keys.normalize();
    values.normalize();
    return {keys, values};
}

// A rectangle dragged with the mouse; returns what it asks for.
ZoomTarget dragZoom(QCustomPlot* chart, QPoint from, QPoint to)
{
    const ZoomTarget target = zoomTarget(chart, from, to);
    QTest::mousePress(chart, Qt::LeftButton, {}, from);
    QTest::mouseMove(chart, to);
    QTest::mouseRelease(chart, Qt::LeftButton, {}, to);
    return target;
}

// A rectangle over the middle of the plot, 120 by 80 pixels.
ZoomTarget zoomMiddle(QCustomPlot* chart)
{
    chart->replot();
    const QPoint from = chart->axisRect()->rect().center() - QPoint(60, 40);
    return dragZoom(chart, from, from + QPoint(120, 80));
}

// Each range the spy saw lies on the way from `from` to `to`: both ends come nearer theirs at
// every step, every step but the last short of it, the last on it.
void checkWay(const QSignalSpy& spy, const QCPRange& from, const QCPRange& to)
{
    QCPRange previous = from;
    for (int i = 0; i < spy.count(); ++i) {
        const auto range = spy.at(i).at(0).value<QCPRange>();
        const bool last = i == spy.count() - 1;
        for (double QCPRange::*end : {&QCPRange::lower, &QCPRange::upper}) {
            const double goal = to.*end;
            QVERIFY2(std::abs(goal - range.*end) < std::abs(goal - previous.*end),
                     qPrintable(QString("step %1 goes back").arg(i + 1)));
            if (last)
                QCOMPARE(range.*end, goal);
            else
                QVERIFY2(range.*end != goal,
                         qPrintable(QString("step %1 of %2 arrived").arg(i + 1).arg(spy.count())));
        }
        previous = range;
    }
}

// A sample with every value active and showing y, at the given measurement time.
Sample sampleAt(double seconds, float y)
{
    Sample s;
    s.measureTime = seconds;
    s.active = {true, true, true};
    s.shown = {y, y + 1, y + 2};
    return s;
}

// The chart tab the way the main window hosts it, with points put in the series directly.
struct PagedChart
{
    ChartData data; // outlives the page that draws it
    ChartPage* page = new ChartPage(data);
    HostedPage host{page};
    QCustomPlot* chart = child<QCustomPlot>(page, "Chart1");
    QCheckBox* paging = child<QCheckBox>(page, "CheckBoxPaging");
    QCheckBox* tracking = child<QCheckBox>(page, "CheckBoxTracking");
    QSpinBox* perPage = child<QSpinBox>(page, "SamplesPerPage");
    ValueLabel* indicator = child<ValueLabel>(page, "PageIndicator");
    std::uint64_t generation = 0;

    bool complete() const { return chart && paging && tracking && perPage && indicator; }

    ChartSeries& series(Trace t) { return data.series(t); }
    void fill(Trace t, int count)
    {
        for (int i = 0; i < count; ++i)
            series(t).add(xOf(i), 10.0 * std::sin(i) + int(t));
        page->refresh(++generation);
    }
    void pageOn(int n)
    {
        perPage->setValue(n);
        if (!paging->isChecked())
            paging->click();
    }
    IndexRange shown(Trace t) const { return page->plottable(t)->shownRange(); }
    QCPRange keys() const { return chart->xAxis->range(); }
    QCPRange values() const { return chart->yAxis->range(); }
};

// The program's windows, fed frames as the link delivers them, on a clock the test moves.
struct Recording
{
    RecordingDialogs dialogs;
    Program program;
    TForm1* main = program.mainWindow();
    DeviceModel& model = main->model();
    MeasurementControl& measure = main->measurement();
    ChartPage* page = main->chartPage();
    int64_t now = 1000; // hundredths

    Recording()
    {
        measure.setClock([this] { return now; });
        main->link().PortOpen = true;
        model.Detected = true;
        model.TypeCode = 4;
        model.Stan.D1 = 10; // X1 and X2 arrive scaled by D × 0.1: as sent
        model.Stan.D2 = 10;
        main->indicatorPage()->setActive({true, true, true});
    }
    QPushButton* button(const char* name) { return child<QPushButton>(page, name); }
    // A sample at the given measurement time (the clock moved and an idle step ran).
    void sample(double y, double x1, double x2, uint8_t outputs = 0)
    {
        main->link().post(DataReceived,
                          measurement(uint8_t(0x07 | outputs), {float(y), float(x1), float(x2)}));
    }
    void advance(int64_t hundredths)
    {
        now += hundredths;
        measure.IdleStep();
    }
    const ChartSeries& series(Trace t) { return main->chart().data().series(t); }
    // The main window shown on the chart tab, recording count points a tenth of a second
    // apart, ten to a page: paging checked before the first showing, as config.ini does, and
    // switched on by it.
    bool showPagedRecording(int count)
    {
        page->setPaging({true, false, 10});
        main->show();
        auto* tabs = child<QTabWidget>(main, "PageControl1");
        if (!QTest::qWaitForWindowExposed(main) || !tabs || page->pointsPerPage() != 10)
            return false;
        tabs->setCurrentWidget(page);
        button("ButtonRecord")->click();
        for (int i = 0; i < count; ++i)
            main->chart().addSample(sampleAt(0.1 * i, float(i % 7)));
        main->chart().DisplayTick(false);
        return page->pageCount() == (count + 9) / 10;
    }
    std::vector<double> xs(Trace t)
    {
        std::vector<double> x;
        for (std::int64_t i = 0; i < series(t).size(); ++i)
            x.push_back(series(t).x(i));
        return x;
    }
};

// Answers the export window on its own.
struct ExportDialogs : RecordingDialogs
{
    QString exportName;
    QString exportFilter;
    int exportWindows = 0;
    QString exportFileName(const QString&, const QStringList& filters, QString* chosen) override
    {
        ++exportWindows;
        offered = filters;
        if (chosen)
            *chosen = exportFilter;
        return exportName;
    }
    QStringList offered;
};

QByteArray fileStart(const QString& path, int n)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.read(n) : QByteArray();
}

bool isWhite(QRgb p)
{
    return qRed(p) >= 0xC0 && qGreen(p) >= 0xC0 && qBlue(p) >= 0xC0;
}

// The mean difference of two pictures' colours over an area, per pixel.
double meanDifference(const QImage& a, const QImage& b, const QRect& area)
{
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (area.width() * area.height());
}

} // namespace

class TestChartRecording : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        writeDefaultConfig();
        qRegisterMetaType<QCPRange>();
    }

    // --- Paging, through the real chart widget --------------------------------------------

    void aPartlyFilledLastPageKeepsTheScaleOfAFullPage()
    {
        PagedChart c;
        QVERIFY(c.complete());
        c.fill(Trace::Y, 25);
        c.pageOn(10);
        QCOMPARE(c.page->pageCount(), 3);
        c.page->setCurrentPage(3);
        QCOMPARE(c.shown(Trace::Y), (IndexRange{20, 24}));
        QCOMPARE(c.keys().lower, xOf(20));
        QCOMPARE(c.keys().upper, xOf(20) + 10 * (xOf(24) - xOf(20)) / 5);
        QCOMPARE(c.indicator->text(), QString("Page 3 of 3"));
    }

    void aFullLastPageEndsAtItsLastPoint()
    {
        PagedChart c;
        c.fill(Trace::Y, 30);
        c.pageOn(10);
        c.page->setCurrentPage(3);
        QCOMPARE(c.shown(Trace::Y), (IndexRange{20, 29}));
        QCOMPARE(c.keys().lower, xOf(20));
        QCOMPARE(c.keys().upper, xOf(29));
    }

    void thePageIsBroughtIntoRange_data()
    {
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("shown");
        QTest::newRow("page 0") << 0 << 1;
        QTest::newRow("below 0") << -4 << 1;
        QTest::newRow("page 99 of 3") << 99 << 3;
        QTest::newRow("page 2") << 2 << 2;
    }

    void thePageIsBroughtIntoRange()
    {
        QFETCH(int, asked);
        PagedChart c;
        c.fill(Trace::Y, 25);
        c.pageOn(10);
        c.page->setCurrentPage(asked);
        QTEST(c.page->currentPage(), "shown");
    }

    void aPageFramesItsValues()
    {
        PagedChart c;
        c.fill(Trace::Y, 30);
        c.pageOn(10);
        c.page->setCurrentPage(2);
        double low = 1e300;
        double high = -1e300;
        for (int i = 10; i < 20; ++i) {
            low = std::min(low, c.series(Trace::Y).y(i));
            high = std::max(high, c.series(Trace::Y).y(i));
        }
        QCOMPARE(c.chart->yAxis->range().lower, low);
        // Room above the highest value.
        QVERIFY(c.chart->yAxis->range().upper > high);
        const double room = c.chart->yAxis->coordToPixel(high) -
                            c.chart->yAxis->coordToPixel(c.chart->yAxis->range().upper);
        QVERIFY2(std::abs(room - 10) < 1.5, qPrintable(QString::number(room)));
    }

    void switchingPagingOffShowsEverything()
    {
        PagedChart c;
        c.fill(Trace::Y, 25);
        c.pageOn(10);
        c.page->setCurrentPage(2);
        c.paging->click();
        QCOMPARE(c.page->pageCount(), 1);
        QCOMPARE(c.page->currentPage(), 1);
        QCOMPARE(c.indicator->text(), QString("Page 1 of 1"));
        QVERIFY(c.page->plottable(Trace::Y)->showsAll());
        QCOMPARE(c.keys().lower, xOf(0));
        QCOMPARE(c.keys().upper, xOf(24));
    }

    void pointsPerPageChangedWhileOffWaitsForTheSwitch()
    {
        PagedChart c;
        c.fill(Trace::Y, 25);
        c.perPage->setValue(12);
        QCOMPARE(c.page->pointsPerPage(), 0);
        QCOMPARE(c.page->pageCount(), 1);
        c.paging->click();
        QCOMPARE(c.page->pointsPerPage(), 12);
        QCOMPARE(c.page->pageCount(), 3);
        // Changed while on: at once, the page brought into range.
        c.page->setCurrentPage(3);
        c.perPage->setValue(20);
        QCOMPARE(c.page->pageCount(), 2);
        QCOMPARE(c.page->currentPage(), 2);
    }

    void aHiddenSeriesLeavesThePageCount()
    {
        PagedChart c;
        c.fill(Trace::Y, 25);
        c.fill(Trace::X1, 40);
        c.pageOn(10);
        QCOMPARE(c.page->pageCount(), 4);
        c.page->setCurrentPage(4);
        c.page->setSeriesShown(c.page->plottable(Trace::X1), false);
        QCOMPARE(c.page->pageCount(), 3);
        QCOMPARE(c.page->currentPage(), 3);
        c.page->setSeriesShown(c.page->plottable(Trace::X1), true);
        QCOMPARE(c.page->pageCount(), 4);
    }

    void theLegendsTickBoxHidesItsSeries()
    {
        PagedChart c;
        c.fill(Trace::X2, 5);
        c.chart->replot();
        QCPAbstractLegendItem* entry = c.chart->legend->item(int(Trace::X2));
        QVERIFY(entry);
        const QPoint at = entry->rect().center();
        QTest::mouseClick(c.chart, Qt::LeftButton, {}, at);
        QVERIFY(!c.page->plottable(Trace::X2)->visible());
        QTest::mouseClick(c.chart, Qt::LeftButton, {}, at);
        QVERIFY(c.page->plottable(Trace::X2)->visible());
    }

    void pagingWithoutPointsShowsAnEmptyPage()
    {
        PagedChart c;
        c.pageOn(10);
        QCOMPARE(c.page->pageCount(), 1);
        QCOMPARE(c.page->currentPage(), 1);
        QVERIFY(c.shown(Trace::Y).empty());
        c.page->setCurrentPage(5);
        QCOMPARE(c.page->currentPage(), 1);
        QVERIFY(c.page->plottable(Trace::Y)->keyExtent() == std::nullopt);
        c.chart->replot(); // draws nothing, reads nothing
    }

    void trackingFollowsEachNewLastPage()
    {
        PagedChart c;
        c.pageOn(10);
        for (int i = 0; i < 35; ++i) {
            c.series(Trace::Y).add(xOf(i), i);
            c.page->followLastPage();
            c.page->refresh(++c.generation);
            QCOMPARE(c.page->currentPage(), i / 10 + 1);
            QCOMPARE(c.page->currentPage(), c.page->pageCount());
        }
        QCOMPARE(c.shown(Trace::Y), (IndexRange{30, 34}));
    }

    void zoomAndShowAll()
    {
        PagedChart c;
        c.fill(Trace::Y, 25);
        c.chart->replot();
        const QCPRange full = c.keys();
        const QRect plot = c.chart->axisRect()->rect();
        // A rectangle smaller than 9 px either way is a click.
        const QPoint from = plot.center();
        QTest::mousePress(c.chart, Qt::LeftButton, {}, from);
        QTest::mouseMove(c.chart, from + QPoint(8, 40));
        QTest::mouseRelease(c.chart, Qt::LeftButton, {}, from + QPoint(8, 40));
        QVERIFY(!c.page->zoomed());
        QCOMPARE(c.keys(), full);
        const ZoomTarget target = dragZoom(c.chart, from, from + QPoint(60, 40));
        QVERIFY(c.page->zoomed());
        QTRY_COMPARE_WITH_TIMEOUT(c.keys(), target.keys, 10000);
        QVERIFY(c.keys().size() < full.size());
        // New points do not undo the zoom; "pokaż całość" does.
        c.series(Trace::Y).add(100, 1);
        c.page->refresh(++c.generation);
        QVERIFY(c.keys().size() < full.size());
        child<QPushButton>(c.page, "ButtonShowAll")->click();
        QVERIFY(!c.page->zoomed());
        QCOMPARE(c.keys().upper, 100.0);
    }

    // The zoom goes to its rectangle in 50 even steps the eye can follow.
    void theZoomMovesStepByStepToTheRectangle()
    {
        PagedChart c;
        c.fill(Trace::Y, 25);
        c.chart->replot();
        const QCPRange startKeys = c.keys();
        const QCPRange startValues = c.values();
        QSignalSpy keys(c.chart->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged));
        QSignalSpy values(c.chart->yAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged));
        const ZoomTarget target = zoomMiddle(c.chart);
        QVERIFY(c.page->zoomed());
        QTRY_COMPARE_WITH_TIMEOUT(keys.count(), 50, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(values.count(), 50, 10000);
        // Arrived, it stays.
        QTest::qWait(300);
        QCOMPARE(keys.count(), 50);
        QCOMPARE(values.count(), 50);
        checkWay(keys, startKeys, target.keys);
        checkWay(values, startValues, target.values);
        QCOMPARE(c.keys(), target.keys);
        QCOMPARE(c.values(), target.values);
    }

    // Whatever undoes the zoom while it is on its way stops it where the operator asked.
    void whatEndsTheZoomOnItsWay_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("page"); // shown after it
        QTest::newRow("double click") << "double click" << 1;
        QTest::newRow("pokaż całość") << "show all" << 1;
        QTest::newRow("next page") << "next page" << 2;
        QTest::newRow("last page") << "last page" << 3;
        QTest::newRow("paging off") << "paging off" << 1;
    }

    void whatEndsTheZoomOnItsWay()
    {
        QFETCH(QString, action);
        QFETCH(int, page);
        PagedChart c;
        c.fill(Trace::Y, 30);
        c.pageOn(10);
        c.chart->replot();
        QCPRange unzoomed; // what the page shown after shows
        if (action == "paging off") {
            c.paging->click();
            unzoomed = c.keys();
            c.paging->click();
        } else {
            c.page->setCurrentPage(page);
            unzoomed = c.keys();
        }
        c.page->setCurrentPage(1);
        const QCPRange firstPage = c.keys();
        QSignalSpy keys(c.chart->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged));
        const ZoomTarget target = zoomMiddle(c.chart);
        QVERIFY(keys.count() > 0 || keys.wait(10000));
        // On its way: off the page's range, short of the rectangle.
        QVERIFY(c.keys() != firstPage);
        QVERIFY(c.keys() != target.keys);

        if (action == "double click")
            QTest::mouseDClick(c.chart, Qt::LeftButton, {}, c.chart->axisRect()->rect().center());
        else if (action == "show all")
            child<QPushButton>(c.page, "ButtonShowAll")->click();
        else if (action == "next page")
            child<QToolButton>(c.page, "PageForward")->click();
        else if (action == "last page")
            child<QPushButton>(c.page, "ButtonLastPage")->click();
        else
            c.paging->click();
        QVERIFY(!c.page->zoomed());
        QCOMPARE(c.page->currentPage(), page);
        QCOMPARE(c.keys(), unzoomed);
        // Longer than the rest of the way would take: the axes stay.
        const int seen = keys.count();
        QTest::qWait(300);
        QCOMPARE(keys.count(), seen);
        QCOMPARE(c.keys(), unzoomed);
    }

    // --- Recording, through the program ---------------------------------------------------

    // The page and the zoom the operator left stay when the window comes back, hidden and
    // shown again or restored from the taskbar; only its first showing sets up the paging.
    void theViewStaysWhenTheWindowComesBack_data()
    {
        QTest::addColumn<bool>("hidden");
        QTest::newRow("hidden and shown again") << true;
        QTest::newRow("restored from the taskbar") << false;
    }

    void theViewStaysWhenTheWindowComesBack()
    {
        QFETCH(bool, hidden);
        Recording r;
        QVERIFY(r.showPagedRecording(35));
        r.page->setCurrentPage(3);
        QCustomPlot* chart = r.page->chart();
        const ZoomTarget target = zoomMiddle(chart);
        QTRY_COMPARE_WITH_TIMEOUT(chart->xAxis->range(), target.keys, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(chart->yAxis->range(), target.values, 10000);
        if (hidden) {
            r.main->hide();
            r.main->show();
        } else {
            // The window system shows a restored window again.
            r.main->showMinimized();
            QShowEvent shown;
            QApplication::sendEvent(r.main, &shown);
            r.main->showNormal();
        }
        QVERIFY(QTest::qWaitForWindowExposed(r.main));
        QCOMPARE(r.page->currentPage(), 3);
        QVERIFY(r.page->zoomed());
        QCOMPARE(chart->xAxis->range(), target.keys);
        QCOMPARE(chart->yAxis->range(), target.values);
    }

    void recordingAddsTheActiveValuesAndTheOutputLines()
    {
        Recording r;
        r.main->lineSettings() = {50, 0, 50, 75, 50, 150, 50, 225}; // the window's first values
        r.main->indicatorPage()->setActive({true, false, true});
        child<QPushButton>(r.main->indicatorPage(), "ButtonStart")->click();
        r.button("ButtonRecord")->click();
        r.advance(10);
        r.sample(1.5, 2.5, 3.5, 0x08); // PK1 on, PK2 off
        QCOMPARE(r.series(Trace::Y).size(), 1);
        QCOMPARE(r.series(Trace::X1).size(), 0); // not active
        QCOMPARE(r.series(Trace::X2).size(), 1);
        QCOMPARE(r.series(Trace::Y).x(0), 0.1);
        QCOMPARE(r.series(Trace::Y).y(0), 1.5);
        QCOMPARE(r.series(Trace::PK1).y(0), 50.0);
        QCOMPARE(r.series(Trace::PK2).y(0), 75.0);
        r.sample(1.5, 2.5, 3.5, 0x10); // PK2 on
        QCOMPARE(r.series(Trace::PK1).y(1), 0.0);
        QCOMPARE(r.series(Trace::PK2).y(1), 125.0);
    }

    void outputLinesAreComputedIn64Bits()
    {
        Recording r;
        r.main->lineSettings() = {2000000000, 2000000000, 0, -2147483647, 0, 0, 0, 0};
        r.button("ButtonRecord")->click();
        r.sample(1, 1, 1, 0x08);
        QCOMPARE(r.series(Trace::PK1).y(0), 4000000000.0);
        QCOMPARE(r.series(Trace::PK2).y(0), -2147483647.0);
    }

    void valuesThatAreNotFiniteAreLeftOut()
    {
        Recording r;
        r.button("ButtonRecord")->click();
        r.sample(std::nan(""), INFINITY, 2);
        QCOMPARE(r.series(Trace::Y).size(), 0);
        QCOMPARE(r.series(Trace::X1).size(), 0);
        QCOMPARE(r.series(Trace::X2).size(), 1);
    }

    void pauseTwiceLosesNothingAndAddsNothing()
    {
        Recording r;
        r.button("ButtonRecord")->click();
        for (int i = 0; i < 3; ++i) {
            r.advance(10);
            r.sample(i, i, i);
        }
        r.button("ButtonChartPause")->click();
        for (int i = 0; i < 4; ++i) {
            r.advance(10);
            r.sample(100, 100, 100);
        }
        QCOMPARE(r.series(Trace::Y).size(), 3);
        r.button("ButtonChartPause")->click();
        r.advance(10);
        r.sample(7, 7, 7);
        QCOMPARE(r.series(Trace::Y).size(), 4);
        QCOMPARE(r.series(Trace::Y).y(3), 7.0);
        for (std::int64_t i = 0; i < 4; ++i)
            QVERIFY(r.series(Trace::Y).y(i) != 100.0);
    }

    void pauseBeforeAnyRecordingStartsWithoutClearing()
    {
        Recording r;
        r.sample(1, 1, 1);
        QCOMPARE(r.series(Trace::Y).size(), 0);
        r.button("ButtonChartPause")->click();
        r.sample(2, 2, 2);
        QCOMPARE(r.series(Trace::Y).size(), 1);
    }

    void recordingGoesOnAcrossStopAndStart()
    {
        Recording r;
        auto* start = child<QPushButton>(r.main->indicatorPage(), "ButtonStart");
        auto* stop = child<QPushButton>(r.main->indicatorPage(), "ButtonStop");
        r.button("ButtonRecord")->click();
        start->click();
        for (double y : {1.0, 2.0, 3.0}) {
            r.advance(10); // 0.1, 0.2, 0.3 s
            r.sample(y, 0, 0);
        }
        stop->click();
        start->click();
        r.advance(10); // 0.1 s again: after the first point at 0.1
        r.sample(4, 0, 0);
        r.advance(5); // 0.15 s: between the old points
        r.sample(5, 0, 0);
        QCOMPARE(r.xs(Trace::Y), (std::vector<double>{0.1, 0.1, 0.15, 0.2, 0.3}));
        std::vector<double> ys;
        for (std::int64_t i = 0; i < 5; ++i)
            ys.push_back(r.series(Trace::Y).y(i));
        // Equal x in arrival order: the old point, then the new.
        QCOMPARE(ys, (std::vector<double>{1, 4, 5, 2, 3}));
    }

    void theChartsResetRestartsOnlyTheTime()
    {
        Recording r;
        auto* start = child<QPushButton>(r.main->indicatorPage(), "ButtonStart");
        start->click();
        r.advance(150);
        QCOMPARE(r.measure.scheduler().MeasureTime(), 1.5);
        r.sample(1, 1, 1);
        r.button("ButtonRecord")->click();
        QCOMPARE(r.measure.scheduler().MeasureTime(), 0.0);
        QCOMPARE(r.series(Trace::Y).size(), 0);
        r.advance(10);
        r.sample(1, 1, 1);
        r.button("ButtonChartStop")->click();
        QCOMPARE(r.measure.scheduler().MeasureTime(), 0.0);
        QCOMPARE(r.series(Trace::Y).size(), 0);
        r.sample(1, 1, 1);
        QCOMPARE(r.series(Trace::Y).size(), 0); // stopped
        QVERIFY(r.model.GO);                    // the measurement runs on
    }

    void clearKeepsTheRecordingState()
    {
        Recording r;
        r.button("ButtonRecord")->click();
        r.sample(1, 1, 1);
        r.button("ButtonChartClear")->click();
        QCOMPARE(r.series(Trace::Y).size(), 0);
        r.sample(2, 2, 2);
        QCOMPARE(r.series(Trace::Y).size(), 1);
    }

    void theLinesButtonShowsTheLineWindow()
    {
        Recording r;
        auto* window = r.main->findChild<TKonigLiniiForm*>();
        QVERIFY(window);
        r.button("ButtonLines")->click();
        QVERIFY(window->isVisible());
        QVERIFY(!window->isModal());
        window->close();
    }

    // --- The chart's files ------------------------------------------------------------------

    // A name typed without an extension gets the one of the format the file is in; one typed
    // with an extension is kept.
    void aTypedNameGetsItsFormatsExtension_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QByteArray>("start");
        const QByteArray bmp("BM");
        const QByteArray jpeg("\xFF\xD8");
        QTest::newRow("bmp, no extension") << "ButtonSaveBmp"
                                           << "wykres"
                                           << "wykres.bmp" << bmp;
        QTest::newRow("bmp, .bmp") << "ButtonSaveBmp"
                                   << "wykres.bmp"
                                   << "wykres.bmp" << bmp;
        QTest::newRow("bmp, .BMP") << "ButtonSaveBmp"
                                   << "WYKRES.BMP"
                                   << "WYKRES.BMP" << bmp;
        QTest::newRow("bmp, dotted folder") << "ButtonSaveBmp"
                                            << "dane.v2/wykres"
                                            << "dane.v2/wykres.bmp" << bmp;
        QTest::newRow("jpg, no extension") << "ButtonSaveJpg"
                                           << "wykres"
                                           << "wykres.jpg" << jpeg;
        QTest::newRow("jpg, .jpg") << "ButtonSaveJpg"
                                   << "wykres.jpg"
                                   << "wykres.jpg" << jpeg;
        QTest::newRow("jpg, .jpeg") << "ButtonSaveJpg"
                                    << "wykres.jpeg"
                                    << "wykres.jpeg" << jpeg;
        QTest::newRow("jpg, dotted folder") << "ButtonSaveJpg"
                                            << "dane.v2/wykres"
                                            << "dane.v2/wykres.jpg" << jpeg;
    }

    void aTypedNameGetsItsFormatsExtension()
    {
        QFETCH(QString, button);
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        QFETCH(QByteArray, start);
        ExportDialogs dialogs; // the export window after the JPEG is cancelled
        Recording r;
        setDialogs(&dialogs); // over the fixture's own
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("dane.v2"));
        dialogs.fileName = dir.filePath(typed);
        r.button(qPrintable(button))->click();
        QCOMPARE(fileStart(dir.filePath(saved), start.size()), start);
        if (saved != typed)
            QVERIFY(!QFileInfo::exists(dir.filePath(typed)));
        QVERIFY(dialogs.messages.isEmpty());
    }

    // The export window after the JPEG: a name without an extension gets the chosen format's.
    void theExportGetsTheChosenFormatsExtension_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("png") << "PNG (*.png)"
                             << "kopia"
                             << "kopia.png" << QByteArray("\x89PNG");
        QTest::newRow("pdf") << "PDF (*.pdf)"
                             << "kopia"
                             << "kopia.pdf" << QByteArray("%PDF-");
        QTest::newRow("bmp") << "BMP (*.bmp)"
                             << "kopia"
                             << "kopia.bmp" << QByteArray("BM");
        QTest::newRow("jpeg") << "JPEG (*.jpg)"
                              << "kopia"
                              << "kopia.jpg" << QByteArray("\xFF\xD8");
        QTest::newRow("png, .png kept") << "PNG (*.png)"
                                        << "kopia.png"
                                        << "kopia.png" << QByteArray("\x89PNG");
        QTest::newRow("png, dotted folder") << "PNG (*.png)"
                                            << "dane.v2/kopia"
                                            << "dane.v2/kopia.png" << QByteArray("\x89PNG");
    }

    void theExportGetsTheChosenFormatsExtension()
    {
        QFETCH(QString, filter);
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        QFETCH(QByteArray, start);
        ExportDialogs dialogs;
        Recording r;
        setDialogs(&dialogs); // over the fixture's own
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("dane.v2"));
        dialogs.fileName = dir.filePath("wykres.jpg");
        dialogs.exportName = dir.filePath(typed);
        dialogs.exportFilter = filter;
        r.button("ButtonSaveJpg")->click();
        QCOMPARE(dialogs.exportWindows, 1);
        QCOMPARE(fileStart(dir.filePath(saved), start.size()), start);
        if (saved != typed)
            QVERIFY(!QFileInfo::exists(dir.filePath(typed)));
        QVERIFY(dialogs.messages.isEmpty());
    }

    // A saved picture is the chart as the tab shows it: the page indicator where it stands
    // over the chart, and everywhere else the chart's own picture.
    void aSavedPictureCarriesThePageIndicator()
    {
        ExportDialogs dialogs; // the export window after the JPEG is cancelled
        Recording r;
        setDialogs(&dialogs); // over the fixture's own
        QVERIFY(r.showPagedRecording(35));
        r.page->setCurrentPage(2);
        QCustomPlot* chart = r.page->chart();
        auto* indicator = r.page->findChild<QWidget*>("PageIndicator");
        auto* back = child<QToolButton>(r.page, "PageBack");
        auto* forward = child<QToolButton>(r.page, "PageForward");
        QVERIFY(indicator && back && forward);
        QCOMPARE(indicator->property("text").toString(), QString("Page 2 of 4"));
        QTemporaryDir dir;
        auto save = [&](const char* button, const QString& name) {
            dialogs.fileName = dir.filePath(name);
            r.button(button)->click();
            return QImage(dir.filePath(name)).convertToFormat(QImage::Format_RGB32);
        };
        const QImage bmp = save("ButtonSaveBmp", "strona.bmp");
        const QImage jpeg = save("ButtonSaveJpg", "strona.jpg");
        QVERIFY(dialogs.messages.isEmpty());
        const QImage plain = chart->toPixmap().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(bmp.size(), plain.size());
        QCOMPARE(jpeg.size(), plain.size());

        auto onChart = [chart](QWidget* w) {
            return QRect(w->mapTo(chart, QPoint(0, 0)), w->size());
        };
        const QRect bar = onChart(back).united(onChart(forward));
        const QRect text = onChart(indicator);
        QVERIFY(bar.contains(text));
        QVERIFY(plain.rect().contains(bar));
        // The chart's own picture around the indicator...
        int changedElsewhere = 0;
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x)
                if (!bar.contains(x, y) && bmp.pixel(x, y) != plain.pixel(x, y))
                    ++changedElsewhere;
        QCOMPARE(changedElsewhere, 0);
        // ...and the indicator's white text over it.
        int textPixels = 0;
        for (int y = text.top(); y <= text.bottom(); ++y)
            for (int x = text.left(); x <= text.right(); ++x)
                if (isWhite(bmp.pixel(x, y)) && !isWhite(plain.pixel(x, y)))
                    ++textPixels;
        QVERIFY2(textPixels >= 20, qPrintable(QString::number(textPixels)));
        // The JPEG, over the indicator, is much nearer the BMP than the chart alone.
        const double toBmp = meanDifference(jpeg, bmp, text);
        const double toPlain = meanDifference(jpeg, plain, text);
        QVERIFY2(2 * toBmp < toPlain, qPrintable(QString("%1 %2").arg(toBmp).arg(toPlain)));
    }

    void aJpegThenTheExportWindow()
    {
        ExportDialogs dialogs;
        Recording r;
        setDialogs(&dialogs); // over the fixture's own
        QTemporaryDir dir;
        dialogs.fileName = dir.filePath("wykres.jpg");
        dialogs.exportName = dir.filePath("wykres.pdf");
        dialogs.exportFilter = "PDF (*.pdf)";
        r.button("ButtonSaveJpg")->click();
        QCOMPARE(fileStart(dir.filePath("wykres.jpg"), 2), QByteArray("\xFF\xD8"));
        QCOMPARE(dialogs.exportWindows, 1);
        QCOMPARE(dialogs.offered,
                 (QStringList{"BMP (*.bmp)", "JPEG (*.jpg)", "PNG (*.png)", "PDF (*.pdf)"}));
        QCOMPARE(fileStart(dir.filePath("wykres.pdf"), 5), QByteArray("%PDF-"));
        dialogs.exportName = dir.filePath("wykres.png");
        dialogs.exportFilter = "PNG (*.png)";
        r.button("ButtonSaveJpg")->click();
        QCOMPARE(fileStart(dir.filePath("wykres.png"), 4), QByteArray("\x89PNG"));
    }

    void aCancelledJpegDialogDoesNothing()
    {
        ExportDialogs dialogs;
        Recording r;
        setDialogs(&dialogs); // over the fixture's own
        dialogs.fileName.clear();
        r.button("ButtonSaveJpg")->click();
        QCOMPARE(dialogs.exportWindows, 0);
        QVERIFY(dialogs.messages.isEmpty());
    }

    void theSpreadsheetHoldsEveryPoint()
    {
        Recording r;
        QTemporaryDir dir;
        r.button("ButtonRecord")->click();
        r.sample(1.5, 2, 3);
        r.dialogs.fileName = dir.filePath("wykres.xls");
        r.button("ButtonSaveExcel")->click();
        QFile f(dir.filePath("wykres.xls"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.value(0),
                 QByteArray("Seria\tIndeks\tczas [s]\tk\xB9t [ \xB0]\tKolor\tEtykieta\r"));
        // Y, X1, X2, PK1, PK2: one point each, in the chart's order, comma decimals.
        QCOMPARE(lines.size(), 1 + 5 + 1);
        QVERIFY(lines.value(1).startsWith("Y (Warto\x9C\xE6 mierzona)\t0\t0\t1,5\t#FF0000\t"));
        QVERIFY(lines.value(5).startsWith("PK2\t0\t0\t"));
        QVERIFY(lines.value(5).contains("#FFFFFF"));
    }

    // A long spreadsheet shows its progress and lets the program go on while it is written;
    // a sample that comes meanwhile waits and joins the chart once the file is done, so the
    // file holds exactly the points from before it.
    void aSampleDuringTheSpreadsheetWaitsForIt()
    {
        SaveProgress::setShowAfterMs(0);
        auto defaultDelay = qScopeGuard([] { SaveProgress::setShowAfterMs(500); });
        Recording r;
        r.button("ButtonRecord")->click();
        constexpr int kPoints = 3000; // several chunks of the file
        for (int i = 0; i < kPoints; ++i)
            r.main->chart().addSample(sampleAt(0.01 * i, float(i % 100)));
        QCOMPARE(r.series(Trace::Y).size(), kPoints);
        QTemporaryDir dir;
        const QString target = dir.filePath("wykres.xls");
        r.dialogs.fileName = target;

        bool progressShown = false;
        bool fileUnfinished = false;
        std::int64_t pointsMeanwhile = -1;
        QTimer meanwhile; // the next sample, as soon as the program handles events
        meanwhile.setSingleShot(true);
        connect(&meanwhile, &QTimer::timeout, [&] {
            auto* progress = r.main->findChild<QProgressDialog*>();
            progressShown = progress && progress->isVisible();
            fileUnfinished = !QFileInfo::exists(target);
            r.main->chart().addSample(sampleAt(100, 8888.5f));
            pointsMeanwhile = r.series(Trace::Y).size();
        });
        meanwhile.start(0);
        r.button("ButtonSaveExcel")->click();
        QVERIFY2(fileUnfinished, "no event was handled while the file was written");
        QVERIFY(progressShown);
        QCOMPARE(pointsMeanwhile, std::int64_t(kPoints));
        QVERIFY(r.dialogs.messages.isEmpty());

        QFile f(target);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 1 + 5 * kPoints + 1);
        QVERIFY(std::none_of(lines.begin(), lines.end(),
                             [](const QByteArray& line) { return line.contains("\t8888"); }));
        QVERIFY(lines.value(kPoints).startsWith("Y (Warto"));
        QVERIFY(lines.value(kPoints + 1).startsWith("X1"));
        // Then the chart: the sample after the file's points, the progress gone.
        QCOMPARE(r.series(Trace::Y).size(), kPoints + 1);
        QCOMPARE(r.series(Trace::Y).y(kPoints), 8888.5);
        QCOMPARE(r.series(Trace::PK2).size(), kPoints + 1);
        QVERIFY(!r.main->findChild<QProgressDialog*>());
    }

    void aFileThatCannotBeWrittenIsReported_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("bmp") << "ButtonSaveBmp";
        QTest::newRow("jpg") << "ButtonSaveJpg";
        QTest::newRow("excel") << "ButtonSaveExcel";
    }

    void aFileThatCannotBeWrittenIsReported()
    {
        QFETCH(QString, button);
        ExportDialogs dialogs;
        Recording r;
        setDialogs(&dialogs); // over the fixture's own
        QTemporaryDir dir;
        // Root writes anywhere: a folder that does not exist stops it.
        const QString target = dir.filePath("brak/wykres.bmp");
        dialogs.fileName = target;
        r.button(qPrintable(button))->click();
        QCOMPARE(dialogs.texts(), QStringList{QString::fromUtf8("Nie można zapisać pliku:\n") +
                                              QDir::toNativeSeparators(target)});
        QVERIFY(!QFile::exists(target));
        QCOMPARE(dialogs.exportWindows, 0); // a failed JPEG goes no further
    }

    void aFieldChangedByKeyboardIsKeptAndWrittenAtClose()
    {
        {
            Recording r;
            auto* window = r.main->findChild<TKonigLiniiForm*>();
            r.button("ButtonLines")->click();
            QSpinBox* f2 = window->offsetField(1);
            auto* edit = f2->findChild<QLineEdit*>();
            QVERIFY(edit);
            edit->selectAll();
            QTest::keyClicks(edit, "321");
            QCOMPARE(r.main->lineSettings()[3], 321);
            window->close(); // by the title bar, not "OK"
            r.button("ButtonLines")->click();
            QCOMPARE(window->offsetField(1)->value(), 321);
            // The chart's line follows from the next sample on.
            r.button("ButtonRecord")->click();
            r.sample(1, 1, 1);
            QCOMPARE(r.series(Trace::PK2).y(0), 321.0);
            r.main->close();
        }
        QFile config("config.ini");
        QVERIFY(config.open(QIODevice::ReadOnly));
        QCOMPARE(readSettings(config.readAll().toStdString()).LineSettings[3], 321);
        writeDefaultConfig();
    }
};

QTEST_MAIN(TestChartRecording)
#include "test_chart_recording.moc"
