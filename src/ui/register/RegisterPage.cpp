#include "ui/register/RegisterPage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

#include "ui/register/RegisterControl.h"
#include "ui/register/RegisterTableModel.h"

namespace kx {

namespace {

constexpr int kColumnWidth = 82;
constexpr int kRowHeight = 20;
constexpr int kTextInset = 5; // text's offset from the cell's top-left corner
const QColor kSelected{0x00, 0x00, 0x80};
// The boxes start as without a settings file.
constexpr RegisterSettings kInitial{};

// A fixed or data cell: its ground, then its text inset from the top-left corner, clipped.
void paintCell(QPainter* painter, const QRect& rect, const QColor& ground, const QColor& ink,
               const QFont& font, const QString& text)
{
    painter->fillRect(rect, ground);
    // Most rows leave some columns empty: no text to lay out there.
    if (text.isEmpty())
        return;
    painter->save();
    painter->setClipRect(rect);
    painter->setFont(font);
    painter->setPen(ink);
    painter->drawText(rect.adjusted(kTextInset, kTextInset, 0, 0),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    painter->restore();
}

// Paints each cell itself: fixed, coloured, selected or plain ground, black text (white on a
// selection) inset from the top-left corner and clipped to the cell.
class RegisterCellDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        QColor ground = option.palette.color(QPalette::Base);
        if (selected)
            ground = kSelected;
        else if (index.data(RegisterTableModel::FixedRole).toBool())
            ground = option.palette.color(QPalette::Button);
        else if (const QVariant brush = index.data(Qt::BackgroundRole); brush.isValid())
            ground = brush.value<QBrush>().color();
        paintCell(painter, option.rect, ground, selected ? Qt::white : Qt::black, option.font,
                  index.data(Qt::DisplayRole).toString());
    }
};

// The header row is a row of fixed cells: drawn like the index column, with the grid's lines.
class FixedRowHeader : public QHeaderView
{
public:
    using QHeaderView::QHeaderView;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        if (!rect.isValid())
            return;
        const QRect cell = rect.adjusted(0, 0, -1, -1);
        paintCell(painter, cell, palette().color(QPalette::Button), Qt::black, font(),
                  model() ? model()->headerData(logicalIndex, orientation()).toString()
                          : QString());
        QStyleOption option;
        option.initFrom(this);
        const auto line =
            static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this));
        painter->save();
        painter->setPen(QColor::fromRgba(line));
        painter->drawLine(rect.topRight(), rect.bottomRight());
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        painter->restore();
    }
};

// The grid, scrolled by pixels: every row is kRowHeight high, so a row's position is its
// number times that, and keeping the newest row in view asks the view for no row positions
// (a view finds those by adding up the heights of all the rows above, after every new row).
class RegisterGrid : public QTableView
{
public:
    using QTableView::QTableView;

    // Scrolls to the end, the last row whole at the bottom, and stays there through the
    // view's own layout (a scroll bar that comes or goes) until the operator scrolls. With
    // the viewport kRowsInView rows high, the first data row in view is then the last
    // kRowsInView-th.
    void followEnd()
    {
        m_pinned = true;
        QScrollBar* bar = verticalScrollBar();
        // The view lays a new row out later, after this event; the scroll range must have it
        // now. (Laying it out here would cost more than the rest of the registration.)
        const int end = std::max(model()->rowCount() * kRowHeight - viewport()->height(), 0);
        static_assert(RegisterControl::kMaxRows < INT_MAX / kRowHeight);
        if (bar->maximum() < end) {
            // Once the bar is shown, only the layout cares that the range grew, and it sets
            // the same range itself; telling everyone per row costs more than the rest.
            const QSignalBlocker quiet(bar->maximum() > 0 ? bar : nullptr);
            bar->setMaximum(end);
        }
        m_following = true;
        bar->setValue(end);
        m_following = false;
    }
    void stopFollowing() { m_pinned = false; }

protected:
    void updateGeometries() override
    {
        m_layingOut = true;
        QTableView::updateGeometries();
        m_layingOut = false;
        if (m_pinned)
            followEnd();
    }

    void scrollContentsBy(int dx, int dy) override
    {
        if (!m_following) {
            if (dy != 0 && !m_layingOut)
                m_pinned = false; // the operator's scroll
            QTableView::scrollContentsBy(dx, dy);
            return;
        }
        // The new row has asked for a whole repaint already: moving the viewport's pixels
        // first would cost more than the rest of registering it.
        verticalHeader()->setOffset(verticalScrollBar()->value());
        viewport()->update();
    }

private:
    bool m_pinned = false;
    bool m_following = false;
    bool m_layingOut = false;
};

