#include "ui/chart/ChartPage.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <qcustomplot.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "ui/chart/ChartPlottable.h"
#include "ui/chart/ChartStyle.h"
#include "ui/common/Colours.h"
#include "ui/common/ReadoutField.h"
#include "ui/common/TraceColours.h"
#include "ui/common/ValueLabel.h"

namespace kx {

namespace {

// Room left above the highest value, in pixels.
constexpr double kTopMarginPx = 10;
// A zoom rectangle smaller than this, either way, is a click, not a zoom.
constexpr int kSmallestZoomPx = 9;

// QCustomPlot refuses an empty range: a page of one point, or of equal values, is widened.
QCPRange widened(const Extent& e)
{
    if (e.upper > e.lower)
        return {e.lower, e.upper};
    const double half = std::max(std::abs(e.lower) * 0.05, 0.5);
    return {e.lower - half, e.upper + half};
}

enum class Glyph
{
    Record,
    Pause,
    Stop,
    Clear,
    ShowAll,
    Lines,
    FirstPage,
    LastPage
};

// Small drawn glyphs, so the buttons look the same under every style.
QIcon glyph(Glyph kind)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x30, 0x30, 0x30);
    switch (kind) {
    case Glyph::Record:
        p.setPen(QPen(QColor(0x90, 0, 0), 1));
        p.setBrush(kRed);
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        break;
    case Glyph::Pause:
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawRect(QRectF(3.5, 3, 3, 10));
        p.drawRect(QRectF(9.5, 3, 3, 10));
        break;
    case Glyph::Stop:
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawRect(QRectF(3.5, 3.5, 9, 9));
        break;
    case Glyph::Clear:
        p.setPen(QPen(QColor(0xB0, 0, 0), 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case Glyph::ShowAll: {
        p.setPen(QPen(ink, 1.5));
        p.setBrush(Qt::NoBrush);
        const QPointF corners[4][3] = {{{2, 6}, {2, 2}, {6, 2}},
                                       {{10, 2}, {14, 2}, {14, 6}},
                                       {{14, 10}, {14, 14}, {10, 14}},
                                       {{6, 14}, {2, 14}, {2, 10}}};
        for (const auto& c : corners)
            p.drawPolyline(c, 3);
        break;
    }
    case Glyph::Lines: {
        p.setPen(QPen(QColor(0x00, 0x60, 0xC0), 1.6));
        const QPointF steps[] = {{1, 12}, {5, 12}, {5, 4}, {10, 4}, {10, 12}, {15, 12}};
        p.drawPolyline(steps, 6);
        break;
    }
    case Glyph::FirstPage:
    case Glyph::LastPage: {
        const bool first = kind == Glyph::FirstPage;
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawRect(first ? QRectF(3, 3, 2, 10) : QRectF(11, 3, 2, 10));
        const QPointF back[] = {{12, 3}, {12, 13}, {5.5, 8}};
        const QPointF forward[] = {{4, 3}, {4, 13}, {10.5, 8}};
        p.drawPolygon(first ? back : forward, 3);
        break;
    }
    }
    return QIcon(pixmap);
}

QPushButton* makeButton(const char* name, const QString& text, Glyph kind)
{
    auto* button = new QPushButton(glyph(kind), text);
    button->setObjectName(name);
    button->setToolTip(text.trimmed());
    return button;
}

// The tool buttons of the recording group are named by their hints, which they also show.
QPushButton* makeHintButton(const char* name, const QString& hint, Glyph kind)
{
    QPushButton* button = makeButton(name, hint, kind);
    button->setMinimumHeight(30);
    return button;
}

ReadoutField* makeSmallField(const char* name, const QString& caption, const QColor& colour)
{
    auto* field = new ReadoutField(caption, colour, 15, QStringLiteral("-----------"));
    field->setObjectName(name);
    field->setContentsMargins(8, 2, 8, 2);
    field->setMinimumSize(120, 26);
    field->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return field;
}

} // namespace

ChartPage::ChartPage(const ChartData& data, QWidget* parent) : QWidget(parent)
{
    setObjectName("ChartPage");

    auto* left = new QVBoxLayout;
    left->setSpacing(6);
    left->addWidget(buildValueStrip());
    left->addWidget(buildChart(data), 1);

    auto* side = new QVBoxLayout;
    side->setSpacing(8);
    side->addWidget(buildRecordingGroup());
    side->addWidget(buildPagingGroup());
    side->addStretch(1);
    side->addWidget(buildFileGroup());

    auto* page = new QHBoxLayout(this);
    page->setContentsMargins(8, 8, 8, 8);
    page->setSpacing(8);
    page->addLayout(left, 1);
    page->addLayout(side);

    setPageIndicator(1, 1);
}

QCustomPlot* ChartPage::buildChart(const ChartData& data)
{
    m_chart = new QCustomPlot;
    m_chart->setObjectName("Chart1");
    m_chart->setAccessibleName(QStringLiteral("Wykres"));
    m_chart->setMinimumSize(300, 200);
    m_chart->setCursor(Qt::CrossCursor);

    QLinearGradient ground(0, 0, 0, 1);
    ground.setCoordinateMode(QGradient::ObjectMode);
    ground.setColorAt(0.0, Qt::black);
    ground.setColorAt(0.59, QColor(0x00, 0x00, 0x40)); // the balance point, half way
    ground.setColorAt(1.0, kNavy);
    m_chart->setBackground(QBrush(ground));
    m_chart->axisRect()->setBackground(Qt::NoBrush);

    styleAxis(m_chart->xAxis, QStringLiteral("czas [s]"));
    styleAxis(m_chart->yAxis, QStringLiteral("kąt [ °]"));
    // A closed frame around the plot; the top and right axes carry no labels.
    for (QCPAxis* axis : {m_chart->xAxis2, m_chart->yAxis2}) {
        axis->setVisible(true);
        axis->setTickLabels(false);
        axis->setTicks(false);
        axis->setBasePen(QPen(kSilver, 1));
    }
    m_chart->xAxis->setRange(0, 10);
    m_chart->yAxis->setRange(0, 100);

    m_chart->setAutoAddPlottableToLegend(false);
    QCPLegend* legend = m_chart->legend;
    legend->setVisible(true);
    // See-through, yet dark enough that the grid does not run through the entries.
    legend->setBrush(QColor(0, 0, 0, 0xB0));
    legend->setBorderPen(QPen(kGrey, 1));
    legend->setIconSize(10, 10);
    legend->setIconTextPadding(5);
    legend->setRowSpacing(1);
    for (int t = 0; t < kTraceCount; ++t) {
        const auto trace = static_cast<Trace>(t);
        const TraceLook& look = traceLook(trace);
        auto* series = new ChartPlottable(m_chart->xAxis, m_chart->yAxis, data.series(trace));
        series->setName(QString::fromUtf8(look.title));
        series->setPen(QPen(traceColour(trace), 2));
        series->setStyle(look.stairs ? ChartPlottable::Style::StepLeft
                                     : ChartPlottable::Style::Line);
        legend->addItem(new TickBoxLegendItem(legend, series));
        m_series[static_cast<std::size_t>(t)] = series;
    }
    // A tick box hides or shows its series; a hidden series leaves the page count.
    connect(m_chart, &QCustomPlot::legendClick, this,
            [this](QCPLegend*, QCPAbstractLegendItem* item, QMouseEvent*) {
                if (auto* entry = qobject_cast<QCPPlottableLegendItem*>(item))
                    setSeriesShown(entry->plottable(), !entry->plottable()->visible());
            });

    // Zoom by dragging a rectangle; a double click shows the whole page again. A press on the
    // legend is a click on a tick box, never the start of a rectangle.
    m_chart->setSelectionRectMode(QCP::srmCustom);
    connect(m_chart, &QCustomPlot::mousePress, this, [this](QMouseEvent* event) {
        const bool onLegend =
            m_chart->legend->visible() && m_chart->legend->outerRect().contains(event->pos());
        m_chart->setSelectionRectMode(onLegend ? QCP::srmNone : QCP::srmCustom);
    });
    m_chart->selectionRect()->setPen(QPen(QColor(0x80, 0x80, 0xFF), 1));
    // Translucent, so the curves under the rectangle stay readable while dragging.
    m_chart->selectionRect()->setBrush(QColor(0x80, 0x00, 0xFF, 0x50));
    connect(m_chart->selectionRect(), &QCPSelectionRect::accepted, this,
            [this](const QRect& rect, QInputEvent*) { zoomTo(rect); });
    connect(m_chart, &QCustomPlot::mouseDoubleClick, this, &ChartPage::showAll);

    m_pageBar = buildPageIndicator(m_chart);
    m_zoomTimer = new QTimer(this);
    m_zoomTimer->setInterval(kZoomStepMs);
    connect(m_zoomTimer, &QTimer::timeout, this, &ChartPage::zoomStep);
    m_chart->installEventFilter(this);
    return m_chart;
}

QWidget* ChartPage::buildPageIndicator(QWidget* chart)
{
    auto* bar = new QWidget(chart);
    bar->setObjectName("PageIndicatorBar");
    QPalette p = bar->palette();
    p.setColor(QPalette::WindowText, kWhite);
    p.setColor(QPalette::ButtonText, kWhite);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x60, 0x60, 0x80));
    bar->setPalette(p);

    auto makeArrow = [bar](const char* name, Qt::ArrowType arrow, const QString& caption) {
        auto* button = new QToolButton(bar);
        button->setObjectName(name);
        button->setArrowType(arrow);
        button->setAutoRaise(true);
        button->setFixedSize(12, 16);
        button->setAccessibleName(caption);
        button->setToolTip(caption);
        button->setCursor(Qt::ArrowCursor);
        return button;
    };
    m_pageBack = makeArrow("PageBack", Qt::LeftArrow, QStringLiteral("poprzednia strona"));
    m_pageForward = makeArrow("PageForward", Qt::RightArrow, QStringLiteral("następna strona"));
    connect(m_pageBack, &QToolButton::clicked, this, [this] { setCurrentPage(m_page - 1); });
    connect(m_pageForward, &QToolButton::clicked, this, [this] { setCurrentPage(m_page + 1); });

    // A read-out like the others: its text reaches screen readers and UI automation.
    m_pageIndicator = new ValueLabel(QStringLiteral("strona wykresu"), QString(), bar);
    m_pageIndicator->setObjectName("PageIndicator");
    m_pageIndicator->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(m_pageBack);
    layout->addWidget(m_pageIndicator);
    layout->addWidget(m_pageForward);
    return bar;
}

