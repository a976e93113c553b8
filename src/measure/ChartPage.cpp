#include "measure/ChartPage.h"

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
#include <QToolButton>
#include <QVBoxLayout>

#include <qcustomplot.h>

namespace kx {

namespace {

const QString kNoValue = QStringLiteral("-----------");
const QColor kRed{0xFF, 0x00, 0x00};
const QColor kLime{0x00, 0xFF, 0x00};
const QColor kAqua{0x00, 0xFF, 0xFF};
const QColor kWhite{0xFF, 0xFF, 0xFF};
const QColor kOrange{0xFF, 0x80, 0x00};
const QColor kNavy{0x00, 0x00, 0x80};
const QColor kSilver{0xC0, 0xC0, 0xC0};
const QColor kGrey{0x80, 0x80, 0x80};

struct SeriesLook
{
    const char* title;
    QColor colour;
    QCPGraph::LineStyle style;
};

// Index = ChartPage::Series. The output lines are stairs: an output holds its state until the
// next sample.
const SeriesLook kSeries[] = {
    {"Y (Wartość mierzona)", kRed, QCPGraph::lsLine}, {"X1 (kanał 1)", kLime, QCPGraph::lsLine},
    {"X2 (kanał 2)", kAqua, QCPGraph::lsLine},        {"PK1", kWhite, QCPGraph::lsStepLeft},
    {"PK2", kOrange, QCPGraph::lsStepLeft},
};

// Exactly one minor tick between two major ticks, whatever the major step.
class OneSubTickTicker : public QCPAxisTicker
{
protected:
    int getSubTickCount(double) override { return 1; }
};

// A legend entry with a tick box in front of the series' symbol: ticked while the series is
// shown. The entry's text takes the series' colour.
class TickBoxLegendItem : public QCPPlottableLegendItem
{
public:
    TickBoxLegendItem(QCPLegend* legend, QCPAbstractPlottable* plottable)
        : QCPPlottableLegendItem(legend, plottable)
    {
        setTextColor(plottable->pen().color());
    }

protected:
    static constexpr int kBox = 10;
    static constexpr int kGap = 5;

