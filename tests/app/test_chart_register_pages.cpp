#include <QtTest>

#include "WidgetTexts.h"

#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

#include <qcustomplot.h>

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>

#include "app/ToolWindow.h"
#include "measure/ChartPage.h"
#include "measure/RegisterPage.h"
#include "measure/RegisterTableModel.h"
#include "measure/TKonigLiniiForm.h"

using namespace kx;

using LineSettings = std::array<int32_t, 8>;
Q_DECLARE_METATYPE(LineSettings)

namespace {

const QColor kRed{0xFF, 0x00, 0x00};
const QColor kLime{0x00, 0xFF, 0x00};
const QColor kAqua{0x00, 0xFF, 0xFF};
const QColor kWhite{0xFF, 0xFF, 0xFF};
const QColor kOrange{0xFF, 0x80, 0x00};
const QColor kBlack{0x00, 0x00, 0x00};
const QColor kNavy{0x00, 0x00, 0x80};

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

bool isControl(const QWidget* w)
{
    return qobject_cast<const QLabel*>(w) || qobject_cast<const QAbstractButton*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QTableView*>(w) ||
           qobject_cast<const QCustomPlot*>(w);
}

bool insideControl(const QWidget* w, const QWidget* top)
{
    for (const QWidget* p = w->parentWidget(); p && p != top; p = p->parentWidget())
        if (isControl(p))
            return true;
    return false;
}

QWidget* makeWidget(const QString& which)
{
    if (which == "chart")
        return new ChartPage;
    if (which == "register")
        return new RegisterPage;
    return new TKonigLiniiForm;
}

// A page the way the main window hosts it: in a tab widget of the window's fixed size.
struct Hosted
{
    QTabWidget tabs;
    explicit Hosted(QWidget* page)
    {
        tabs.setFixedSize(947, 638);
        tabs.addTab(page, QStringLiteral("page"));
        tabs.show();
    }
};

bool anyPixel(const QImage& image, const QRect& area, const std::function<bool(QColor)>& test)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (test(image.pixelColor(x, y)))
                return true;
    return false;
}

} // namespace