QWidget* ChartPage::buildValueStrip()
{
    auto* strip = new QWidget;
    strip->setObjectName("ChartValues");
    auto* layout = new QHBoxLayout(strip);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    const struct
    {
        const char* name;
        Trace trace;
    } fields[] = {
        {"ChartYField", Trace::Y},
        {"ChartX1Field", Trace::X1},
        {"ChartX2Field", Trace::X2},
    };
    for (const auto& f : fields) {
        const QString caption = QString::fromUtf8(traceLook(f.trace).title);
        ReadoutField* field = makeSmallField(f.name, caption, traceColour(f.trace));
        m_fields[static_cast<std::size_t>(f.trace)] = field;
        auto* label = new QLabel(caption);
        label->setBuddy(field);
        if (layout->count() > 0)
            layout->addSpacing(10);
        layout->addWidget(label);
        layout->addWidget(field, 1);
    }
    return strip;
}

QGroupBox* ChartPage::buildRecordingGroup()
{
    auto* group = new QGroupBox;
    group->setObjectName("GroupBoxRecording");
    auto* record = makeHintButton("ButtonRecord", QStringLiteral("Nagrywaj wykres"), Glyph::Record);
    auto* pause = makeHintButton("ButtonChartPause", QStringLiteral("pauza"), Glyph::Pause);
    auto* stop = makeHintButton("ButtonChartStop", QStringLiteral("stop"), Glyph::Stop);
    auto* clear =
        makeHintButton("ButtonChartClear", QStringLiteral("wyczyść wykres"), Glyph::Clear);

    auto* showAll = makeButton("ButtonShowAll", QStringLiteral("   pokaż całość"), Glyph::ShowAll);
    showAll->setToolTip(QStringLiteral("ustawia zoom wykresu na pełen ekran"));
    auto* lines =
        makeButton("ButtonLines", QStringLiteral("    konfiguruj linie wyjsc..."), Glyph::Lines);
    lines->setToolTip(QStringLiteral("konfiguracja wysokości linii PK1 i PK2"));

    connect(record, &QPushButton::clicked, this, &ChartPage::recordClicked);
    connect(pause, &QPushButton::clicked, this, &ChartPage::pauseClicked);
    connect(stop, &QPushButton::clicked, this, &ChartPage::stopClicked);
    connect(clear, &QPushButton::clicked, this, &ChartPage::clearClicked);
    connect(showAll, &QPushButton::clicked, this, &ChartPage::showAll);
    connect(lines, &QPushButton::clicked, this, &ChartPage::linesClicked);

    auto* layout = new QGridLayout(group);
    layout->setSpacing(6);
    layout->addWidget(record, 0, 0, 1, 2);
    layout->addWidget(pause, 1, 0);
    layout->addWidget(stop, 1, 1);
    layout->addWidget(clear, 2, 0, 1, 2);
    auto* rule = new QFrame;
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    layout->addWidget(rule, 3, 0, 1, 2);
    layout->addWidget(showAll, 4, 0, 1, 2);
    layout->addWidget(lines, 5, 0, 1, 2);
    return group;
}