    void draw(QCPPainter* painter) override
    {
        if (!mPlottable)
            return;
        const int height =
            qMax(QFontMetrics(getFont()).height(), mParentLegend->iconSize().height());
        const QRect box(mRect.x(), mRect.y() + (height - kBox) / 2, kBox, kBox);
        painter->setPen(QPen(kSilver, 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(box);
        if (mPlottable->visible()) {
            painter->setPen(QPen(kWhite, 1.6));
            painter->drawLine(QPointF(box.left() + 2, box.center().y()),
                              QPointF(box.left() + 4.2, box.bottom() - 2));
            painter->drawLine(QPointF(box.left() + 4.2, box.bottom() - 2),
                              QPointF(box.right() - 1.5, box.top() + 2));
        }
        // The symbol and the text as the plain entry draws them, right of the box.
        const QRect whole = mRect;
        mRect.setLeft(mRect.left() + kBox + kGap);
        QCPPlottableLegendItem::draw(painter);
        mRect = whole;
    }

    QSize minimumOuterSizeHint() const override
    {
        QSize size = QCPPlottableLegendItem::minimumOuterSizeHint();
        if (mPlottable)
            size.rwidth() += kBox + kGap;
        return size;
    }
};

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

QLabel* makeSmallField(const char* name, const QColor& colour)
{
    auto* field = new QLabel(kNoValue);
    field->setObjectName(name);
    field->setAutoFillBackground(true);
    QPalette p = field->palette();
    p.setColor(QPalette::Window, Qt::black);
    p.setColor(QPalette::WindowText, colour);
    field->setPalette(p);
    QFont font = field->font();
    font.setPixelSize(15);
    font.setBold(true);
    field->setFont(font);
    // Right-aligned so the decimal point of "%3.4f" stays put as the value changes.
    field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    field->setContentsMargins(8, 2, 8, 2);
    field->setMinimumSize(120, 26);
    field->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return field;
}

void styleAxis(QCPAxis* axis, const QString& title)
{
    axis->setLabel(title);
    axis->setLabelColor(kWhite);
    axis->setTickLabelColor(kWhite);
    axis->setBasePen(QPen(kSilver, 1));
    axis->setTickPen(QPen(kSilver, 1));
    axis->setSubTickPen(QPen(kGrey, 1));
    axis->setTicker(QSharedPointer<QCPAxisTicker>(new OneSubTickTicker));
    axis->grid()->setPen(QPen(kSilver, 1, Qt::SolidLine));
    axis->grid()->setSubGridPen(QPen(kGrey, 1, Qt::SolidLine));
    axis->grid()->setSubGridVisible(true);
    axis->grid()->setZeroLinePen(Qt::NoPen);
}

} // namespace

ChartPage::ChartPage(QWidget* parent) : QWidget(parent)
{
    setObjectName("ChartPage");

    auto* left = new QVBoxLayout;
    left->setSpacing(6);
    left->addWidget(buildValueStrip());
    left->addWidget(buildChart(), 1);

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

QCustomPlot* ChartPage::buildChart()
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
    for (const SeriesLook& look : kSeries) {
        QCPGraph* graph = m_chart->addGraph();
        graph->setName(QString::fromUtf8(look.title));
        graph->setPen(QPen(look.colour, 2));
        graph->setLineStyle(look.style);
        legend->addItem(new TickBoxLegendItem(legend, graph));
    }

    m_chart->setSelectionRectMode(QCP::srmZoom);
    m_chart->selectionRect()->setPen(QPen(QColor(0x80, 0x80, 0xFF), 1));
    // Translucent, so the curves under the rectangle stay readable while dragging.
    m_chart->selectionRect()->setBrush(QColor(0x80, 0x00, 0xFF, 0x50));

    m_pageBar = buildPageIndicator(m_chart);
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

    m_pageIndicator = new QLabel(bar);
    m_pageIndicator->setObjectName("PageIndicator");
    m_pageIndicator->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_pageIndicator->setAccessibleName(QStringLiteral("strona wykresu"));

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
        const char* caption;
        QColor colour;
        QLabel** field;
    } fields[] = {
        {"ChartYField", "Y (Wartość mierzona)", kRed, &m_yField},
        {"ChartX1Field", "X1 (kanał 1)", kLime, &m_x1Field},
        {"ChartX2Field", "X2 (kanał 2)", kAqua, &m_x2Field},
    };
    for (const auto& f : fields) {
        const QString caption = QString::fromUtf8(f.caption);
        *f.field = makeSmallField(f.name, f.colour);
        (*f.field)->setAccessibleName(caption);
        auto* label = new QLabel(caption);
        label->setBuddy(*f.field);
        if (layout->count() > 0)
            layout->addSpacing(10);
        layout->addWidget(label);
        layout->addWidget(*f.field, 1);
    }
    return strip;
}

QGroupBox* ChartPage::buildRecordingGroup()
{
    auto* group = new QGroupBox;
    group->setObjectName("GroupBoxRecording");
    m_record = makeHintButton("ButtonRecord", QStringLiteral("Nagrywaj wykres"), Glyph::Record);
    m_pause = makeHintButton("ButtonChartPause", QStringLiteral("pauza"), Glyph::Pause);
    m_stop = makeHintButton("ButtonChartStop", QStringLiteral("stop"), Glyph::Stop);
    m_clear = makeHintButton("ButtonChartClear", QStringLiteral("wyczyść wykres"), Glyph::Clear);

    m_showAll = makeButton("ButtonShowAll", QStringLiteral("   pokaż całość"), Glyph::ShowAll);
    m_showAll->setToolTip(QStringLiteral("ustawia zoom wykresu na pełen ekran"));
    m_lines =
        makeButton("ButtonLines", QStringLiteral("    konfiguruj linie wyjsc..."), Glyph::Lines);
    m_lines->setToolTip(QStringLiteral("konfiguracja wysokości linii PK1 i PK2"));

    auto* layout = new QGridLayout(group);
    layout->setSpacing(6);
    layout->addWidget(m_record, 0, 0, 1, 2);
    layout->addWidget(m_pause, 1, 0);
    layout->addWidget(m_stop, 1, 1);
    layout->addWidget(m_clear, 2, 0, 1, 2);
    auto* rule = new QFrame;
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    layout->addWidget(rule, 3, 0, 1, 2);
    layout->addWidget(m_showAll, 4, 0, 1, 2);
    layout->addWidget(m_lines, 5, 0, 1, 2);
    return group;
}

QGroupBox* ChartPage::buildPagingGroup()
{
    m_paging = new QGroupBox(QStringLiteral("Stronicowanie"));
    m_paging->setObjectName("GroupBoxPaging");

    m_pagingBox = new QCheckBox(QStringLiteral("włącz stronicowanie"));
    m_pagingBox->setObjectName("CheckBoxPaging");
    m_tracking = new QCheckBox(QStringLiteral("śledzenie ostatniej strony"));
    m_tracking->setObjectName("CheckBoxTracking");

    const QString perPageCaption = QStringLiteral("próbki na strone");
    auto* perPageLabel = new QLabel(perPageCaption);
    m_samplesPerPage = new QSpinBox;
    m_samplesPerPage->setObjectName("SamplesPerPage");
    m_samplesPerPage->setAccessibleName(perPageCaption);
    m_samplesPerPage->setRange(10, 32767);
    m_samplesPerPage->setValue(10);
    m_samplesPerPage->setAlignment(Qt::AlignRight);
    perPageLabel->setBuddy(m_samplesPerPage);

    const QString rateCaption = QStringLiteral("sample rate:");
    auto* rateCaptionLabel = new QLabel(rateCaption);
    m_rate = new QLabel;
    m_rate->setObjectName("ChartRateLabel");
    m_rate->setAccessibleName(rateCaption);
    m_rate->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_rate->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_rate->setContentsMargins(4, 1, 4, 1);
    m_rate->setMinimumHeight(22);
    QFont bold = m_rate->font();
    bold.setBold(true);
    m_rate->setFont(bold);
    rateCaptionLabel->setBuddy(m_rate);

    m_firstPage = makeButton("ButtonFirstPage", QString(), Glyph::FirstPage);
    m_firstPage->setAccessibleName(QStringLiteral("pierwsza strona"));
    m_firstPage->setToolTip(m_firstPage->accessibleName());
    m_lastPage = makeButton("ButtonLastPage", QString(), Glyph::LastPage);
    m_lastPage->setAccessibleName(QStringLiteral("ostatnia strona"));
    m_lastPage->setToolTip(m_lastPage->accessibleName());

    auto* layout = new QGridLayout(m_paging);
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
    pages->addWidget(m_firstPage);
    pages->addWidget(m_lastPage);
    layout->addLayout(pages, 4, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    return m_paging;
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
    m_saveBmp = makeSave("ButtonSaveBmp", QStringLiteral("    Zapisz jako bmp..."));
    m_saveExcel = makeSave("ButtonSaveExcel", QStringLiteral("  Zapisz jako excel..."));
    m_saveJpg = makeSave("ButtonSaveJpg", QStringLiteral("     Zapisz jako jpg..."));
    auto* layout = new QVBoxLayout(group);
    layout->setSpacing(6);
    layout->addWidget(m_saveBmp);
    layout->addWidget(m_saveExcel);
    layout->addWidget(m_saveJpg);
    return group;
}

void ChartPage::setPageIndicator(int page, int count)
{
    m_pageIndicator->setText(QStringLiteral("Page %1 of %2").arg(page).arg(count));
    m_pageBack->setEnabled(page > 1);
    m_pageForward->setEnabled(page < count);
    placePageIndicator();
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
    return QWidget::eventFilter(watched, event);
}

QCustomPlot* ChartPage::chart() const
{
    return m_chart;
}
QCPGraph* ChartPage::series(Series which) const
{
    return which >= 0 && which < SeriesCount ? m_chart->graph(which) : nullptr;
}
QLabel* ChartPage::yField() const
{
    return m_yField;
}
QLabel* ChartPage::x1Field() const
{
    return m_x1Field;
}
QLabel* ChartPage::x2Field() const
{
    return m_x2Field;
}
QPushButton* ChartPage::recordButton() const
{
    return m_record;
}
QPushButton* ChartPage::pauseButton() const
{
    return m_pause;
}
QPushButton* ChartPage::stopButton() const
{
    return m_stop;
}
QPushButton* ChartPage::clearButton() const
{
    return m_clear;
}
QPushButton* ChartPage::showAllButton() const
{
    return m_showAll;
}
QPushButton* ChartPage::linesButton() const
{
    return m_lines;
}
QGroupBox* ChartPage::pagingGroup() const
{
    return m_paging;
}
QCheckBox* ChartPage::pagingBox() const
{
    return m_pagingBox;
}
QCheckBox* ChartPage::trackingBox() const
{
    return m_tracking;
}
QSpinBox* ChartPage::samplesPerPage() const
{
    return m_samplesPerPage;
}
QLabel* ChartPage::rateLabel() const
{
    return m_rate;
}
QPushButton* ChartPage::firstPageButton() const
{
    return m_firstPage;
}
QPushButton* ChartPage::lastPageButton() const
{
    return m_lastPage;
}
QLabel* ChartPage::pageIndicator() const
{
    return m_pageIndicator;
}
QToolButton* ChartPage::pageBackButton() const
{
    return m_pageBack;
}
QToolButton* ChartPage::pageForwardButton() const
{
    return m_pageForward;
}
QPushButton* ChartPage::saveBmpButton() const
{
    return m_saveBmp;
}
QPushButton* ChartPage::saveExcelButton() const
{
    return m_saveExcel;
}
QPushButton* ChartPage::saveJpgButton() const
{
    return m_saveJpg;
}

} // namespace kx
