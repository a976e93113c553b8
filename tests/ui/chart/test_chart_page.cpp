#include <QtTest>

#include "NamedChild.h"
#include "PageFit.h"
#include "WidgetTexts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

#include <qcustomplot.h>

#include "ui/chart/ChartPage.h"
#include "ui/chart/ChartPlottable.h"

#include "ui/common/ValueLabel.h"

using namespace kx;

namespace {

const QColor kRed{0xFF, 0x00, 0x00};
const QColor kLime{0x00, 0xFF, 0x00};
const QColor kAqua{0x00, 0xFF, 0xFF};
const QColor kWhite{0xFF, 0xFF, 0xFF};
const QColor kOrange{0xFF, 0x80, 0x00};
const QColor kBlack{0x00, 0x00, 0x00};

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

class TestChartPage : public QObject
{
    Q_OBJECT

private slots:
    void chartControls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("text");
        const QString dashes = QStringLiteral("-----------");
        const struct
        {
            const char* name;
            const char* className;
            const char* text;
        } rows[] = {
            {"Chart1", "QCustomPlot", ""},
            {"ChartYField", "kx::ValueLabel", "-----------"},
            {"ChartX1Field", "kx::ValueLabel", "-----------"},
            {"ChartX2Field", "kx::ValueLabel", "-----------"},
            {"ButtonRecord", "QPushButton", "Nagrywaj wykres"},
            {"ButtonChartPause", "QPushButton", "pauza"},
            {"ButtonChartStop", "QPushButton", "stop"},
            {"ButtonChartClear", "QPushButton", "wyczyść wykres"},
            {"ButtonShowAll", "QPushButton", "   pokaż całość"},
            {"ButtonLines", "QPushButton", "    konfiguruj linie wyjsc..."},
            {"GroupBoxPaging", "QGroupBox", "Stronicowanie"},
            {"CheckBoxPaging", "QCheckBox", "włącz stronicowanie"},
            {"CheckBoxTracking", "QCheckBox", "śledzenie ostatniej strony"},
            {"SamplesPerPage", "QSpinBox", ""},
            {"ChartRateLabel", "kx::ValueLabel", ""},
            {"ButtonFirstPage", "QPushButton", ""},
            {"ButtonLastPage", "QPushButton", ""},
            {"PageIndicator", "kx::ValueLabel", "Page 1 of 1"},
            {"PageBack", "QToolButton", ""},
            {"PageForward", "QToolButton", ""},
            {"ButtonSaveBmp", "QPushButton", "    Zapisz jako bmp..."},
            {"ButtonSaveExcel", "QPushButton", "  Zapisz jako excel..."},
            {"ButtonSaveJpg", "QPushButton", "     Zapisz jako jpg..."},
        };
        for (const auto& r : rows)
            QTest::newRow(r.name) << r.name << r.className << u(r.text);
    }