QGroupBox* ChartPage::buildPagingGroup()
{
    auto* paging = new QGroupBox(QStringLiteral("Stronicowanie"));
    paging->setObjectName("GroupBoxPaging");

    m_pagingBox = new QCheckBox(QStringLiteral("włącz stronicowanie"));
    m_pagingBox->setObjectName("CheckBoxPaging");
    m_tracking = new QCheckBox(QStringLiteral("śledzenie ostatniej strony"));
    m_tracking->setObjectName("CheckBoxTracking");

    const QString perPageCaption = QStringLiteral("próbki na strone");
    auto* perPageLabel = new QLabel(perPageCaption);
    m_samplesPerPage = new QSpinBox;
    m_samplesPerPage->setObjectName("SamplesPerPage");
    m_samplesPerPage->setAccessibleName(perPageCaption);
    m_samplesPerPage->setRange(kMinSamplesPerPage, kMaxSamplesPerPage);
    m_samplesPerPage->setValue(10);
    m_samplesPerPage->setAlignment(Qt::AlignRight);
    perPageLabel->setBuddy(m_samplesPerPage);

    const QString rateCaption = QStringLiteral("sample rate:");
    auto* rateCaptionLabel = new QLabel(rateCaption);
    m_rate = new ValueLabel(rateCaption);
    m_rate->setObjectName("ChartRateLabel");
    m_rate->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_rate->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_rate->setContentsMargins(4, 1, 4, 1);
    m_rate->setMinimumHeight(22);
    QFont bold = m_rate->font();
    bold.setBold(true);
    m_rate->setFont(bold);
    rateCaptionLabel->setBuddy(m_rate);

    auto* firstPage = makeButton("ButtonFirstPage", QString(), Glyph::FirstPage);
    firstPage->setAccessibleName(QStringLiteral("pierwsza strona"));
    firstPage->setToolTip(firstPage->accessibleName());
    auto* lastPage = makeButton("ButtonLastPage", QString(), Glyph::LastPage);
    lastPage->setAccessibleName(QStringLiteral("ostatnia strona"));
    lastPage->setToolTip(lastPage->accessibleName());

    connect(m_pagingBox, &QCheckBox::clicked, this, &ChartPage::switchPaging);
    connect(m_tracking, &QCheckBox::clicked, this, &ChartPage::switchPaging);
    connect(m_samplesPerPage, &QSpinBox::valueChanged, this, [this](int n) {
        if (m_pagingBox->isChecked())
            setPointsPerPage(n);
    });
    connect(firstPage, &QPushButton::clicked, this, [this] { setCurrentPage(1); });
    connect(lastPage, &QPushButton::clicked, this, [this] { setCurrentPage(pageCount()); });

    auto* layout = new QGridLayout(paging);
    layout->setHorizontalSpacing(6);
    layout->setVerticalSpacing(6);
    layout->addWidget(m_pagingBox, 0, 0, 1, 2);
    layout->addWidget(m_tracking, 1, 0, 1, 2);
    layout->addWidget(perPageLabel, 2, 0);
    layout->addWidget(m_samplesPerPage, 2, 1);
    layout->addWidget(rateCaptionLabel, 3, 0);
    layout->addWidget(m_rate, 3, 1);
    auto* pages = new QHBoxLayout;
    pages->setSpacing(6);
    pages->addWidget(firstPage);
    pages->addWidget(lastPage);
    layout->addLayout(pages, 4, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    return paging;
}

QGroupBox* ChartPage::buildFileGroup()
{
    auto* group = new QGroupBox;
    group->setObjectName("GroupBoxChartFile");
    const QIcon save = style()->standardIcon(QStyle::SP_DialogSaveButton);
    auto makeSave = [&save](const char* name, const QString& text) {
        auto* button = new QPushButton(save, text);
        button->setObjectName(name);
        return button;
    };
    QPushButton* bmp = makeSave("ButtonSaveBmp", QStringLiteral("    Zapisz jako bmp..."));
    QPushButton* excel = makeSave("ButtonSaveExcel", QStringLiteral("  Zapisz jako excel..."));
    QPushButton* jpg = makeSave("ButtonSaveJpg", QStringLiteral("     Zapisz jako jpg..."));
    connect(bmp, &QPushButton::clicked, this, &ChartPage::saveBmpClicked);
    connect(excel, &QPushButton::clicked, this, &ChartPage::saveExcelClicked);
    connect(jpg, &QPushButton::clicked, this, &ChartPage::saveJpgClicked);
    auto* layout = new QVBoxLayout(group);
    layout->setSpacing(6);
    layout->addWidget(bmp);
    layout->addWidget(excel);
    layout->addWidget(jpg);
    return group;
}

void ChartPage::setPageIndicator(int page, int count)
{
    m_pageIndicator->setText(QStringLiteral("Page %1 of %2").arg(page).arg(count));
    m_pageBack->setEnabled(page > 1);
    m_pageForward->setEnabled(page < count);
    placePageIndicator();
}

QPixmap ChartPage::picture() const
{
    QPixmap pixmap = m_chart->toPixmap();
    QPainter painter(&pixmap);
    paintPageIndicator(&painter);
    return pixmap;
}

void ChartPage::paintPageIndicator(QPainter* painter) const
{
    // The indicator stands over the chart as a widget of its own; a picture of the chart
    // carries it where it stands.
    m_pageBar->render(painter, m_pageBar->pos(), QRegion(), QWidget::DrawChildren);
}

void ChartPage::placePageIndicator()
{
    m_pageBar->adjustSize();
    const QSize size = m_pageBar->sizeHint();
    m_pageBar->setGeometry(m_chart->width() - size.width() - 6,
                           m_chart->height() - size.height() - 4, size.width(), size.height());
}

bool ChartPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_chart && event->type() == QEvent::Resize)
        placePageIndicator();
    if (watched == m_chart && event->type() == QEvent::Show && m_replotWhenShown)
        replot();
    return QWidget::eventFilter(watched, event);
}

