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
    auto* grid = new QTableView;
    grid->setObjectName("RegisterGrid");
    grid->setAccessibleName(QStringLiteral("Pomiar"));
    grid->setModel(m_model);
    grid->setItemDelegate(new RegisterCellDelegate(grid));
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setWordWrap(false);
    grid->setCornerButtonEnabled(false);
    // Column 0 numbers the rows itself.
    grid->verticalHeader()->hide();
    // Fixed row heights let the view place any row of a long register without measuring.
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setMinimumSectionSize(kRowHeight);
    grid->verticalHeader()->setDefaultSectionSize(kRowHeight);

    QHeaderView* header = grid->horizontalHeader();
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
    layout->addWidget(grid);
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
    return makeGroup("GroupBoxTable", QStringLiteral("Tabela"),
                     {makeButton("ButtonRegisterClear", QStringLiteral(" Wyczyść"))});
}

QGroupBox* RegisterPage::buildFileGroup()
{
    QPushButton* saveAs = makeButton("ButtonSaveAs", QStringLiteral("Zapisz Jako..."));
    QPushButton* save = makeButton("ButtonSave", QStringLiteral("     Zapisz       "));
    // Saves under the name last chosen by "Zapisz Jako...": nothing to save to before that.
    save->setEnabled(false);
    return makeGroup("GroupBoxFile", QStringLiteral("Plik:"), {saveAs, save});
}

void RegisterPage::writeHeaderRow()
{
    m_model->writeHeaderRow();
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

} // namespace kx
