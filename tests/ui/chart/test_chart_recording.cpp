#include <QtTest>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>

#include <qcustomplot.h>

#include <cmath>

#include "ConfigFile.h"
#include "FrameBytes.h"
#include "NamedChild.h"
#include "PageFit.h"
#include "RecordingDialogs.h"
#include "app/Program.h"
#include "core/settings/SettingsFile.h"
#include "app/TForm1.h"
#include "ui/chart/ChartControl.h"
#include "ui/chart/ChartPage.h"
#include "ui/chart/ChartPlottable.h"
#include "core/chart/ChartSeries.h"
#include "ui/measure/IndicatorPage.h"
#include "ui/measure/MeasurementControl.h"
#include "ui/chart/TKonigLiniiForm.h"

using namespace kx;

namespace {

// Irregular steps, so a page's axis tells its points apart.
double xOf(int i)
{
    return 0.5 * i + 0.1 * (i % 3);
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
    QLabel* indicator = child<QLabel>(page, "PageIndicator");
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

} // namespace

class TestChartRecording : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { writeDefaultConfig(); }

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
        QTest::mousePress(c.chart, Qt::LeftButton, {}, from);
        QTest::mouseMove(c.chart, from + QPoint(60, 40));
        QTest::mouseRelease(c.chart, Qt::LeftButton, {}, from + QPoint(60, 40));
        QVERIFY(c.page->zoomed());
        QVERIFY(c.keys().size() < full.size());
        // New points do not undo the zoom; "pokaż całość" does.
        c.series(Trace::Y).add(100, 1);
        c.page->refresh(++c.generation);
        QVERIFY(c.keys().size() < full.size());
        child<QPushButton>(c.page, "ButtonShowAll")->click();
        QVERIFY(!c.page->zoomed());
        QCOMPARE(c.keys().upper, 100.0);
    }

    // --- Recording, through the program ---------------------------------------------------

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

    void aBmpPictureUnderExactlyTheChosenName()
    {
        Recording r;
        QTemporaryDir dir;
        r.dialogs.fileName = dir.filePath("wykres"); // no extension: none is added
        r.button("ButtonSaveBmp")->click();
        QCOMPARE(fileStart(dir.filePath("wykres"), 2), QByteArray("BM"));
        QVERIFY(r.dialogs.messages.isEmpty());
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