void ChartPage::showValue(Channel c, const QString& text)
{
    m_fields[static_cast<std::size_t>(c)]->setText(text);
}

void ChartPage::setRateText(const QString& text)
{
    m_rate->setText(text);
}

ChartPage::Paging ChartPage::paging() const
{
    return {m_pagingBox->isChecked(), m_tracking->isChecked(), m_samplesPerPage->value()};
}

void ChartPage::setPaging(const Paging& paging)
{
    m_pagingBox->setChecked(paging.on);
    m_tracking->setChecked(paging.tracking);
    m_samplesPerPage->setValue(paging.samplesPerPage);
}

ChartPlottable* ChartPage::plottable(Trace t) const
{
    return m_series[static_cast<std::size_t>(t)];
}

void ChartPage::switchPaging()
{
    if (m_pagingBox->isChecked()) {
        setPointsPerPage(m_samplesPerPage->value());
    } else {
        setPointsPerPage(0);
        setCurrentPage(1);
    }
}

void ChartPage::pagingOnShow()
{
    setPointsPerPage(0);
    switchPaging();
}

void ChartPage::setPointsPerPage(int perPage)
{
    if (perPage < 0)
        return;
    m_perPage = perPage;
    clampPage();
    m_zoomed = false;
    layOut();
}

void ChartPage::setCurrentPage(int page)
{
    m_page = page;
    clampPage();
    m_zoomed = false;
    layOut();
}

