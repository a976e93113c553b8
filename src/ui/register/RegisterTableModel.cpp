#include "ui/register/RegisterTableModel.h"

#include <QBrush>
#include <QDateTime>

#include <climits>

#include "ui/common/TraceColours.h"

namespace kx {

namespace {

// A view counts its rows in an int, and the grid has one row more than the model.
constexpr std::size_t kMaxRegistrations = INT_MAX - 1;

} // namespace

QString withoutTimeZone(const QString& format)
{
    QString kept;
    kept.reserve(format.size());
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('t')) {
            kept += c;
            continue;
        }
        // The zone goes with the space before it, or after it when it comes first; the
        // locale's other separators stay as they are.
        while (i + 1 < format.size() && format[i + 1] == QLatin1Char('t'))
            ++i;
        while (!kept.isEmpty() && kept.back().isSpace())
            kept.chop(1);
        if (kept.isEmpty())
            while (i + 1 < format.size() && format[i + 1].isSpace())
                ++i;
    }
    return kept;
}

StampFormat regionalStampFormat(const QLocale& locale)
{
    const QString date = locale.dateFormat(QLocale::ShortFormat);
    // Qt's long time ends in "t" (the zone's name) on Linux; the time of day is the rest.
    const QString time = withoutTimeZone(locale.timeFormat(QLocale::LongFormat));
    return {
        [locale, date](int64_t ms) {
            return locale.toString(QDateTime::fromMSecsSinceEpoch(ms).date(), date).toStdString();
        },
        [locale, time](int64_t ms) {
            return locale.toString(QDateTime::fromMSecsSinceEpoch(ms).time(), time).toStdString();
        }};
}

RegisterTableModel::RegisterTableModel(QObject* parent)
    : QAbstractTableModel(parent), m_stamps(regionalStampFormat())
{}

void RegisterTableModel::setStampFormat(StampFormat stamps)
{
    m_stamps = std::move(stamps);
    if (!m_rows.empty())
        emit dataChanged(index(0, ColumnIndex), index(rowCount() - 1, ColumnIndex),
                         {Qt::DisplayRole});
}

void RegisterTableModel::writeHeaderRow()
{
    m_headerWritten = true;
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

bool RegisterTableModel::appendRegistration(const Registration& registration)
{
    if (m_rows.size() >= kMaxRegistrations)
        return false;
    if (m_rows.empty()) {
        m_rows.append(registration);
        emit dataChanged(index(0, 0), index(0, ColumnCount - 1));
        return true;
    }
    const int row = registeredCount();
    beginInsertRows({}, row, row);
    m_rows.append(registration);
    endInsertRows();
    return true;
}

void RegisterTableModel::clear()
{
    if (m_rows.empty())
        return;
    // An empty register is one empty row: rows 1 and up go, row 0 is emptied.
    if (m_rows.size() > 1) {
        beginRemoveRows({}, 1, registeredCount() - 1);
        m_rows.clear();
        endRemoveRows();
    }
    m_rows.clear();
    emit dataChanged(index(0, 0), index(0, ColumnCount - 1));
}

QString RegisterTableModel::cellText(int gridRow, int column) const
{
    if (column < 0 || column >= ColumnCount || gridRow < 0)
        return {};
    if (gridRow == 0)
        return m_headerWritten ? QString::fromUtf8(registerHeaderCaption(column)) : QString();
    const auto row = static_cast<std::size_t>(gridRow - 1);
    if (row >= m_rows.size())
        return {};
    m_scratch.clear();
    appendRegisterCell(m_scratch, m_rows[row], row, column, m_stamps);
    return QString::fromUtf8(m_scratch.data(), static_cast<qsizetype>(m_scratch.size()));
}

void RegisterTableModel::setColoured(bool coloured)
{
    if (coloured == m_coloured)
        return;
    m_coloured = coloured;
    emit dataChanged(index(0, ColumnY), index(rowCount() - 1, ColumnPK2), {Qt::BackgroundRole});
}

QColor RegisterTableModel::columnColour(int column)
{
    // The value columns follow the recorded values' order.
    static_assert(ColumnPK2 - ColumnY == kTraceCount - 1);
    if (column < ColumnY || column > ColumnPK2)
        return {};
    return traceColour(static_cast<Trace>(column - ColumnY));
}

int RegisterTableModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return m_rows.empty() ? 1 : registeredCount();
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