    void chartControls()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QFETCH(QString, text);
        ChartData data; // outlives the page that draws it
        ChartPage page(data);
        checkNamedControl(page, name, className, text);
    }

    void chartControlsSitInTheirGroups()
    {
        ChartData data; // outlives the page that draws it
        ChartPage page(data);
        auto* paging = child<QGroupBox>(page, "GroupBoxPaging");
        QVERIFY(paging);
        // The paging controls, "sample rate:" and the two page buttons form one group.
        for (const char* name : {"CheckBoxPaging", "CheckBoxTracking", "SamplesPerPage",
                                 "ChartRateLabel", "ButtonFirstPage", "ButtonLastPage"}) {
            auto* w = child<QWidget>(page, name);
            QVERIFY(w);
            QVERIFY2(paging->isAncestorOf(w), name);
        }
        // The page indicator is drawn on the chart.
        auto* chart = child<QCustomPlot>(page, "Chart1");
        auto* indicator = child<ValueLabel>(page, "PageIndicator");
        QVERIFY(chart && indicator);
        QVERIFY(chart->isAncestorOf(indicator));
    }

    void chartButtonHints_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("hint");
        QTest::newRow("record") << "ButtonRecord"
                                << "Nagrywaj wykres";
        QTest::newRow("pause") << "ButtonChartPause"
                               << "pauza";
        QTest::newRow("stop") << "ButtonChartStop"
                              << "stop";
        QTest::newRow("clear") << "ButtonChartClear" << u("wyczyść wykres");
        QTest::newRow("show all") << "ButtonShowAll" << u("ustawia zoom wykresu na pełen ekran");
        QTest::newRow("line window")
            << "ButtonLines" << u("konfiguracja wysokości linii PK1 i PK2");
    }

    void chartButtonHints()
    {
        QFETCH(QString, name);
        QFETCH(QString, hint);
        ChartData data; // outlives the page that draws it
        ChartPage page(data);
        auto* button = page.findChild<QPushButton*>(name);
        QVERIFY(button);
        QCOMPARE(button->toolTip(), hint);
    }

    void chartSmallFields_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("text");
        QTest::newRow("Y red") << "ChartYField" << kRed;
        QTest::newRow("X1 lime") << "ChartX1Field" << kLime;
        QTest::newRow("X2 aqua") << "ChartX2Field" << kAqua;
    }

    void chartSmallFields()
    {
        QFETCH(QString, name);
        QFETCH(QColor, text);
        ChartData data; // outlives the page that draws it
        ChartPage page(data);
        auto* field = page.findChild<ValueLabel*>(name);
        QVERIFY(field);
        QCOMPARE(field->palette().color(QPalette::WindowText), text);
        QCOMPARE(field->palette().color(QPalette::Window), kBlack);
        QVERIFY(field->autoFillBackground());
    }

    void chartSeries_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<bool>("stairs");
        QTest::newRow("Y") << int(Trace::Y) << u("Y (Wartość mierzona)") << kRed << false;
        QTest::newRow("X1") << int(Trace::X1) << u("X1 (kanał 1)") << kLime << false;
        QTest::newRow("X2") << int(Trace::X2) << u("X2 (kanał 2)") << kAqua << false;
        QTest::newRow("PK1 stairs") << int(Trace::PK1) << "PK1" << kWhite << true;
        QTest::newRow("PK2 stairs") << int(Trace::PK2) << "PK2" << kOrange << true;
    }

    void chartSeries()
    {
        QFETCH(int, index);
        QFETCH(QString, title);
        QFETCH(QColor, colour);
        QFETCH(bool, stairs);
        ChartData data; // outlives the page that draws it
        ChartPage page(data);
        auto* chart = child<QCustomPlot>(page, "Chart1");
        QVERIFY(chart);
        QCOMPARE(chart->plottableCount(), kTraceCount);
        auto* series = qobject_cast<ChartPlottable*>(chart->plottable(index));
        QVERIFY(series);
        QCOMPARE(series, page.plottable(static_cast<Trace>(index)));
        QCOMPARE(series->name(), title);
        QCOMPARE(series->pen().color(), colour);
        QCOMPARE(series->pen().width(), 2);
        QCOMPARE(series->style(),
                 stairs ? ChartPlottable::Style::StepLeft : ChartPlottable::Style::Line);
        QVERIFY(series->visible());
        QVERIFY(series->series().empty());
        // One legend entry per series, in the series' colour.
        QCPAbstractLegendItem* entry = chart->legend->item(index);
        QVERIFY(entry);
        QCOMPARE(entry->textColor(), colour);
    }

    void chartAxesAndLegend()
    {
        ChartData data; // outlives the page that draws it
        ChartPage page(data);
        auto* chart = child<QCustomPlot>(page, "Chart1");
        QVERIFY(chart);
        QCOMPARE(chart->xAxis->label(), u("czas [s]"));
        QCOMPARE(chart->yAxis->label(), u("kąt [ °]"));
        for (QCPAxis* axis : {chart->xAxis, chart->yAxis}) {
            QCOMPARE(axis->labelColor(), kWhite);
            QCOMPARE(axis->tickLabelColor(), kWhite);
            QVERIFY(axis->grid()->subGridVisible());
        }
        QVERIFY(chart->legend->visible());
        QCOMPARE(chart->legend->itemCount(), kTraceCount);
        QCOMPARE(chart->legend->iconSize().width(), 10);
        // Zoom by a rectangle of our own rule (the smallest one).
        QCOMPARE(int(chart->selectionRectMode()), int(QCP::srmCustom));
        QCOMPARE(chart->cursor().shape(), Qt::CrossCursor);
    }

    void chartInitialStates()
    {
        ChartData data; // outlives the page that draws it
        ChartPage page(data);
        auto* pagingBox = child<QCheckBox>(page, "CheckBoxPaging");
        auto* trackingBox = child<QCheckBox>(page, "CheckBoxTracking");
        auto* samplesPerPage = child<QSpinBox>(page, "SamplesPerPage");
        auto* rate = child<ValueLabel>(page, "ChartRateLabel");
        QVERIFY(pagingBox && trackingBox && samplesPerPage && rate);
        QVERIFY(!pagingBox->isChecked());
        QVERIFY(!trackingBox->isChecked());
        QCOMPARE(samplesPerPage->value(), 10);
        QCOMPARE(rate->text(), QString());
    }

    void samplesPerPageRange_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("shown");
        QTest::newRow("below the minimum") << 5 << 10;
        QTest::newRow("zero") << 0 << 10;
        QTest::newRow("minimum") << 10 << 10;
        QTest::newRow("inside") << 250 << 250;
        QTest::newRow("maximum, signed 16-bit") << 32767 << 32767;
        QTest::newRow("beyond the maximum") << 40000 << 32767;
    }

    void samplesPerPageRange()
    {
        QFETCH(int, value);
        QFETCH(int, shown);
        ChartData data; // outlives the page that draws it
        ChartPage page(data);
        auto* samplesPerPage = child<QSpinBox>(page, "SamplesPerPage");
        QVERIFY(samplesPerPage);
        samplesPerPage->setValue(100);
        samplesPerPage->setValue(value);
        QCOMPARE(samplesPerPage->value(), shown);
        QCOMPARE(samplesPerPage->minimum(), 10);
        QCOMPARE(samplesPerPage->maximum(), 32767);
    }

    void pageIndicator_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("back");
        QTest::addColumn<bool>("forward");
        QTest::newRow("only page") << 1 << 1 << "Page 1 of 1" << false << false;
        QTest::newRow("first of three") << 1 << 3 << "Page 1 of 3" << false << true;
        QTest::newRow("middle") << 2 << 3 << "Page 2 of 3" << true << true;
        QTest::newRow("last of three") << 3 << 3 << "Page 3 of 3" << true << false;
        QTest::newRow("many pages") << 120 << 3277 << "Page 120 of 3277" << true << true;
    }

    void pageIndicator()
    {
        QFETCH(int, page);
        QFETCH(int, count);
        QFETCH(QString, text);
        QFETCH(bool, back);
        QFETCH(bool, forward);
        ChartData data;
        ChartPage chartPage(data);
        auto* indicator = child<ValueLabel>(chartPage, "PageIndicator");
        auto* backButton = child<QToolButton>(chartPage, "PageBack");
        auto* forwardButton = child<QToolButton>(chartPage, "PageForward");
        QVERIFY(indicator && backButton && forwardButton);
        chartPage.setPageIndicator(page, count);
        QCOMPARE(indicator->text(), text);
        QCOMPARE(backButton->isEnabled(), back);
        QCOMPARE(forwardButton->isEnabled(), forward);
        QCOMPARE(backButton->width(), 12);
        QCOMPARE(forwardButton->width(), 12);
    }

    // A screen reader or UI automation reads the page the chart shows, as it reads the other
    // read-outs: the caption as the name, the text through the text interface.
    void pageIndicatorReadsOut_data() { pageIndicator_data(); }

    void pageIndicatorReadsOut()
    {
        QFETCH(int, page);
        QFETCH(int, count);
        QFETCH(QString, text);
        ChartData data;
        ChartPage chartPage(data);
        auto* indicator = chartPage.findChild<QWidget*>("PageIndicator");
        QVERIFY(indicator);
        chartPage.setPageIndicator(page, count);
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(indicator);
        QVERIFY(face);
        QCOMPARE(face->text(QAccessible::Name), u("strona wykresu"));
        QCOMPARE(face->text(QAccessible::Value), text);
        QAccessibleTextInterface* read = face->textInterface();
        QVERIFY2(read, "no text interface: the page is hidden from assistive technology");
        QCOMPARE(read->text(0, read->characterCount()), text);
    }

    void pageIndicatorSitsBottomRightOfTheChart()
    {
        ChartData data;
        auto* page = new ChartPage(data);
        HostedPage host(page);
        QVERIFY(QTest::qWaitForWindowExposed(&host.tabs));
        page->setPageIndicator(12, 345);
        auto* chart = child<QCustomPlot>(page, "Chart1");
        auto* indicator = child<ValueLabel>(page, "PageIndicator");
        auto* backButton = child<QToolButton>(page, "PageBack");
        auto* forwardButton = child<QToolButton>(page, "PageForward");
        QVERIFY(chart && indicator && backButton && forwardButton);
        const QRect chartRect = chart->rect();
        auto onChart = [chart](QWidget* w) {
            return QRect(w->mapTo(chart, QPoint(0, 0)), w->size());
        };
        const QRect back = onChart(backButton);
        const QRect text = onChart(indicator);
        const QRect forward = onChart(forwardButton);
        for (const QRect& r : {back, text, forward}) {
            QVERIFY(chartRect.contains(r));
            QVERIFY(r.bottom() > chartRect.height() * 9 / 10);
        }
        QVERIFY(forward.right() > chartRect.width() * 9 / 10);
        QVERIFY(back.right() < text.left());
        QVERIFY(text.right() < forward.left());
        QVERIFY(indicator->contentsRect().width() >=
                indicator->fontMetrics().horizontalAdvance(indicator->text()));
    }

    void accessibleNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const struct
        {
            const char* name;
            const char* expected;
        } rows[] = {
            {"Chart1", "Wykres"},
            {"ChartYField", "Y (Wartość mierzona)"},
            {"ChartX1Field", "X1 (kanał 1)"},
            {"ChartX2Field", "X2 (kanał 2)"},
            {"ButtonRecord", "Nagrywaj wykres"},
            {"ButtonChartPause", "pauza"},
            {"ButtonShowAll", "   pokaż całość"},
            {"CheckBoxPaging", "włącz stronicowanie"},
            {"CheckBoxTracking", "śledzenie ostatniej strony"},
            {"SamplesPerPage", "próbki na strone"},
            {"ChartRateLabel", "sample rate:"},
            {"ButtonFirstPage", "pierwsza strona"},
            {"ButtonLastPage", "ostatnia strona"},
            {"PageBack", "poprzednia strona"},
            {"PageForward", "następna strona"},
            {"ButtonSaveJpg", "     Zapisz jako jpg..."},
        };
        for (const auto& r : rows)
            QTest::newRow(r.name) << r.name << u(r.expected);
    }

    void accessibleNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        ChartData data; // outlives the page that draws it
        ChartPage page(data);
        auto* control = page.findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(accessibleName(control), expected);
    }

    void fitsWithoutOverlapOrClipping()
    {
        ChartData data;
        auto* page = new ChartPage(data);
        HostedPage host(page);
        QVERIFY(QTest::qWaitForWindowExposed(&host.tabs));
        checkFitsWithoutOverlap(page, 9);
    }
};

QTEST_MAIN(TestChartPage)
#include "test_chart_page.moc"
