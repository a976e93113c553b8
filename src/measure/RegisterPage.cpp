#include "measure/RegisterPage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include "measure/RegisterTableModel.h"

namespace kx {

namespace {

constexpr int kColumnWidth = 82;
constexpr int kRowHeight = 20;
constexpr int kTextInset = 5; // text's offset from the cell's top-left corner
const QColor kSelected{0x00, 0x00, 0x80};

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

        painter->save();
        painter->setClipRect(option.rect);
        painter->fillRect(option.rect, ground);
        painter->setFont(option.font);
        painter->setPen(selected ? Qt::white : Qt::black);
        painter->drawText(option.rect.adjusted(kTextInset, kTextInset, 0, 0),
                          Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }
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
    connect(m_colour, &QCheckBox::toggled, m_model, &RegisterTableModel::setColoured);
    m_model->setColoured(m_colour->isChecked());
}

QGroupBox* RegisterPage::buildGridGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Pomiar"));
    group->setObjectName("GroupBoxRegister");

    m_model = new RegisterTableModel(this);
    m_grid = new QTableView;
    m_grid->setObjectName("RegisterGrid");
    m_grid->setAccessibleName(QStringLiteral("Pomiar"));
    m_grid->setModel(m_model);
    m_grid->setItemDelegate(new RegisterCellDelegate(m_grid));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setWordWrap(false);
    m_grid->setCornerButtonEnabled(false);
    // Column 0 numbers the rows itself.
    m_grid->verticalHeader()->hide();
    // Fixed row heights let the view place any row of a long register without measuring.
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setMinimumSectionSize(kRowHeight);
    m_grid->verticalHeader()->setDefaultSectionSize(kRowHeight);

    QHeaderView* header = m_grid->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setDefaultSectionSize(kColumnWidth);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setHighlightSections(false);
    header->setSectionsClickable(false);
    header->setFixedHeight(kRowHeight + 2);
    // The last column is never written; it takes up what is left of the width.
    header->setStretchLastSection(true);

    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_grid);
    return group;
}

QGroupBox* RegisterPage::buildReadingGroup()
{
    m_autoRead = makeBox("CheckBoxAutoRead", QStringLiteral("autoodczyt"), true);
    m_read = makeButton("ButtonReadPosition", QStringLiteral("Odczytaj pozycje"));
    return makeGroup("GroupBoxRegisterReading", QStringLiteral("Odczyt"), {m_autoRead, m_read});
}

QGroupBox* RegisterPage::buildChannelGroup()
{
    m_regY = makeBox("CheckBoxRegY", QStringLiteral("Y (pomiar)"), true);
    m_regX1 = makeBox("CheckBoxRegX1", QStringLiteral("kanał 1"), true);
    m_regX2 = makeBox("CheckBoxRegX2", QStringLiteral("kanał 2"), true);
    m_regPK1 = makeBox("CheckBoxRegPK1", QStringLiteral("PK1"), false);
    m_regPK2 = makeBox("CheckBoxRegPK2", QStringLiteral("PK2"), false);
    return makeGroup("GroupBoxChannel", QStringLiteral("Kanał:"),
                     {m_regY, m_regX1, m_regX2, m_regPK1, m_regPK2});
}

QGroupBox* RegisterPage::buildInfoGroup()
{
    m_date = makeBox("CheckBoxDate", QStringLiteral("data"), false);
    m_hour = makeBox("CheckBoxHour", QStringLiteral("godzina"), false);
    m_time = makeBox("CheckBoxTime", QStringLiteral("czas pomiaru"), true);
    m_index = makeBox("CheckBoxIndex", QStringLiteral("numer próbki"), true);
    m_colour = makeBox("CheckBoxColour", QStringLiteral("kolor"), true);
    return makeGroup("GroupBoxInfo", QStringLiteral("Informacje"),
                     {m_date, m_hour, m_time, m_index, m_colour});
}

QGroupBox* RegisterPage::buildTableGroup()
{
    m_clear = makeButton("ButtonRegisterClear", QStringLiteral(" Wyczyść"));
    return makeGroup("GroupBoxTable", QStringLiteral("Tabela"), {m_clear});
}

QGroupBox* RegisterPage::buildFileGroup()
{
    m_saveAs = makeButton("ButtonSaveAs", QStringLiteral("Zapisz Jako..."));
    m_save = makeButton("ButtonSave", QStringLiteral("     Zapisz       "));
    // Saves under the name last chosen by "Zapisz Jako...": nothing to save to before that.
    m_save->setEnabled(false);
    return makeGroup("GroupBoxFile", QStringLiteral("Plik:"), {m_saveAs, m_save});
}

void RegisterPage::writeHeaderRow()
{
    m_model->writeHeaderRow();
}

RegisterTableModel* RegisterPage::model() const
{
    return m_model;
}
QTableView* RegisterPage::grid() const
{
    return m_grid;
}
QCheckBox* RegisterPage::autoReadBox() const
{
    return m_autoRead;
}
QPushButton* RegisterPage::readButton() const
{
    return m_read;
}
QCheckBox* RegisterPage::regYBox() const
{
    return m_regY;
}
QCheckBox* RegisterPage::regX1Box() const
{
    return m_regX1;
}
QCheckBox* RegisterPage::regX2Box() const
{
    return m_regX2;
}
QCheckBox* RegisterPage::regPK1Box() const
{
    return m_regPK1;
}
QCheckBox* RegisterPage::regPK2Box() const
{
    return m_regPK2;
}
QCheckBox* RegisterPage::dateBox() const
{
    return m_date;
}
QCheckBox* RegisterPage::hourBox() const
{
    return m_hour;
}
QCheckBox* RegisterPage::timeBox() const
{
    return m_time;
}
QCheckBox* RegisterPage::indexBox() const
{
    return m_index;
}
QCheckBox* RegisterPage::colourBox() const
{
    return m_colour;
}
QPushButton* RegisterPage::clearButton() const
{
    return m_clear;
}
QPushButton* RegisterPage::saveAsButton() const
{
    return m_saveAs;
}
QPushButton* RegisterPage::saveButton() const
{
    return m_save;
}

} // namespace kx