class TestChartRegisterPages : public QObject
{
    Q_OBJECT

private slots:
    // --- Chart page ---------------------------------------------------------------------

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
            {"ChartYField", "QLabel", "-----------"},
            {"ChartX1Field", "QLabel", "-----------"},
            {"ChartX2Field", "QLabel", "-----------"},
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
            {"ChartRateLabel", "QLabel", ""},
            {"ButtonFirstPage", "QPushButton", ""},
            {"ButtonLastPage", "QPushButton", ""},
            {"PageIndicator", "QLabel", "Page 1 of 1"},
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
        ChartPage page;
        checkNamedControl(page, name, className, text);
    }

    void chartAccessorsReturnTheNamedControls()
    {
        ChartPage page;
        const QList<std::pair<QWidget*, const char*>> pairs = {
            {page.chart(), "Chart1"},
            {page.yField(), "ChartYField"},
            {page.x1Field(), "ChartX1Field"},
            {page.x2Field(), "ChartX2Field"},
            {page.recordButton(), "ButtonRecord"},
            {page.pauseButton(), "ButtonChartPause"},
            {page.stopButton(), "ButtonChartStop"},
            {page.clearButton(), "ButtonChartClear"},
            {page.showAllButton(), "ButtonShowAll"},
            {page.linesButton(), "ButtonLines"},
            {page.pagingGroup(), "GroupBoxPaging"},
            {page.pagingBox(), "CheckBoxPaging"},
            {page.trackingBox(), "CheckBoxTracking"},
            {page.samplesPerPage(), "SamplesPerPage"},
            {page.rateLabel(), "ChartRateLabel"},
            {page.firstPageButton(), "ButtonFirstPage"},
            {page.lastPageButton(), "ButtonLastPage"},
            {page.pageIndicator(), "PageIndicator"},
            {page.pageBackButton(), "PageBack"},
            {page.pageForwardButton(), "PageForward"},
            {page.saveBmpButton(), "ButtonSaveBmp"},
            {page.saveExcelButton(), "ButtonSaveExcel"},
            {page.saveJpgButton(), "ButtonSaveJpg"},
        };
        checkAccessors(pairs);
        // The paging controls, "sample rate:" and the two page buttons form one group.
        for (QWidget* w :
             {static_cast<QWidget*>(page.pagingBox()), static_cast<QWidget*>(page.trackingBox()),
              static_cast<QWidget*>(page.samplesPerPage()), static_cast<QWidget*>(page.rateLabel()),
              static_cast<QWidget*>(page.firstPageButton()),
              static_cast<QWidget*>(page.lastPageButton())})
            QVERIFY2(page.pagingGroup()->isAncestorOf(w), qPrintable(w->objectName()));
        // The page indicator is drawn on the chart.
        QVERIFY(page.chart()->isAncestorOf(page.pageIndicator()));
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
        ChartPage page;
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
        ChartPage page;
        auto* field = page.findChild<QLabel*>(name);
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
        QTest::addColumn<QCPGraph::LineStyle>("style");
        QTest::newRow("Y") << int(ChartPage::SeriesY) << u("Y (Wartość mierzona)") << kRed
                           << QCPGraph::lsLine;
        QTest::newRow("X1") << int(ChartPage::SeriesX1) << u("X1 (kanał 1)") << kLime
                            << QCPGraph::lsLine;
        QTest::newRow("X2") << int(ChartPage::SeriesX2) << u("X2 (kanał 2)") << kAqua
                            << QCPGraph::lsLine;
        QTest::newRow("PK1 stairs")
            << int(ChartPage::SeriesPK1) << "PK1" << kWhite << QCPGraph::lsStepLeft;
        QTest::newRow("PK2 stairs")
            << int(ChartPage::SeriesPK2) << "PK2" << kOrange << QCPGraph::lsStepLeft;
    }

    void chartSeries()
    {
        QFETCH(int, index);
        QFETCH(QString, title);
        QFETCH(QColor, colour);
        QFETCH(QCPGraph::LineStyle, style);
        ChartPage page;
        QCOMPARE(page.chart()->graphCount(), int(ChartPage::SeriesCount));
        QCPGraph* graph = page.series(static_cast<ChartPage::Series>(index));
        QVERIFY(graph);
        QCOMPARE(graph, page.chart()->graph(index));
        QCOMPARE(graph->name(), title);
        QCOMPARE(graph->pen().color(), colour);
        QCOMPARE(graph->pen().width(), 2);
        QCOMPARE(graph->lineStyle(), style);
        QVERIFY(graph->visible());
        QVERIFY(graph->data()->isEmpty());
        // One legend entry per series, in the series' colour.
        QCPAbstractLegendItem* entry = page.chart()->legend->item(index);
        QVERIFY(entry);
        QCOMPARE(entry->textColor(), colour);
    }

    void chartAxesAndLegend()
    {
        ChartPage page;
        QCustomPlot* chart = page.chart();
        QCOMPARE(chart->xAxis->label(), u("czas [s]"));
        QCOMPARE(chart->yAxis->label(), u("kąt [ °]"));
        for (QCPAxis* axis : {chart->xAxis, chart->yAxis}) {
            QCOMPARE(axis->labelColor(), kWhite);
            QCOMPARE(axis->tickLabelColor(), kWhite);
            QVERIFY(axis->grid()->subGridVisible());
        }
        QVERIFY(chart->legend->visible());
        QCOMPARE(chart->legend->itemCount(), int(ChartPage::SeriesCount));
        QCOMPARE(chart->legend->iconSize().width(), 10);
        QCOMPARE(chart->selectionRectMode(), QCP::srmZoom);
        QCOMPARE(chart->cursor().shape(), Qt::CrossCursor);
    }

    void chartInitialStates()
    {
        ChartPage page;
        QVERIFY(!page.pagingBox()->isChecked());
        QVERIFY(!page.trackingBox()->isChecked());
        QCOMPARE(page.samplesPerPage()->value(), 10);
        QCOMPARE(page.rateLabel()->text(), QString());
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
        ChartPage page;
        page.samplesPerPage()->setValue(100);
        page.samplesPerPage()->setValue(value);
        QCOMPARE(page.samplesPerPage()->value(), shown);
        QCOMPARE(page.samplesPerPage()->minimum(), 10);
        QCOMPARE(page.samplesPerPage()->maximum(), 32767);
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
        ChartPage chartPage;
        chartPage.setPageIndicator(page, count);
        QCOMPARE(chartPage.pageIndicator()->text(), text);
        QCOMPARE(chartPage.pageBackButton()->isEnabled(), back);
        QCOMPARE(chartPage.pageForwardButton()->isEnabled(), forward);
        QCOMPARE(chartPage.pageBackButton()->width(), 12);
        QCOMPARE(chartPage.pageForwardButton()->width(), 12);
    }

    void pageIndicatorSitsBottomRightOfTheChart()
    {
        auto* page = new ChartPage;
        Hosted host(page);
        QVERIFY(QTest::qWaitForWindowExposed(&host.tabs));
        page->setPageIndicator(12, 345);
        QCustomPlot* chart = page->chart();
        const QRect chartRect = chart->rect();
        auto onChart = [chart](QWidget* w) {
            return QRect(w->mapTo(chart, QPoint(0, 0)), w->size());
        };
        const QRect back = onChart(page->pageBackButton());
        const QRect text = onChart(page->pageIndicator());
        const QRect forward = onChart(page->pageForwardButton());
        for (const QRect& r : {back, text, forward}) {
            QVERIFY(chartRect.contains(r));
            QVERIFY(r.bottom() > chartRect.height() * 9 / 10);
        }
        QVERIFY(forward.right() > chartRect.width() * 9 / 10);
        QVERIFY(back.right() < text.left());
        QVERIFY(text.right() < forward.left());
        QVERIFY(
            page->pageIndicator()->contentsRect().width() >=
            page->pageIndicator()->fontMetrics().horizontalAdvance(page->pageIndicator()->text()));
    }

    // --- Register page ------------------------------------------------------------------

    void registerControls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("group");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("enabled");
        const struct
        {
            const char* name;
            const char* className;
            const char* text;
            const char* group;
            bool checked;
            bool enabled;
        } rows[] = {
            {"CheckBoxAutoRead", "QCheckBox", "autoodczyt", "Odczyt", true, true},
            {"ButtonReadPosition", "QPushButton", "Odczytaj pozycje", "Odczyt", false, false},
            {"CheckBoxRegY", "QCheckBox", "Y (pomiar)", "Kanał:", true, true},
            {"CheckBoxRegX1", "QCheckBox", "kanał 1", "Kanał:", true, true},
            {"CheckBoxRegX2", "QCheckBox", "kanał 2", "Kanał:", true, true},
            {"CheckBoxRegPK1", "QCheckBox", "PK1", "Kanał:", false, true},
            {"CheckBoxRegPK2", "QCheckBox", "PK2", "Kanał:", false, true},
            {"CheckBoxDate", "QCheckBox", "data", "Informacje", false, true},
            {"CheckBoxHour", "QCheckBox", "godzina", "Informacje", false, true},
            {"CheckBoxTime", "QCheckBox", "czas pomiaru", "Informacje", true, true},
            {"CheckBoxIndex", "QCheckBox", "numer próbki", "Informacje", true, true},
            {"CheckBoxColour", "QCheckBox", "kolor", "Informacje", true, true},
            {"ButtonRegisterClear", "QPushButton", " Wyczyść", "Tabela", false, true},
            {"ButtonSaveAs", "QPushButton", "Zapisz Jako...", "Plik:", false, true},
            {"ButtonSave", "QPushButton", "     Zapisz       ", "Plik:", false, false},
            {"RegisterGrid", "QTableView", "", "Pomiar", false, true},
        };
        for (const auto& r : rows)
            QTest::newRow(r.name) << r.name << r.className << u(r.text) << u(r.group) << r.checked
                                  << r.enabled;
    }

    void registerControls()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QFETCH(QString, text);
        QFETCH(QString, group);
        QFETCH(bool, checked);
        QFETCH(bool, enabled);
        RegisterPage page;
        checkNamedControl(page, name, className, text);
        if (QTest::currentTestFailed())
            return;
        auto* w = page.findChild<QWidget*>(name);
        auto* box = qobject_cast<QGroupBox*>(w->parentWidget());
        QVERIFY2(box, "not in a group");
        QCOMPARE(box->title(), group);
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            QCOMPARE(button->isChecked(), checked);
        QCOMPARE(w->isEnabled(), enabled);
    }

    void registerAccessorsReturnTheNamedControls()
    {
        RegisterPage page;
        const QList<std::pair<QWidget*, const char*>> pairs = {
            {page.autoReadBox(), "CheckBoxAutoRead"},
            {page.readButton(), "ButtonReadPosition"},
            {page.regYBox(), "CheckBoxRegY"},
            {page.regX1Box(), "CheckBoxRegX1"},
            {page.regX2Box(), "CheckBoxRegX2"},
            {page.regPK1Box(), "CheckBoxRegPK1"},
            {page.regPK2Box(), "CheckBoxRegPK2"},
            {page.dateBox(), "CheckBoxDate"},
            {page.hourBox(), "CheckBoxHour"},
            {page.timeBox(), "CheckBoxTime"},
            {page.indexBox(), "CheckBoxIndex"},
            {page.colourBox(), "CheckBoxColour"},
            {page.clearButton(), "ButtonRegisterClear"},
            {page.saveAsButton(), "ButtonSaveAs"},
            {page.saveButton(), "ButtonSave"},
            {page.grid(), "RegisterGrid"},
        };
        checkAccessors(pairs);
        QVERIFY(page.model());
        QCOMPARE(page.grid()->model(), page.model());
    }

    void readButtonFollowsAutoRead_data()
    {
        QTest::addColumn<bool>("byClick");
        QTest::newRow("operator clicks") << true;
        QTest::newRow("state set by code (settings file)") << false;
    }

    void readButtonFollowsAutoRead()
    {
        QFETCH(bool, byClick);
        RegisterPage page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QCheckBox* box = page.autoReadBox();
        auto toggle = [&](bool checked) {
            if (byClick)
                QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
            else
                box->setChecked(checked);
            QCOMPARE(box->isChecked(), checked);
        };
        QVERIFY(!page.readButton()->isEnabled());
        toggle(false);
        QVERIFY(page.readButton()->isEnabled());
        toggle(true);
        QVERIFY(!page.readButton()->isEnabled());
        toggle(false);
        QVERIFY(page.readButton()->isEnabled());
    }

    void headerRow_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("caption");
        QTest::newRow("0") << 0 << "Index";
        QTest::newRow("1") << 1 << "Czas [s]";
        QTest::newRow("2") << 2 << "Y (pomiar)";
        QTest::newRow("3") << 3 << u("X1 - kanał 1");
        QTest::newRow("4") << 4 << u("X2 - kanał 2");
        QTest::newRow("5") << 5 << "PK1";
        QTest::newRow("6") << 6 << "PK2";
        QTest::newRow("7 never written") << 7 << "";
        QTest::newRow("8 never written") << 8 << "";
    }

    void headerRow()
    {
        QFETCH(int, column);
        QFETCH(QString, caption);
        RegisterPage page;
        QAbstractItemModel* shown = page.grid()->model();
        QCOMPARE(shown->columnCount(), 9);
        // Empty until the main window writes it at start-up.
        QCOMPARE(shown->headerData(column, Qt::Horizontal).toString(), QString());
        QSignalSpy changed(page.model(), &QAbstractItemModel::headerDataChanged);
        page.writeHeaderRow();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(shown->headerData(column, Qt::Horizontal).toString(), caption);
        QCOMPARE(page.model()->cellText(0, column), caption);
    }

    void gridLook()
    {
        RegisterPage page;
        QTableView* grid = page.grid();
        for (int column = 0; column < 8; ++column)
            QCOMPARE(grid->columnWidth(column), 82);
        QCOMPARE(grid->rowHeight(0), 20);
        QCOMPARE(grid->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
        QCOMPARE(grid->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(grid->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(grid->verticalHeader()->isHidden());
        // The table starts with one empty data row under the header.
        QCOMPARE(page.model()->rowCount(), 1);
        QCOMPARE(page.model()->gridRowCount(), 2);
        QCOMPARE(page.model()->registeredCount(), 0);
    }

    void colourBoxColoursTheGrid()
    {
        RegisterPage page;
        const QModelIndex y = page.model()->index(0, RegisterTableModel::ColumnY);
        QCOMPARE(y.data(Qt::BackgroundRole).value<QBrush>().color(), kRed);
        page.colourBox()->setChecked(false);
        QVERIFY(!y.data(Qt::BackgroundRole).isValid());
        page.colourBox()->setChecked(true);
        QCOMPARE(y.data(Qt::BackgroundRole).value<QBrush>().color(), kRed);
    }

    void cellPainting_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("coloured");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QColor>("ground"); // invalid: the grid's normal background
        QTest::addColumn<QColor>("ink");
        QTest::addColumn<bool>("fixed"); // on the fixed-cell background instead
        QTest::newRow("index column is fixed") << 0 << true << false << QColor() << kBlack << true;
        QTest::newRow("Y coloured") << 2 << true << false << kRed << kBlack << false;
        QTest::newRow("X1 coloured") << 3 << true << false << kLime << kBlack << false;
        QTest::newRow("X2 coloured") << 4 << true << false << kAqua << kBlack << false;
        QTest::newRow("PK1 coloured") << 5 << true << false << kWhite << kBlack << false;
        QTest::newRow("PK2 coloured") << 6 << true << false << kOrange << kBlack << false;
        QTest::newRow("time never coloured") << 1 << true << false << QColor() << kBlack << false;
        QTest::newRow("Y without colour") << 2 << false << false << QColor() << kBlack << false;
        QTest::newRow("selected Y") << 2 << true << true << kNavy << kWhite << false;
        QTest::newRow("selected time") << 1 << false << true << kNavy << kWhite << false;
    }

    void cellPainting()
    {
        QFETCH(int, column);
        QFETCH(bool, coloured);
        QFETCH(bool, selected);
        QFETCH(QColor, ground);
        QFETCH(QColor, ink);
        QFETCH(bool, fixed);
        auto* page = new RegisterPage;
        Hosted host(page);
        QVERIFY(QTest::qWaitForWindowExposed(&host.tabs));
        page->colourBox()->setChecked(coloured);
        RegisterTableModel::Row cells;
        cells.fill(QStringLiteral("888"));
        page->model()->appendRow(cells);
        QTableView* grid = page->grid();
        const QModelIndex index = page->model()->index(0, column);
        if (selected)
            grid->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
        else
            grid->selectionModel()->clearSelection();
        grid->setFocus();
        QApplication::processEvents();

        if (fixed)
            ground = grid->palette().color(QPalette::Button);
        else if (!ground.isValid())
            ground = grid->palette().color(QPalette::Base);
        QVERIFY(ground != grid->palette().color(QPalette::Base) || !fixed);
        const QImage image = grid->viewport()->grab().toImage();
        const QRect cell = grid->visualRect(index).intersected(image.rect());
        QVERIFY(cell.width() > 20 && cell.height() >= 18);
        const QRect lowerRight(cell.right() - 3, cell.bottom() - 2, 3, 2);
        QVERIFY(!anyPixel(image, lowerRight, [&](QColor c) { return c != ground; }));
        // The text starts 5 pixels in: the top and left bands are plain ground.
        const QRect topBand(cell.left(), cell.top(), cell.width() - 1, 4);
        const QRect leftBand(cell.left(), cell.top(), 4, cell.height() - 1);
        QVERIFY(!anyPixel(image, topBand, [&](QColor c) { return c != ground; }));
        QVERIFY(!anyPixel(image, leftBand, [&](QColor c) { return c != ground; }));
        const QRect text(cell.left() + 5, cell.top() + 5, 20, cell.height() - 6);
        QVERIFY(anyPixel(image, text, [&](QColor c) {
            return qAbs(c.red() - ink.red()) + qAbs(c.green() - ink.green()) +
                       qAbs(c.blue() - ink.blue()) <
                   60;
        }));
    }

    void indexColumnIsFixed()
    {
        RegisterTableModel model;
        for (int column = 0; column < RegisterTableModel::ColumnCount; ++column) {
            const QModelIndex index = model.index(0, column);
            const bool fixed = column == RegisterTableModel::ColumnIndex;
            QCOMPARE(index.data(RegisterTableModel::FixedRole).toBool(), fixed);
            QCOMPARE(model.flags(index).testFlag(Qt::ItemIsSelectable), !fixed);
            QVERIFY(!model.flags(index).testFlag(Qt::ItemIsEditable));
        }
    }

    // --- Register model -----------------------------------------------------------------

    void appendRowInsertsOnlyTheNewRow_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("insertedAt"); // -1: the empty row is filled, nothing inserted
        QTest::newRow("first registration fills the empty row") << 0 << -1;
        QTest::newRow("second registration") << 1 << 1;
        QTest::newRow("after a long run") << 5000 << 5000;
    }

    void appendRowInsertsOnlyTheNewRow()
    {
        QFETCH(int, before);
        QFETCH(int, insertedAt);
        RegisterTableModel model;
        for (int n = 0; n < before; ++n)
            model.appendRow({QString::number(n) + " "});
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

        const RegisterTableModel::Row cells{"7 ", "1,500", "12,3456", "-----------", "2,0000", "1",
                                            "0",  "",      ""};
        model.appendRow(cells);

        QCOMPARE(reset.count(), 0);
        QCOMPARE(removed.count(), 0);
        const int newRow = before;
        if (insertedAt < 0) {
            QCOMPARE(inserted.count(), 0);
            QCOMPARE(changed.count(), 1);
            QCOMPARE(changed[0][0].toModelIndex().row(), 0);
            QCOMPARE(changed[0][1].toModelIndex().row(), 0);
        } else {
            QCOMPARE(inserted.count(), 1);
            QCOMPARE(inserted[0][1].toInt(), insertedAt);
            QCOMPARE(inserted[0][2].toInt(), insertedAt);
        }
        QCOMPARE(model.rowCount(), before + 1);
        QCOMPARE(model.registeredCount(), before + 1);
        QCOMPARE(model.gridRowCount(), before + 2);
        for (int column = 0; column < RegisterTableModel::ColumnCount; ++column) {
            QCOMPARE(model.index(newRow, column).data().toString(),
                     cells[static_cast<size_t>(column)]);
            QCOMPARE(model.cellText(newRow + 1, column), cells[static_cast<size_t>(column)]);
        }
        if (before > 0)
            QCOMPARE(model.index(before - 1, 0).data().toString(),
                     QString::number(before - 1) + " ");
    }

    void clearLeavesOneEmptyRow_data()
    {
        QTest::addColumn<int>("registered");
        QTest::addColumn<int>("removed"); // rows taken out of the view
        QTest::newRow("nothing registered") << 0 << 0;
        QTest::newRow("one row") << 1 << 0;
        QTest::newRow("three rows") << 3 << 2;
    }

    void clearLeavesOneEmptyRow()
    {
        QFETCH(int, registered);
        QFETCH(int, removed);
        RegisterTableModel model;
        model.writeHeaderRow();
        for (int n = 0; n < registered; ++n)
            model.appendRow({QString::number(n), "x", "y"});
        QSignalSpy removedSpy(&model, &QAbstractItemModel::rowsRemoved);
        model.clear();
        QCOMPARE(removedSpy.count(), removed > 0 ? 1 : 0);
        if (removed > 0) {
            QCOMPARE(removedSpy[0][1].toInt(), 1);
            QCOMPARE(removedSpy[0][2].toInt(), removed);
        }
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.gridRowCount(), 2);
        QCOMPARE(model.registeredCount(), 0);
        for (int column = 0; column < RegisterTableModel::ColumnCount; ++column)
            QCOMPARE(model.index(0, column).data().toString(), QString());
        // The header row stays.
        QCOMPARE(model.cellText(0, 0), QString("Index"));

        // The next registration fills the empty row again.
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        model.appendRow({"0 "});
        QCOMPARE(inserted.count(), 0);
        QCOMPARE(model.index(0, 0).data().toString(), QString("0 "));
    }

    void cellTextOutsideTheGridIsEmpty_data()
    {
        QTest::addColumn<int>("gridRow");
        QTest::addColumn<int>("column");
        QTest::newRow("row past the end") << 3 << 1;
        QTest::newRow("negative row") << -1 << 1;
        QTest::newRow("column past the end") << 1 << 9;
        QTest::newRow("negative column") << 1 << -1;
    }

    void cellTextOutsideTheGridIsEmpty()
    {
        QFETCH(int, gridRow);
        QFETCH(int, column);
        RegisterTableModel model;
        model.writeHeaderRow();
        model.appendRow({"a", "b"});
        model.appendRow({"c", "d"});
        QCOMPARE(model.cellText(gridRow, column), QString());
        QVERIFY(!model.index(gridRow - 1, column).isValid());
    }

    void cellColours_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("index") << 0 << QColor();
        QTest::newRow("time") << 1 << QColor();
        QTest::newRow("Y red") << 2 << kRed;
        QTest::newRow("X1 lime") << 3 << kLime;
        QTest::newRow("X2 aqua") << 4 << kAqua;
        QTest::newRow("PK1 white") << 5 << kWhite;
        QTest::newRow("PK2 orange") << 6 << kOrange;
        QTest::newRow("spare 7") << 7 << QColor();
        QTest::newRow("spare 8") << 8 << QColor();
    }

    void cellColours()
    {
        QFETCH(int, column);
        QFETCH(QColor, colour);
        RegisterTableModel model;
        model.appendRow({});
        model.appendRow({});
        QCOMPARE(RegisterTableModel::columnColour(column), colour);
        for (int row = 0; row < 2; ++row) {
            const QVariant brush = model.index(row, column).data(Qt::BackgroundRole);
            QCOMPARE(brush.isValid(), colour.isValid());
            if (colour.isValid())
                QCOMPARE(brush.value<QBrush>().color(), colour);
        }
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.setColoured(false);
        QCOMPARE(changed.count(), 1);
        QVERIFY(!model.index(1, column).data(Qt::BackgroundRole).isValid());
    }

    // --- Line window --------------------------------------------------------------------

    void lineWindow()
    {
        TKonigLiniiForm window;
        QCOMPARE(window.objectName(), QString("KonigLiniiForm"));
        QCOMPARE(window.windowTitle(), QString("Konfiguracja linii wyjsc na wykresie"));
        QVERIFY(qobject_cast<ToolWindow*>(&window));
        QVERIFY(window.windowFlags().testFlag(Qt::Tool));
        QCOMPARE(window.size(), QSize(460, 182));
        QVERIFY(window.okButton());
        QCOMPARE(window.okButton()->text(), QString("OK"));
        QCOMPARE(window.heightField(-1), nullptr);
        QCOMPARE(window.offsetField(4), nullptr);
    }

    void lineFields_data()
    {
        QTest::addColumn<int>("output");
        QTest::addColumn<bool>("height");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("initial");
        const int offsets[] = {0, 75, 150, 225};
        for (int n = 0; n < 4; ++n) {
            QTest::addRow("PK%d H", n + 1) << n << true << QString("PK%1_H").arg(n + 1) << 50;
            QTest::addRow("PK%d F", n + 1)
                << n << false << QString("PK%1_F").arg(n + 1) << offsets[n];
        }
    }

    void lineFields()
    {
        QFETCH(int, output);
        QFETCH(bool, height);
        QFETCH(QString, name);
        QFETCH(int, initial);
        TKonigLiniiForm window;
        QSpinBox* field = height ? window.heightField(output) : window.offsetField(output);
        QVERIFY(field);
        QCOMPARE(field->objectName(), name);
        QCOMPARE(window.findChild<QSpinBox*>(name), field);
        QCOMPARE(field->value(), initial);
        QCOMPARE(field->singleStep(), 1);
        QCOMPARE(field->minimum(), kMin);
        QCOMPARE(field->maximum(), kMax);
        QCOMPARE(accessibleName(field), height ? u("wysokość H=") : u("offset      F="));
        auto* group = qobject_cast<QGroupBox*>(field->parentWidget());
        QVERIFY(group);
        QCOMPARE(group->title(), QString("PK%1").arg(output + 1));
    }

    void lineSettingsRoundTrip_data()
    {
        QTest::addColumn<LineSettings>("values");
        QTest::newRow("as created") << LineSettings{50, 0, 50, 75, 50, 150, 50, 225};
        QTest::newRow("without a settings file") << LineSettings{};
        QTest::newRow("each distinct") << LineSettings{1, 2, 3, 4, 5, 6, 7, 8};
        QTest::newRow("below zero") << LineSettings{-50, -1, -2, -300, 0, -7, -8, -9};
        QTest::newRow("32-bit extremes") << LineSettings{kMax, kMin, kMin, kMax, 0, kMax, kMin, 1};
    }

    void lineSettingsRoundTrip()
    {
        QFETCH(LineSettings, values);
        TKonigLiniiForm window;
        window.setLineSettings(values);
        QCOMPARE(window.lineSettings(), values);
        // The order is PK1 H, PK1 F, PK2 H, PK2 F, …: each value lands in its named field.
        for (int n = 0; n < 4; ++n) {
            QCOMPARE(window.findChild<QSpinBox*>(QString("PK%1_H").arg(n + 1))->value(),
                     values[static_cast<size_t>(2 * n)]);
            QCOMPARE(window.findChild<QSpinBox*>(QString("PK%1_F").arg(n + 1))->value(),
                     values[static_cast<size_t>(2 * n + 1)]);
        }
    }

    // --- All three ----------------------------------------------------------------------

    void accessibleNames_data()
    {
        QTest::addColumn<QString>("widget");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const struct
        {
            const char* widget;
            const char* name;
            const char* expected;
        } rows[] = {
            {"chart", "Chart1", "Wykres"},
            {"chart", "ChartYField", "Y (Wartość mierzona)"},
            {"chart", "ChartX1Field", "X1 (kanał 1)"},
            {"chart", "ChartX2Field", "X2 (kanał 2)"},
            {"chart", "ButtonRecord", "Nagrywaj wykres"},
            {"chart", "ButtonChartPause", "pauza"},
            {"chart", "ButtonShowAll", "   pokaż całość"},
            {"chart", "CheckBoxPaging", "włącz stronicowanie"},
            {"chart", "CheckBoxTracking", "śledzenie ostatniej strony"},
            {"chart", "SamplesPerPage", "próbki na strone"},
            {"chart", "ChartRateLabel", "sample rate:"},
            {"chart", "ButtonFirstPage", "pierwsza strona"},
            {"chart", "ButtonLastPage", "ostatnia strona"},
            {"chart", "PageBack", "poprzednia strona"},
            {"chart", "PageForward", "następna strona"},
            {"chart", "ButtonSaveJpg", "     Zapisz jako jpg..."},
            {"register", "RegisterGrid", "Pomiar"},
            {"register", "CheckBoxAutoRead", "autoodczyt"},
            {"register", "ButtonReadPosition", "Odczytaj pozycje"},
            {"register", "CheckBoxRegY", "Y (pomiar)"},
            {"register", "CheckBoxIndex", "numer próbki"},
            {"register", "ButtonRegisterClear", " Wyczyść"},
            {"register", "ButtonSave", "     Zapisz       "},
            {"lines", "PK3_H", "wysokość H="},
            {"lines", "PK3_F", "offset      F="},
            {"lines", "ButtonOK", "OK"},
        };
        for (const auto& r : rows)
            QTest::addRow("%s %s", r.widget, r.name) << r.widget << r.name << u(r.expected);
    }

    void accessibleNames()
    {
        QFETCH(QString, widget);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        std::unique_ptr<QWidget> w(makeWidget(widget));
        auto* control = w->findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(accessibleName(control), expected);
    }

    void fitWithoutOverlapOrClipping_data()
    {
        QTest::addColumn<QString>("widget");
        QTest::newRow("Wykres") << "chart";
        QTest::newRow("Rejestracja pomiarów") << "register";
        QTest::newRow("line window") << "lines";
    }

    void fitWithoutOverlapOrClipping()
    {
        QFETCH(QString, widget);
        QWidget* w = makeWidget(widget);
        std::unique_ptr<Hosted> host;
        std::unique_ptr<QWidget> window;
        if (widget == "lines") {
            window.reset(w);
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
        } else {
            host = std::make_unique<Hosted>(w);
            QVERIFY(QTest::qWaitForWindowExposed(&host->tabs));
        }

        QList<QWidget*> controls;
        for (QWidget* c : w->findChildren<QWidget*>())
            if (c->isVisibleTo(w) && isControl(c) && !insideControl(c, w))
                controls << c;
        QVERIFY(controls.size() >= 9);

        const QRect area = w->rect();
        auto onPage = [w](QWidget* c) { return QRect(c->mapTo(w, QPoint(0, 0)), c->size()); };
        for (QWidget* c : controls) {
            const QRect r = onPage(c);
            QVERIFY2(area.contains(r), qPrintable(c->objectName() + " outside"));
            if (auto* label = qobject_cast<QLabel*>(c)) {
                const int needed = label->fontMetrics().horizontalAdvance(label->text());
                QVERIFY2(label->contentsRect().width() >= needed,
                         qPrintable("cut off: " + label->text()));
            }
            if (auto* button = qobject_cast<QAbstractButton*>(c))
                QVERIFY2(button->width() >= button->minimumSizeHint().width(),
                         qPrintable("cut off: " + button->text()));
            if (auto* spin = qobject_cast<QAbstractSpinBox*>(c))
                QVERIFY2(spin->width() >= 40, qPrintable(c->objectName()));
        }
        for (int i = 0; i < controls.size(); ++i)
            for (int j = i + 1; j < controls.size(); ++j)
                QVERIFY2(!onPage(controls[i]).intersects(onPage(controls[j])),
                         qPrintable(QString("%1 \"%2\" overlaps %3 \"%4\"")
                                        .arg(controls[i]->objectName(), shownText(controls[i]),
                                             controls[j]->objectName(), shownText(controls[j]))));
    }
};

QTEST_MAIN(TestChartRegisterPages)
#include "test_chart_register_pages.moc"