void ChartPage::clampPage()
{
    m_page = int(kx::clampPage(m_page, pageCount()));
}

std::vector<PagedSeries> ChartPage::shownSeries() const
{
    std::vector<PagedSeries> shown;
    for (ChartPlottable* s : m_series)
        if (s->visible())
            shown.push_back(pagedSeries(s->series()));
    return shown;
}

int ChartPage::pageCount() const
{
    std::vector<std::int64_t> counts;
    for (ChartPlottable* s : m_series)
        if (s->visible())
            counts.push_back(s->series().size());
    return int(std::min<std::int64_t>(kx::pageCount(m_perPage, counts), INT_MAX));
}

void ChartPage::followLastPage()
{
    const int count = pageCount();
    if (count > 1 && m_page != count)
        setCurrentPage(count);
}

void ChartPage::setSeriesShown(QCPAbstractPlottable* series, bool shown)
{
    series->setVisible(shown);
    clampPage();
    layOut();
}

void ChartPage::showAll()
{
    m_zoomTimer->stop();
    m_zoomed = false;
    layOut();
}

void ChartPage::zoomTo(const QRect& rect)
{
    // A rectangle spans its two corners' pixels: a drag of n pixels is n + 1 wide.
    if (rect.width() <= kSmallestZoomPx || rect.height() <= kSmallestZoomPx)
        return;
    QCPAxis* x = m_chart->xAxis;
    QCPAxis* y = m_chart->yAxis;
    QCPRange keys(x->pixelToCoord(rect.left()), x->pixelToCoord(rect.right()));
    QCPRange values(y->pixelToCoord(rect.bottom()), y->pixelToCoord(rect.top()));
    keys.normalize();
    values.normalize();
    m_zoomed = true;
    // The axes move to the rectangle in kZoomSteps even steps, so the eye follows where the
    // zoom went.
    m_zoomFrom = {Extent{x->range().lower, x->range().upper},
                  Extent{y->range().lower, y->range().upper}};
    m_zoomTo = {Extent{keys.lower, keys.upper}, Extent{values.lower, values.upper}};
    m_zoomStep = 0;
    m_zoomTimer->start();
}