QCheckBox* makeBox(const char* name, const QString& caption, bool checked)
{
    auto* box = new QCheckBox(caption);
    box->setObjectName(name);
    box->setChecked(checked);
    return box;
}

QPushButton* makeButton(const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    button->setMinimumHeight(28);
    return button;
}

QGroupBox* makeGroup(const char* name, const QString& title, const QList<QWidget*>& widgets)
{
    auto* group = new QGroupBox(title);
    group->setObjectName(name);
    auto* layout = new QVBoxLayout(group);
    layout->setSpacing(4);
    layout->setContentsMargins(9, 6, 9, 8);
    for (QWidget* w : widgets)
        layout->addWidget(w);
    return group;
}

} // namespace

RegisterPage::RegisterPage(QWidget* parent) : QWidget(parent)
{
    setObjectName("RegisterPage");

    auto* options = new QVBoxLayout;
    options->setSpacing(6);
    options->addWidget(buildReadingGroup());
    options->addWidget(buildChannelGroup());
    options->addWidget(buildInfoGroup());
    options->addStretch(1);
    options->addWidget(buildTableGroup());
    options->addWidget(buildFileGroup());

    auto* page = new QHBoxLayout(this);
    page->setContentsMargins(8, 8, 8, 8);
    page->setSpacing(8);
    page->addWidget(buildGridGroup(), 1);
    page->addLayout(options);

    // Whoever sets "autoodczyt" (the operator or the settings file) gets the button's state
    // with it.
    connect(m_autoRead, &QCheckBox::toggled, m_read, &QPushButton::setDisabled);
    m_read->setDisabled(m_autoRead->isChecked());
    connect(m_read, &QPushButton::clicked, this, &RegisterPage::readPositionClicked);
}

RegisterPage::~RegisterPage() = default;

QGroupBox* RegisterPage::buildGridGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Pomiar"));
    group->setObjectName("GroupBoxRegister");

    auto* grid = new RegisterGrid;
    m_grid = grid;
    grid->setObjectName("RegisterGrid");
    grid->setAccessibleName(QStringLiteral("Pomiar"));
    grid->setHorizontalHeader(new FixedRowHeader(Qt::Horizontal, grid));
    grid->setItemDelegate(new RegisterCellDelegate(grid));
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    grid->setWordWrap(false);
    // The columns after PK2 are never written: a horizontal bar would only take the height of
    // a row from the 27 the grid shows, and cut the oldest of them.
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setCornerButtonEnabled(false);
    // Column 0 numbers the rows itself.
    grid->verticalHeader()->hide();
    // Fixed row heights let the view place any row of a long register without measuring.
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setMinimumSectionSize(kRowHeight);
    grid->verticalHeader()->setDefaultSectionSize(kRowHeight);

    QHeaderView* header = grid->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setMinimumSectionSize(8);
    header->setDefaultSectionSize(kColumnWidth);
    header->setHighlightSections(false);
    header->setSectionsClickable(false);
    header->setFixedHeight(kRowHeight);
    // The last column is never written; it takes up what is left of the width.
    header->setStretchLastSection(true);
    // Room for the header row and exactly kRowsInView data rows: following the newest row
    // then shows the last kRowsInView whole, the first of them at the top.
    grid->setFixedHeight(kRowHeight + kRowsInView * kRowHeight + 2 * grid->frameWidth());

    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(grid);
    layout->addStretch(1);
    return group;
}

QGroupBox* RegisterPage::buildReadingGroup()
{
    m_autoRead = makeBox("CheckBoxAutoRead", QStringLiteral("autoodczyt"), kInitial.autoRead);
    m_read = makeButton("ButtonReadPosition", QStringLiteral("Odczytaj pozycje"));
    return makeGroup("GroupBoxRegisterReading", QStringLiteral("Odczyt"), {m_autoRead, m_read});
}

QGroupBox* RegisterPage::buildChannelGroup()
{
    m_regY = makeBox("CheckBoxRegY", QStringLiteral("Y (pomiar)"), kInitial.y);
    m_regX1 = makeBox("CheckBoxRegX1", QStringLiteral("kanał 1"), kInitial.x1);
    m_regX2 = makeBox("CheckBoxRegX2", QStringLiteral("kanał 2"), kInitial.x2);
    m_regPK1 = makeBox("CheckBoxRegPK1", QStringLiteral("PK1"), kInitial.pk1);
    m_regPK2 = makeBox("CheckBoxRegPK2", QStringLiteral("PK2"), kInitial.pk2);
    return makeGroup("GroupBoxChannel", QStringLiteral("Kanał:"),
                     {m_regY, m_regX1, m_regX2, m_regPK1, m_regPK2});
}

