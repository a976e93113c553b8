#pragma once
// The measurement register as the grid shows it: compact registrations under a header row,
// coloured by column.
//
// The grid the operator sees has a header row (row 0) and an index column (column 0), both
// fixed, and always at least one data row: an empty table shows one empty row, which the first
// registration fills. The header row is the view's horizontal header (headerData); model rows
// are the data rows, so grid row r is model row r − 1. The register grows without limit:
// rows are only appended (one rowsInserted each) or all cleared. A row keeps what its texts
// are made of, not the texts: they are made when a cell is shown and read exactly as they did
// at the moment of registering.

#include <QAbstractTableModel>
#include <QColor>
#include <QLocale>
#include <QString>

#include <string>

#include "core/register/RegisterRows.h"

namespace kx {

// The regional texts of a wall-clock stamp, for column 0 and the files' header: the locale's
// short date, and its long time without the time-zone name (hours, minutes and seconds in the
// locale's order and separators).
StampFormat regionalStampFormat(const QLocale& locale = QLocale::system());
// A time format with its time-zone fields ('t' outside quotes) and the spaces they leave taken
// out.
QString withoutTimeZone(const QString& timeFormat);

class RegisterTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        ColumnIndex = RegisterColumnIndex, // registration number, date, time of day
        ColumnTime = RegisterColumnTime,   // "Czas [s]"
        ColumnY = RegisterColumnY,
        ColumnX1 = RegisterColumnX1,
        ColumnX2 = RegisterColumnX2,
        ColumnPK1 = RegisterColumnPK1,
        ColumnPK2 = RegisterColumnPK2,
        ColumnSpare1 = RegisterColumnSpare1, // never written
        ColumnSpare2 = RegisterColumnSpare2,
        ColumnCount = RegisterColumnCount
    };

    // True for the fixed cells (the index column), which are drawn like the header.
    static constexpr int FixedRole = Qt::UserRole + 1;

    // The dates and times of column 0 in the system locale's formats.
    explicit RegisterTableModel(QObject* parent = nullptr);

    // The texts of dates and times in column 0, for every row shown from now on.
    void setStampFormat(StampFormat stamps);
    const StampFormat& stampFormat() const { return m_stamps; }

    // Sets the header row's captions: "Index", "Czas [s]", "Y (pomiar)", "X1 - kanał 1",
    // "X2 - kanał 2", "PK1", "PK2" and two empty ones. Empty until called.
    void writeHeaderRow();

    // Appends one registration; the first one after start or clear() fills the empty row.
    // False, changing nothing, once the grid holds as many rows as a view can count.
    bool appendRegistration(const Registration& registration);
    // Back to the header and one empty data row; the next registration is number 0.
    void clear();

    // The registrations, in order; row n is registration number n.
    const RegisterRows& rows() const { return m_rows; }
    // Registrations since start or the last clear().
    int registeredCount() const { return static_cast<int>(m_rows.size()); }
    // The grid's row count, header row included: registeredCount() + 1, and at least 2.
    int gridRowCount() const { return rowCount() + 1; }
    // Text of a grid cell; grid row 0 is the header row. Outside the grid: empty.
    QString cellText(int gridRow, int column) const;

    // "kolor": value columns coloured, or all on the normal background.
    void setColoured(bool coloured);
    bool coloured() const { return m_coloured; }
    // The background of a coloured column, or an invalid colour for one that is never
    // coloured.
    static QColor columnColour(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    RegisterRows m_rows;
    StampFormat m_stamps;
    bool m_headerWritten = false;
    bool m_coloured = true;
    mutable std::string m_scratch; // a cell's text while it is made
};

} // namespace kx