void ChartPage::zoomStep()
{
    const double t = double(++m_zoomStep) / kZoomSteps;
    const bool last = m_zoomStep >= kZoomSteps;
    auto between = [t, last](const Extent& a, const Extent& b) {
        if (last)
            return QCPRange(b.lower, b.upper);
        return QCPRange(a.lower + (b.lower - a.lower) * t, a.upper + (b.upper - a.upper) * t);
    };
    if (last)
        m_zoomTimer->stop();
    m_chart->xAxis->setRange(between(m_zoomFrom[0], m_zoomTo[0]));
    m_chart->yAxis->setRange(between(m_zoomFrom[1], m_zoomTo[1]));
    replot();
}

void ChartPage::refresh(std::uint64_t generation)
{
    if (generation == m_drawnGeneration)
        return;
    m_drawnGeneration = generation;
    clampPage();
    layOut();
}

void ChartPage::layOut()
{
    const std::vector<PagedSeries> shown = shownSeries();
    const PageLayout layout = layoutPage(m_perPage, m_page, shown);
    for (ChartPlottable* s : m_series) {
        if (m_perPage > 0)
            s->setShownRange(layout.range);
        else
            s->showAll();
    }
    if (!m_zoomed) {
        // A zoom undone on its way (another page, paging switched) goes no further.
        m_zoomTimer->stop();
        if (layout.keyExtent)
            m_chart->xAxis->setRange(widened(*layout.keyExtent));
        if (layout.valueExtent) {
            QCPAxis* y = m_chart->yAxis;
            y->setRange(widened(*layout.valueExtent));
            // Room above the highest value, so its line does not run along the frame.
            const double height = m_chart->axisRect()->height();
            if (height > kTopMarginPx)
                y->setRangeUpper(y->range().upper +
                                 kTopMarginPx * y->range().size() / (height - kTopMarginPx));
        }
    }
    setPageIndicator(m_page, int(layout.pageCount));
    replot();
}

void ChartPage::replot()
{
    // A chart nobody sees is drawn when it is shown again, not twenty times a second.
    if (!m_chart->isVisible()) {
        m_replotWhenShown = true;
        return;
    }
    m_replotWhenShown = false;
    m_chart->replot(QCustomPlot::rpQueuedReplot);
}

} // namespace kx
