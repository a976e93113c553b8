#include "measure/RegisterTableModel.h"

#include <QBrush>

namespace kx {

RegisterTableModel::RegisterTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void RegisterTableModel::writeHeaderRow()
{
    m_header = {QStringLiteral("Index"),
                QStringLiteral("Czas [s]"),
                QStringLiteral("Y (pomiar)"),
                QStringLiteral("X1 - kanał 1"),
                QStringLiteral("X2 - kanał 2"),
                QStringLiteral("PK1"),
                QStringLiteral("PK2"),
                QString(),
                QString()};
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

void RegisterTableModel::appendRow(const Row& cells)
{
    if (m_rows.empty()) {
        m_rows.push_back(cells);
        emit dataChanged(index(0, 0), index(0, ColumnCount - 1));
        return;
    }
    const int row = static_cast<int>(m_rows.size());
    beginInsertRows({}, row, row);
    m_rows.push_back(cells);
    endInsertRows();
}

void RegisterTableModel::clear()
{
    if (m_rows.empty())
        return;
    if (m_rows.size() > 1) {
        beginRemoveRows({}, 1, static_cast<int>(m_rows.size()) - 1);
        m_rows.resize(1);
        endRemoveRows();
    }
    m_rows.clear();
    emit dataChanged(index(0, 0), index(0, ColumnCount - 1));
}

int RegisterTableModel::registeredCount() const
{
    return static_cast<int>(m_rows.size());
}

int RegisterTableModel::gridRowCount() const
{
    return rowCount() + 1;
}

QString RegisterTableModel::cellText(int gridRow, int column) const
{
    if (column < 0 || column >= ColumnCount || gridRow < 0)
        return {};
    if (gridRow == 0)
        return m_header[static_cast<size_t>(column)];
    const auto row = static_cast<size_t>(gridRow - 1);
    return row < m_rows.size() ? m_rows[row][static_cast<size_t>(column)] : QString();
}

void RegisterTableModel::setColoured(bool coloured)
{
    if (coloured == m_coloured)
        return;
    m_coloured = coloured;
    emit dataChanged(index(0, ColumnY), index(rowCount() - 1, ColumnPK2), {Qt::BackgroundRole});
}

bool RegisterTableModel::coloured() const
{
    return m_coloured;
}

QColor RegisterTableModel::columnColour(int column)
{
    switch (column) {
    case ColumnY:
        return {0xFF, 0x00, 0x00};
    case ColumnX1:
        return {0x00, 0xFF, 0x00};
    case ColumnX2:
        return {0x00, 0xFF, 0xFF};
    case ColumnPK1:
        return {0xFF, 0xFF, 0xFF};
    case ColumnPK2:
        return {0xFF, 0x80, 0x00};
    default:
        return {};
    }
}

int RegisterTableModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return m_rows.empty() ? 1 : static_cast<int>(m_rows.size());
}

int RegisterTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RegisterTableModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row() + 1, index.column());
    case Qt::BackgroundRole: {
        const QColor colour = m_coloured ? columnColour(index.column()) : QColor();
        return colour.isValid() ? QVariant(QBrush(colour)) : QVariant();
    }
    case FixedRole:
        return index.column() == ColumnIndex;
    default:
        return {};
    }
}

QVariant RegisterTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1; // the grid row
    return cellText(0, section);
}

Qt::ItemFlags RegisterTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // Fixed cells take no part in a selection; no cell is editable.
    if (index.column() == ColumnIndex)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

} // namespace kx