QGroupBox* RegisterPage::buildInfoGroup()
{
    m_date = makeBox("CheckBoxDate", QStringLiteral("data"), kInitial.date);
    m_hour = makeBox("CheckBoxHour", QStringLiteral("godzina"), kInitial.hour);
    m_time = makeBox("CheckBoxTime", QStringLiteral("czas pomiaru"), kInitial.time);
    m_index = makeBox("CheckBoxIndex", QStringLiteral("numer próbki"), kInitial.index);
    m_colour = makeBox("CheckBoxColour", QStringLiteral("kolor"), kInitial.colour);
    return makeGroup("GroupBoxInfo", QStringLiteral("Informacje"),
                     {m_date, m_hour, m_time, m_index, m_colour});
}

QGroupBox* RegisterPage::buildTableGroup()
{
    QPushButton* clear = makeButton("ButtonRegisterClear", QStringLiteral(" Wyczyść"));
    connect(clear, &QPushButton::clicked, this, &RegisterPage::clearClicked);
    return makeGroup("GroupBoxTable", QStringLiteral("Tabela"), {clear});
}

QGroupBox* RegisterPage::buildFileGroup()
{
    QPushButton* saveAs = makeButton("ButtonSaveAs", QStringLiteral("Zapisz Jako..."));
    m_save = makeButton("ButtonSave", QStringLiteral("     Zapisz       "));
    // Saves under the name last chosen by "Zapisz Jako...": nothing to save to before that.
    m_save->setEnabled(false);
    connect(saveAs, &QPushButton::clicked, this, &RegisterPage::saveAsClicked);
    connect(m_save, &QPushButton::clicked, this, &RegisterPage::saveClicked);
    return makeGroup("GroupBoxFile", QStringLiteral("Plik:"), {saveAs, m_save});
}

void RegisterPage::setModel(RegisterTableModel* model)
{
    m_grid->setModel(model);
    connect(m_colour, &QCheckBox::toggled, model, &RegisterTableModel::setColoured);
    model->setColoured(m_colour->isChecked());
}

RegisterPage::Options RegisterPage::options() const
{
    return {m_autoRead->isChecked(), m_regY->isChecked(),   m_regX1->isChecked(),
            m_regX2->isChecked(),    m_regPK1->isChecked(), m_regPK2->isChecked(),
            m_date->isChecked(),     m_hour->isChecked(),   m_time->isChecked(),
            m_index->isChecked(),    m_colour->isChecked()};
}

void RegisterPage::setOptions(const Options& o)
{
    m_autoRead->setChecked(o.autoRead);
    m_regY->setChecked(o.y);
    m_regX1->setChecked(o.x1);
    m_regX2->setChecked(o.x2);
    m_regPK1->setChecked(o.pk1);
    m_regPK2->setChecked(o.pk2);
    m_date->setChecked(o.date);
    m_hour->setChecked(o.hour);
    m_time->setChecked(o.time);
    m_index->setChecked(o.index);
    m_colour->setChecked(o.colour);
}

RegisterOptions RegisterPage::registerOptions() const
{
    return options().options();
}

void RegisterPage::showAppended(RegisterOptions options)
{
    // Each registration sets the width its date and time need, as the operator left it or not,
    // and never less than the text column 0 holds: a date and time in the program's font may
    // be wider than the width given for them.
    const QAbstractItemModel* model = m_grid->model();
    if (model && model->rowCount() > 0) {
        const QString text =
            model->index(model->rowCount() - 1, RegisterTableModel::ColumnIndex).data().toString();
        if (text.size() > m_column0TextLength) {
            m_column0TextLength = text.size();
            m_column0TextWidth = std::max(
                m_column0TextWidth, m_grid->fontMetrics().horizontalAdvance(text) + 2 * kTextInset);
        }
    }
    const int width = std::max(column0Width(options), m_column0TextWidth);
    if (m_grid->columnWidth(RegisterTableModel::ColumnIndex) != width)
        m_grid->setColumnWidth(RegisterTableModel::ColumnIndex, width);
    // From the 28th registration on, the newest rows stay in view: the first data row shown
    // is grid row count − 27.
    if (m_grid->model()->rowCount() + 1 >= kScrollFromRows)
        static_cast<RegisterGrid*>(m_grid)->followEnd();
}

void RegisterPage::showCleared()
{
    m_column0TextWidth = 0;
    m_column0TextLength = 0;
    static_cast<RegisterGrid*>(m_grid)->stopFollowing();
}

void RegisterPage::setSaveEnabled(bool enabled)
{
    m_save->setEnabled(enabled);
}

} // namespace kx
